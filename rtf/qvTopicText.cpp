#include "rtf/qvTopicText.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/qvTextUtil.h"

namespace qvTopicText {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Splits `text` at any of `separators`, skipping empty pieces.
template <typename Visit>
void forEachToken(std::string_view text, std::string_view separators, Visit visit) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(separators, start);
    const size_t stop = end == std::string_view::npos ? text.size() : end;
    if (stop > start) visit(text.substr(start, stop - start));
    start = stop + 1;
  }
}

constexpr std::string_view kWordSeparators = " \r\n\t;,";
constexpr std::string_view kQualifiedSeparators = " \r\n\t;";

// Every word of at least four characters, each followed by ';'.
void appendLongWords(std::string& out, std::string_view text) {
  forEachToken(text, kWordSeparators, [&](std::string_view token) {
    const std::string_view word = qvTrim(token);
    if (word.size() < 4) return;
    out.append(word);
    out.push_back(';');
  });
}

// "util.text.Parser" gives "util;text.util;Parser.text.util;": each name part
// is put in front of what was built so far, and the built text is listed
// after every name part.
void appendQualifiedName(std::string& out, std::string_view name) {
  std::string built;
  size_t pos = 0;
  while (pos < name.size()) {
    const bool isDot = name[pos] == '.';
    const size_t end = isDot ? pos + 1 : std::min(name.find('.', pos), name.size());
    built.insert(0, name.substr(pos, end - pos));
    if (!isDot) {
      out.append(built);
      out.push_back(';');
    }
    pos = end;
  }
}

// Titles generated for class documentation: "class a.b.C", "interface ...",
// "package ...". Returns false when the title is not of that form.
bool appendClassKeywords(std::string& out, std::string_view title) {
  const std::string lowered = qvLowerCase(title);
  static constexpr std::array<std::string_view, 3> kKinds = {"class ", "interface ", "package "};
  for (std::string_view kind : kKinds) {
    if (!startsWith(lowered, kind)) continue;
    std::string plural(kind.substr(0, kind.size() - 1));
    if (plural.back() != 'e') plural.push_back('e');
    out.append(plural).append("s;");
    std::string_view rest = title.substr(kind.size());
    const size_t first = rest.find_first_not_of(kQualifiedSeparators);
    if (first == std::string_view::npos) return true;
    rest.remove_prefix(first);
    const size_t end = std::min(rest.find_first_of(kQualifiedSeparators), rest.size());
    appendQualifiedName(out, rest.substr(0, end));
    appendLongWords(out, rest.substr(end));
    return true;
  }
  return false;
}

std::string_view withoutScheme(std::string_view title) {
  const std::string lowered = qvLowerCase(title.substr(0, 7));
  static constexpr std::array<std::string_view, 6> kSchemes = {"http://", "file://", "ftp://",
                                                               "http:",   "file:",   "ftp:"};
  for (std::string_view scheme : kSchemes) {
    if (startsWith(lowered, scheme)) return title.substr(scheme.size());
  }
  return title;
}

}  // namespace

std::string escapeFootnoteText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 128) {
      out.append("\\'");
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
      continue;
    }
    if (c == '\\' || c == '{' || c == '}' || c == '[' || c == ']') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string titleFootnoteText(std::string_view title) {
  const std::string_view trimmed = qvTrim(title);
  std::string text;
  const bool quote = !trimmed.empty() && std::isdigit(static_cast<unsigned char>(trimmed.front()));
  if (quote) text.push_back('"');
  text.append(trimmed);
  if (quote) text.push_back('"');
  for (char& c : text) {
    if (std::string_view("#=+>@*%!{}\r\n").find(c) != std::string_view::npos) c = ' ';
  }
  return std::string(qvTrim(escapeFootnoteText(text)));
}

std::string singleLineTitle(std::string_view title) {
  std::string line;
  line.reserve(title.size());
  bool blankOwed = false;
  for (char c : title) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blankOwed = !line.empty();
      continue;
    }
    if (blankOwed) line.push_back(' ');
    blankOwed = false;
    line.push_back(c);
  }
  return line;
}

std::string titleRegionText(std::string_view title) {
  std::string collapsed;
  collapsed.reserve(title.size());
  bool inSpace = false;
  for (char c : title) {
    const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (space && inSpace) continue;
    collapsed.push_back(space ? ' ' : c);
    inSpace = space;
  }
  return escapeFootnoteText(collapsed);
}

std::string keywordText(std::string_view title) {
  // Line breaks become blanks, as in the title footnote; a keyword with a
  // raw line break in it would be split by whoever reads the topic.
  std::string line(title);
  std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  const std::string_view trimmed = qvTrim(line);
  std::string out;
  if (!appendClassKeywords(out, trimmed)) {
    const std::string_view rest = withoutScheme(trimmed);
    out.append(rest).push_back(';');
    appendLongWords(out, rest);
  }
  return escapeFootnoteText(out);
}

}  // namespace qvTopicText
