#pragma once
// Pages are handled internally as Windows-1252 bytes, one byte per character:
// that is what the item model, the intermediate files and the RTF writer
// expect. Most of today's pages are UTF-8, so this class recognises them (from
// a byte-order mark, a <meta> declaration, or the bytes themselves) and turns
// them into Windows-1252 before they are parsed.

#include <string>
#include <string_view>

class qvCharsetConverter {
 public:
  enum class Declared { None, Utf8, Other };

  // The character set named by the first <meta charset=...> or
  // <meta http-equiv="Content-Type" content="...; charset=..."> within the
  // first 8 KB of `page` (a declaration further down is too late to be
  // trusted). A UTF-8 byte-order mark counts as a UTF-8 declaration.
  static Declared declaredCharset(std::string_view page);

  // True when `bytes` holds at least one multi-byte sequence and every byte
  // above 127 belongs to a well-formed UTF-8 sequence.
  static bool looksLikeUtf8(std::string_view bytes);

  // Whether an HTML page must be transcoded: declared UTF-8, or declaring
  // nothing and looking like UTF-8. A page that declares another character set
  // is left as it stands.
  static bool htmlNeedsTranscoding(std::string_view page);

  // Whether a plain-text file must be transcoded (no declaration possible).
  static bool textNeedsTranscoding(std::string_view text);

  // UTF-8 to Windows-1252. A leading byte-order mark is dropped; characters
  // that Windows-1252 lacks become '?'; a byte that starts no well-formed
  // sequence is kept as it stands, so a mislabelled Windows-1252 page loses
  // nothing.
  static std::string utf8ToWindows1252(std::string_view utf8);
  // The same, over the text itself: Windows-1252 is never longer than the
  // UTF-8 it comes from, so a page needs no second buffer.
  static void utf8ToWindows1252InPlace(std::string& text);

  // The Windows-1252 byte for a Unicode code point, or '?' when it has none.
  static char windows1252For(char32_t codePoint);
};
