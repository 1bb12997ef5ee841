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

// The punctuation and letters that Windows-1252 keeps at 0x80..0x9F, by their
// HTML names, at their code-page positions: today's pages write dashes and
// quotation marks this way, and a topic should show the character rather than
// the reference.
constexpr std::array<Entry, 26> kWindowsNames{{
    {"euro", 128},  {"sbquo", 130}, {"fnof", 131},   {"bdquo", 132},  {"hellip", 133}, {"dagger", 134},
    {"Dagger", 135}, {"circ", 136},  {"permil", 137}, {"Scaron", 138}, {"lsaquo", 139}, {"OElig", 140},
    {"lsquo", 145}, {"rsquo", 146}, {"ldquo", 147},  {"rdquo", 148},  {"bull", 149},   {"ndash", 150},
    {"mdash", 151}, {"tilde", 152}, {"scaron", 154}, {"rsaquo", 155}, {"oelig", 156},  {"Yuml", 159},
    {"Zcaron", 142}, {"zcaron", 158}}};

constexpr std::size_t kEntryCount = 5 + kWindowsNames.size() + 96;

std::array<Entry, kEntryCount> sortedEntries() {
  std::array<Entry, kEntryCount> entries{};
  std::size_t n = 0;
  // The trade-mark sign is where the Windows code page keeps it, not its
  // Unicode value, because pages are written in that code page.
  for (const Entry& e : {Entry{"lt", 60}, Entry{"gt", 62}, Entry{"amp", 38}, Entry{"quot", 34},
                         Entry{"trade", 153}}) {
    entries[n++] = e;
  }
  for (const Entry& e : kWindowsNames) entries[n++] = e;
  for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
    entries[n++] = Entry{kLatin1Names[i], static_cast<int>(160 + i)};
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

const std::array<Entry, kEntryCount>& entries() {
  static const std::array<Entry, kEntryCount> table = sortedEntries();
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
