// Feeds arbitrary bytes to the header phase as a server's lines would come
// from readln (pieces of at most 4095 bytes, split after each line feed),
// then looks the headers up. Besides not crashing, the head must respect
// its own limits whatever it is given.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpResponseHead.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::size_t kPieceLimit = 4095;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  HttpResponseHead head;
  while (!rest.empty() && head.state() == HttpResponseHead::State::kNeedMore) {
    std::size_t length = std::min(rest.size(), kPieceLimit);
    const std::size_t lineFeed = rest.substr(0, length).find('\n');
    if (lineFeed != std::string_view::npos) length = lineFeed + 1;
    head.feed(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  check(head.bytesTaken() <= HttpResponseHead::kTotalLimit + kPieceLimit);
  check(head.headers().size() <= HeaderList::kMaxLines);
  check(head.statusText().size() <= HttpResponseHead::kStatusTextLimit);
  check(head.status() >= -1 && head.status() <= 999);
  check(head.state() != HttpResponseHead::State::kFailed || head.errorCode() < 0);
  for (const char* name : {"Content-Length:", "Content-type:", "Location:", "Pragma:", "Cache-Control:"}) {
    if (const std::optional<std::string> value = head.headers().find(name)) {
      check(value->find_first_of("\r\n") == std::string::npos);
    }
  }
  for (std::size_t i = 0; i < head.headers().size(); ++i) {
    const std::string& line = head.headers().line(i);
    check(!line.empty() && line.find_first_of("\r\n") == std::string::npos);
    head.headers().find(line.substr(0, line.find(':') + 1));
  }
  return 0;
}
