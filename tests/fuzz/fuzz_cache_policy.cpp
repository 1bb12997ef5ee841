// Cache-Control and Pragma values of any content through the directive
// reader and the store decision, and any stored time through the
// If-Modified-Since line. Besides not crashing: a directive appended to a
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
  checkConditionalLine(data, size);
  return 0;
}
