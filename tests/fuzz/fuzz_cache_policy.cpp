// Cache-Control and Pragma values of any content through the directive
// reader and the store decision, any URL through the cache key, and any
// stored time through the If-Modified-Since line. Besides not crashing: a directive appended to a
// list whose quotes are closed is always seen, a refused response always
// says why, and the date line keeps its fixed shape.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "cache/CacheDecisions.h"
#include "cache/CacheDirectives.h"
#include "cache/CacheKey.h"
#include "cache/ConditionalLine.h"
#include "net/HeaderList.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

bool quotesClosed(std::string_view value) {
  bool quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (quoted && value[i] == '\\' && i + 1 < value.size()) {
      ++i;
    } else if (value[i] == '"') {
      quoted = !quoted;
    }
  }
  return !quoted;
}

void checkDirectives(std::string_view value) {
  const CacheDirectives seen = CacheDirectives::parse(value);
  if (!quotesClosed(value)) return;
  const CacheDirectives more = CacheDirectives::parse(std::string(value) + ", No-Store");
  check(more.noStore);
  check(more.noCache == seen.noCache && more.mustRevalidate == seen.mustRevalidate);
}

void checkDecision(std::string_view value) {
  const std::string text(value.substr(0, std::min<std::size_t>(value.find_first_of("\r\n"), value.size())));
  HeaderList headers;
  headers.add("Cache-Control: " + text);
  headers.add("Pragma: " + text);
  const StoreVerdict verdict = decideStore("http://host/page", headers, false);
  check(verdict.store == verdict.reason.empty());
  check(!verdict.mustRevalidate || verdict.store);
}

// Decoding only ever shortens a URL, and the "http://" prefix is kept in
// lower case.
void checkKey(std::string_view url) {
  const std::string key = cacheKey(url);
  check(key.size() <= url.size());
  if (url.size() >= 7 && (url[0] | 0x20) == 'h' && (url[1] | 0x20) == 't' && (url[2] | 0x20) == 't' &&
      (url[3] | 0x20) == 'p' && url.substr(4, 3) == "://") {
    check(key.starts_with("http://"));
  }
  check(cacheHash(key) == cacheHash(key));
}

void checkConditionalLine(const std::uint8_t* data, std::size_t size) {
  std::uint32_t when = 0;
  std::memcpy(&when, data, std::min(size, sizeof when));
  const std::string line = conditionalLine(when);
  check(line.size() <= 127);
  if (line.empty()) return;
  check(line.starts_with("If-Modified-Since: ") && line.ends_with(" GMT\r\n"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view value(reinterpret_cast<const char*>(data), size);
  checkDirectives(value);
  checkDecision(value);
  checkKey(value);
  checkConditionalLine(data, size);
  return 0;
}
