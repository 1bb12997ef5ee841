// Feeds arbitrary text to the URL layer as a link value, a start URL and a
// file URL. Besides not crashing, canonical forms must be stable: a key
// canonicalised twice must not change, or one URL would get two statuses.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/qvDriverSettings.h"
#include "url/qvFileURL.h"
#include "url/qvLinkResolver.h"
#include "url/qvMimeTypes.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLTable.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void resolveFrom(qvURLTable& table, const std::string& pageURL, std::string_view value) {
  qvURLStatus* page = table.addURL(pageURL, 0, 0);
  table.makeURL(*page);
  const qvLinkResolution link = qvLinkResolver(table).resolveLink(*page, value);
  check(link.followed() == (link.classification == qvLinkClass::Followed));
  if (link.target == nullptr) return;
  table.makeURL(*link.target);
  if (page->url.starts_with("http:")) qvURLTable::inRange(*page, link.target->url, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string canonical = qvURLCanonicaliser::canonicalURL(text);
  check(qvURLCanonicaliser::canonicalURL(canonical) == canonical);
  qvFileURL::fileForURL(text);
  qvURLCanonicaliser::absoluteURL("http://fuzz.example/a/b.html", text);

  static const qvMimeTypes types;
  types.typeOf(text);

  qvDriverSettings settings;
  settings.dontSkipCGI = size % 2 == 0;
  qvURLTable table(settings);
  resolveFrom(table, "http://Fuzz.Example:8080/dir/page.html", text);
  resolveFrom(table, "file:///fuzz-no-such-dir/site/page.htm", text);
  qvURLStatus* start = table.addURL(text, 0, 0);
  table.makeURL(*start);
  table.setBase(*start, text);
  table.anchorName(*start, text);
  return 0;
}
