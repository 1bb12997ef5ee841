#include "html/qvEntityTable.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace {

// HTML 3.2's Latin-1 names in code order, 160 to 255.
constexpr std::array<std::string_view, 96> kLatin1Names{
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

using Entry = std::pair<std::string_view, int>;

std::array<Entry, 101> sortedEntries() {
  std::array<Entry, 101> entries{};
  std::size_t n = 0;
  // The trade-mark sign is where the Windows code page keeps it, not its
  // Unicode value, because pages are written in that code page.
  for (const Entry& e : {Entry{"lt", 60}, Entry{"gt", 62}, Entry{"amp", 38}, Entry{"quot", 34},
                         Entry{"trade", 153}}) {
    entries[n++] = e;
  }
  for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
    entries[n++] = Entry{kLatin1Names[i], static_cast<int>(160 + i)};
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

const std::array<Entry, 101>& entries() {
  static const std::array<Entry, 101> table = sortedEntries();
  return table;
}

}  // namespace

const qvEntityTable& qvEntityTable::instance() {
  static const qvEntityTable table;
  return table;
}

qvEntityTable::qvEntityTable() {
  for (int i = 0; i < 256; ++i) characters_[i] = static_cast<char>(i);
  entries();
}

std::optional<int> qvEntityTable::lookup(std::string_view name) const {
  const auto& table = entries();
  const auto it = std::lower_bound(table.begin(), table.end(), name,
                                   [](const Entry& e, std::string_view key) { return e.first < key; });
  if (it == table.end() || it->first != name) return std::nullopt;
  return it->second;
}
