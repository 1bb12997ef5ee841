#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hcrtf::compiler {

// One lexical element of RTF.
struct RtfToken {
  enum class Type { GroupStart, GroupEnd, ControlWord, ControlSymbol, HexByte, Text, End };
  Type type = Type::End;
  std::string word;       // ControlWord: its letters
  bool hasParam = false;  // ControlWord: a numeric parameter followed
  long param = 0;         // clamped to a 32-bit range
  char symbol = 0;        // ControlSymbol: the character after the backslash
  unsigned char byte = 0; // HexByte and Text
  int line = 1;           // where the token starts
};

// Splits RTF text into tokens without ever reading past its end. Line breaks
// in the source are not text in RTF; they are skipped, but counted for
// messages. Control words longer than RTF allows are cut, and numeric
// parameters are clamped, so hostile input cannot overflow anything.
class RtfTokenizer {
 public:
  explicit RtfTokenizer(std::string_view text) : text_(text) {}

  RtfToken next();
  int line() const { return line_; }

 private:
  RtfToken controlSequence(int startLine);
  int hexDigit(std::size_t at) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace hcrtf::compiler
