#include "hcrtf/dump/TargetCheck.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "hcrtf/common/HelpHash.h"
#include "hcrtf/dump/TextEscape.h"

namespace hcrtf::dump {

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// One macro argument from `pos`: "text", `text' or bare text up to "," or
// ")"; `pos` is left after it.
std::string_view argument(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos >= text.size()) return {};
  const char open = text[pos];
  if (open == '"' || open == '`') {
    const char close = open == '"' ? '"' : '\'';
    const std::size_t end = text.find(close, pos + 1);
    if (end == std::string_view::npos) return {};
    const std::string_view value = text.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    return value;
  }
  const std::size_t end = std::min(text.find_first_of(",)", pos), text.size());
  const std::string_view value = trim(text.substr(pos, end - pos));
  pos = end;
  return value;
}

}  // namespace

TargetCheck::TargetCheck(std::set<std::int32_t> defined, std::string ownFileName)
    : defined_(std::move(defined)), ownFileName_(lower(ownFileName)) {}

void TargetCheck::scan(std::string_view text, const std::string& where) {
  scanHotspots(text, where);
  scanMacros(text, where);
}

void TargetCheck::scanHotspots(std::string_view text, const std::string& where) {
  static const std::array<std::string_view, 2> kinds = {"<jump", "<popup"};
  for (const std::string_view kind : kinds) {
    for (std::size_t at = text.find(kind); at != std::string_view::npos; at = text.find(kind, at + 1)) {
      if (at > 0 && text[at - 1] == '\\') continue;  // "<" in the topic's own text
      const std::size_t close = text.find('>', at);
      if (close == std::string_view::npos) break;
      const std::string_view marker = text.substr(at, close - at);
      const std::size_t hex = marker.find(" 0x");
      if (hex == std::string_view::npos || marker.substr(0, hex).find(' ') != std::string_view::npos) continue;
      if (marker.find(" file \"") != std::string_view::npos) {
        const std::size_t start = marker.find(" file \"") + 7;
        if (!isThisFile(marker.substr(start, marker.rfind('"') - start))) continue;
      }
      const std::string digits(marker.substr(hex + 3, 8));
      if (digits.size() != 8 || digits.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) continue;
      check(static_cast<std::int32_t>(std::stoul(digits, nullptr, 16)), "0x" + digits, where);
    }
  }
}

void TargetCheck::scanMacros(std::string_view text, const std::string& where) {
  static const std::array<std::string_view, 4> names = {"jumpid", "ji", "popupid", "pi"};
  const std::string folded = lower(text);
  for (const std::string_view name : names) {
    for (std::size_t at = folded.find(name); at != std::string::npos; at = folded.find(name, at + 1)) {
      if (at > 0 && isNameChar(folded[at - 1])) continue;
      std::size_t pos = at + name.size();
      while (pos < text.size() && text[pos] == ' ') ++pos;
      if (pos >= text.size() || text[pos] != '(') continue;
      ++pos;
      const std::string_view file = argument(text, pos);
      while (pos < text.size() && text[pos] == ' ') ++pos;
      if (pos >= text.size() || text[pos] != ',') continue;
      ++pos;
      const std::string_view context = argument(text, pos);
      if (context.empty() || !isThisFile(file)) continue;
      check(helpHash(context), std::string(context), where);
    }
  }
}

// "", "this.hlp", "..\\HELP\\THIS.HLP" and "this.hlp>second" all name this file.
bool TargetCheck::isThisFile(std::string_view file) const {
  file = trim(file.substr(0, file.find('>')));
  if (file.empty()) return true;
  const std::size_t slash = file.find_last_of("\\/");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  return lower(file) == ownFileName_;
}

void TargetCheck::check(std::int32_t hash, const std::string& shown, const std::string& where) {
  ++checked_;
  if (!defined_.count(hash)) undefined_.push_back(UndefinedTarget{shown, where});
}

}  // namespace hcrtf::dump
