// Feeds arbitrary bytes to the character-set recognition and the UTF-8 to
// Windows-1252 transcoder. Besides not crashing: transcoding never makes a
// page longer, leaves pure ASCII alone, and a text that is well-formed UTF-8
// comes out with one byte per character.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "html/qvCharsetConverter.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

std::size_t characters(std::string_view utf8) {
  std::size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qvCharsetConverter::declaredCharset(bytes);
  const bool html = qvCharsetConverter::htmlNeedsTranscoding(bytes);
  const bool text = qvCharsetConverter::textNeedsTranscoding(bytes);
  const std::string out = qvCharsetConverter::utf8ToWindows1252(bytes);
  check(out.size() <= bytes.size());
  bool ascii = true;
  for (const char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) check(out == bytes && !text && (!html || qvCharsetConverter::declaredCharset(bytes) !=
                                                         qvCharsetConverter::Declared::None));
  if (qvCharsetConverter::looksLikeUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF")) {
    check(out.size() == characters(bytes));
  }
  return 0;
}
