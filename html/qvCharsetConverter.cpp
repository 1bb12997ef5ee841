#include "html/qvCharsetConverter.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/qvTextUtil.h"

namespace {

constexpr std::size_t kDeclarationWindow = 8192;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The code points Windows-1252 puts at 0x80..0x9F; 0 marks its five holes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Length of the well-formed UTF-8 sequence at `pos` (storing its code point),
// or 0 when the bytes there are not one (overlong forms and surrogates
// included).
std::size_t decodeAt(std::string_view s, std::size_t pos, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  std::size_t len = 0;
  char32_t min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (pos + len > s.size()) return 0;
  for (std::size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}


// The value following "charset" in a lower-cased <meta ...> tag, or empty.
std::string charsetIn(std::string_view tag) {
  const auto at = tag.find("charset");
  if (at == std::string_view::npos) return {};
  std::size_t i = at + 7;
  while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\r' || tag[i] == '\n')) ++i;
  if (i >= tag.size() || tag[i] != '=') return {};
  ++i;
  while (i < tag.size() && (tag[i] == ' ' || tag[i] == '"' || tag[i] == '\'')) ++i;
  std::size_t end = i;
  while (end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[end])) || tag[end] == '-' ||
                              tag[end] == '_' || tag[end] == ':' || tag[end] == '.')) {
    ++end;
  }
  return std::string(tag.substr(i, end - i));
}

}  // namespace

qvCharsetConverter::Declared qvCharsetConverter::declaredCharset(std::string_view page) {
  if (page.starts_with(kByteOrderMark)) return Declared::Utf8;
  const std::string head = qvLowerCase(page.substr(0, kDeclarationWindow));
  for (std::size_t at = head.find("<meta"); at != std::string::npos; at = head.find("<meta", at + 5)) {
    const auto close = head.find('>', at);
    if (close == std::string::npos) break;
    const std::string name = charsetIn(std::string_view(head).substr(at, close - at));
    if (name.empty()) continue;
    return (name == "utf-8" || name == "utf8") ? Declared::Utf8 : Declared::Other;
  }
  return Declared::None;
}

bool qvCharsetConverter::looksLikeUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (std::size_t pos = 0; pos < bytes.size();) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = decodeAt(bytes, pos, cp);
    if (len == 0) return false;
    multiByte = true;
    pos += len;
  }
  return multiByte;
}

bool qvCharsetConverter::htmlNeedsTranscoding(std::string_view page) {
  switch (declaredCharset(page)) {
    case Declared::Utf8:
      return true;
    case Declared::Other:
      return false;
    case Declared::None:
      break;
  }
  return looksLikeUtf8(page);
}

bool qvCharsetConverter::textNeedsTranscoding(std::string_view text) {
  return text.starts_with(kByteOrderMark) || looksLikeUtf8(text);
}

char qvCharsetConverter::windows1252For(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
  }
  return '?';
}

std::string qvCharsetConverter::utf8ToWindows1252(std::string_view utf8) {
  std::string text(utf8);
  utf8ToWindows1252InPlace(text);
  return text;
}

void qvCharsetConverter::utf8ToWindows1252InPlace(std::string& text) {
  const std::size_t size = text.size();
  std::size_t read = std::string_view(text).starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  std::size_t write = 0;
  // Until the first byte that is not ASCII (most of a page), nothing moves.
  if (read == 0) {
    while (read < size && static_cast<unsigned char>(text[read]) < 0x80) ++read;
    write = read;
  }
  // `write` never passes `read`: only bytes already decoded are overwritten.
  const std::string_view utf8(text);
  while (read < size) {
    if (static_cast<unsigned char>(text[read]) < 0x80) {
      text[write++] = text[read++];
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = decodeAt(utf8, read, cp);
    if (len == 0) {
      text[write++] = text[read++];
      continue;
    }
    text[write++] = windows1252For(cp);
    read += len;
  }
  text.resize(write);
}
