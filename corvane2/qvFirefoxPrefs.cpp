#include "corvane2/qvFirefoxPrefs.h"

#include <limits>

namespace {

bool isIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(std::string& out, std::uint32_t code) {
  // Unpaired surrogates and out-of-range values become U+FFFD rather than
  // invalid UTF-8.
  if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// A cursor over one file; every reader leaves `pos` where it stopped and
// reports failure without throwing.
class PrefsScanner {
 public:
  explicit PrefsScanner(std::string_view text) : text_(text) {}

  bool atEnd() {
    skipBlanksAndComments();
    return pos_ >= text_.size();
  }

  // One statement; false when it does not read (the caller skips it).
  bool statement(std::string& name, qvFirefoxPrefs::Value& value) {
    std::string_view word = identifier();
    if (word != "user_pref" && word != "pref" && word != "sticky_pref") return false;
    if (!symbol('(')) return false;
    if (!string(name)) return false;
    if (!symbol(',')) return false;
    if (!literal(value)) return false;
    // Default-file forms may carry attributes ("locked", "sticky") after
    // the value.
    while (symbol(',')) {
      if (identifier().empty()) return false;
    }
    return symbol(')') && symbol(';');
  }

  void skipStatement() {
    size_t semicolon = text_.find(';', pos_);
    size_t newline = text_.find('\n', pos_);
    size_t stop = std::min(semicolon, newline);
    pos_ = stop == std::string_view::npos ? text_.size() : stop + 1;
  }

 private:
  void skipBlanksAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//" || c == '#') {
        size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (text_.substr(pos_, 2) == "/*") {
        size_t end = text_.find("*/", pos_ + 2);
        pos_ = end == std::string_view::npos ? text_.size() : end + 2;
      } else {
        return;
      }
    }
  }

  std::string_view identifier() {
    skipBlanksAndComments();
    size_t start = pos_;
    while (pos_ < text_.size() && isIdentifierChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  bool symbol(char wanted) {
    skipBlanksAndComments();
    if (pos_ >= text_.size() || text_[pos_] != wanted) return false;
    ++pos_;
    return true;
  }

  bool literal(qvFirefoxPrefs::Value& value) {
    skipBlanksAndComments();
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_];
    if (c == '"' || c == '\'') {
      std::string s;
      if (!string(s)) return false;
      value = std::move(s);
      return true;
    }
    if (c == '-' || c == '+' || (c >= '0' && c <= '9')) return number(value);
    std::string_view word = identifier();
    if (word == "true" || word == "false") {
      value = word == "true";
      return true;
    }
    return false;
  }

  bool number(qvFirefoxPrefs::Value& value) {
    bool negative = text_[pos_] == '-';
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    size_t start = pos_;
    std::int64_t n = 0;
    const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      // Firefox keeps 32-bit integers; larger values are not preferences.
      n = n * 10 + (text_[pos_] - '0');
      if (n > limit + 1) return false;
      ++pos_;
    }
    if (pos_ == start) return false;
    if (!negative && n > limit) return false;
    value = negative ? -n : n;
    return true;
  }

  bool string(std::string& out) {
    skipBlanksAndComments();
    if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) return false;
    const char quote = text_[pos_++];
    out.clear();
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == quote) return true;
      if (c == '\n') {
        // Unterminated: the next line is a statement of its own.
        --pos_;
        return false;
      }
      if (c != '\\') {
        out += c;
      } else if (!escape(out)) {
        return false;
      }
    }
    return false;
  }

  bool escape(std::string& out) {
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_++];
    switch (c) {
      case 'n': out += '\n'; return true;
      case 'r': out += '\r'; return true;
      case 't': out += '\t'; return true;
      case 'x': return hexEscape(out, 2);
      case 'u': return unicodeEscape(out);
      default: out += c; return true;
    }
  }

  bool hexValue(size_t digits, std::uint32_t& code) {
    if (text_.size() - pos_ < digits) return false;
    code = 0;
    for (size_t i = 0; i < digits; ++i) {
      int d = hexDigit(text_[pos_ + i]);
      if (d < 0) return false;
      code = code * 16 + static_cast<std::uint32_t>(d);
    }
    pos_ += digits;
    return true;
  }

  bool hexEscape(std::string& out, size_t digits) {
    std::uint32_t code = 0;
    if (!hexValue(digits, code)) return false;
    appendUtf8(out, code);
    return true;
  }

  bool unicodeEscape(std::string& out) {
    std::uint32_t code = 0;
    if (!hexValue(4, code)) return false;
    if (code >= 0xD800 && code <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
      size_t mark = pos_;
      pos_ += 2;
      std::uint32_t low = 0;
      if (hexValue(4, low) && low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      } else {
        pos_ = mark;
      }
    }
    appendUtf8(out, code);
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

void qvFirefoxPrefs::parse(std::string_view text) {
  PrefsScanner scanner(text);
  while (!scanner.atEnd()) {
    std::string name;
    Value value;
    if (scanner.statement(name, value)) {
      values_[name] = std::move(value);
    } else {
      scanner.skipStatement();
    }
  }
}

std::optional<qvFirefoxPrefs::Value> qvFirefoxPrefs::value(const std::string& name) const {
  auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> qvFirefoxPrefs::text(const std::string& name) const {
  auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  if (const auto* s = std::get_if<std::string>(&found->second)) return *s;
  return std::nullopt;
}

std::optional<std::int64_t> qvFirefoxPrefs::integer(const std::string& name) const {
  auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  if (const auto* n = std::get_if<std::int64_t>(&found->second)) return *n;
  const auto* s = std::get_if<std::string>(&found->second);
  if (s == nullptr || s->empty() || s->size() > 9) return std::nullopt;
  std::int64_t n = 0;
  for (char c : *s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}
