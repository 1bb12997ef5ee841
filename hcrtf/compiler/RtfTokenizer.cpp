#include "hcrtf/compiler/RtfTokenizer.h"

#include <cctype>

namespace hcrtf::compiler {

namespace {
constexpr std::size_t kMaxWordLength = 32;
constexpr long kParamLimit = 0x7FFFFFFF;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

RtfToken RtfTokenizer::next() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
      continue;
    }
    if (c == '\r' || c == '\0') {
      ++pos_;
      continue;
    }
    RtfToken token;
    token.line = line_;
    if (c == '{') {
      ++pos_;
      token.type = RtfToken::Type::GroupStart;
      return token;
    }
    if (c == '}') {
      ++pos_;
      token.type = RtfToken::Type::GroupEnd;
      return token;
    }
    if (c == '\\') return controlSequence(line_);
    ++pos_;
    token.type = RtfToken::Type::Text;
    token.byte = static_cast<unsigned char>(c);
    return token;
  }
  RtfToken end;
  end.line = line_;
  return end;
}

int RtfTokenizer::hexDigit(std::size_t at) const {
  if (at >= text_.size()) return -1;
  const char c = text_[at];
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

RtfToken RtfTokenizer::controlSequence(int startLine) {
  RtfToken token;
  token.line = startLine;
  ++pos_;  // the backslash
  if (pos_ >= text_.size()) {
    token.type = RtfToken::Type::End;
    return token;
  }
  const char c = text_[pos_];
  if (!isLetter(c)) {
    ++pos_;
    if (c == '\'') {
      const int high = hexDigit(pos_);
      const int low = high < 0 ? -1 : hexDigit(pos_ + 1);
      if (low < 0) {
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = '\'';
        return token;
      }
      pos_ += 2;
      token.type = RtfToken::Type::HexByte;
      token.byte = static_cast<unsigned char>(high * 16 + low);
      return token;
    }
    if (c == '\n') ++line_;
    token.type = RtfToken::Type::ControlSymbol;
    token.symbol = c;
    return token;
  }
  token.type = RtfToken::Type::ControlWord;
  while (pos_ < text_.size() && isLetter(text_[pos_])) {
    if (token.word.size() < kMaxWordLength) token.word += text_[pos_];
    ++pos_;
  }
  bool negative = false;
  if (pos_ + 1 < text_.size() && text_[pos_] == '-' && isDigit(text_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  if (pos_ < text_.size() && isDigit(text_[pos_])) {
    token.hasParam = true;
    long value = 0;
    while (pos_ < text_.size() && isDigit(text_[pos_])) {
      if (value < kParamLimit / 10) value = value * 10 + (text_[pos_] - '0');
      else value = kParamLimit;
      ++pos_;
    }
    token.param = negative ? -value : value;
  }
  if (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  return token;
}

}  // namespace hcrtf::compiler
