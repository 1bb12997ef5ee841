#include "html/qvPrototypeRegistry.h"

#include <array>

#include "base/qvTextUtil.h"
#include "html/qvGenericTag.h"
#include "html/qvTagAnchor.h"
#include "html/qvTagBR.h"
#include "html/qvTagBase.h"
#include "html/qvTagBaseFont.h"
#include "html/qvTagCaption.h"
#include "html/qvTagChunks.h"
#include "html/qvTagDL.h"
#include "html/qvTagDiscardable.h"
#include "html/qvTagDiv.h"
#include "html/qvTagFont.h"
#include "html/qvTagForm.h"
#include "html/qvTagFormatting.h"
#include "html/qvTagHR.h"
#include "html/qvTagImg.h"
#include "html/qvTagP.h"
#include "html/qvTagPlaintext.h"
#include "html/qvTagPre.h"
#include "html/qvTagTable.h"
#include "html/qvTagTitle.h"
#include "html/qvTagUL.h"

const std::vector<qvPrototypeEntry>& qvPrototypeEntries() {
  static const std::vector<qvPrototypeEntry> entries{
      {"qvTagFormatting",
       "((b)|(i)|(h[1-6])|(center)|(em)|(strong)|(dfn)|(code)|(samp)|(blockquote)|(kbd)|(var)|(cite)|(strike)|"
       "(big)|(small)|(sub)|(sup)|(tt)|(u))",
       2,
       {3,  4,  10, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 63, 64, 65, 66, 67, 68},
       &qvMakeTag<qvTagFormatting>,
       {{"b", 3},       {"i", 4},       {"u", 38},      {"em", 29},      {"tt", 37},     {"h1", 63},
        {"h2", 64},     {"h3", 65},     {"h4", 66},     {"h5", 67},      {"h6", 68},     {"big", 40},
        {"dfn", 31},    {"kbd", 34},    {"sub", 42},    {"sup", 43},     {"var", 35},    {"cite", 36},
        {"code", 32},   {"samp", 33},   {"small", 41},  {"center", 10},  {"strike", 39}, {"strong", 30},
        {"blockquote", 44}}},
      {"qvTagAnchor", "((a)|(frame))", 6, {6, 47}, &qvMakeTag<qvTagAnchor>, {{"a", 6}, {"frame", 47}}},
      {"qvTagImg", "img", 7, {7}, &qvMakeTag<qvTagImg>, {}},
      {"qvTagP", "p", 12, {12}, &qvMakeTag<qvTagP>, {}},
      {"qvTagBR", "br", 5, {5}, &qvMakeTag<qvTagBR>, {}},
      {"qvTagHR", "hr", 11, {11}, &qvMakeTag<qvTagHR>, {}},
      {"qvTagFont", "font", 16, {16}, &qvMakeTag<qvTagFont>, {}},
      {"qvTagDiv", qvTagDiv::kNamePattern, 45, {45}, &qvMakeTag<qvTagDiv>, {}},
      {"qvTagDL", "((dl)|(dt)|(dd))", 18, {18, 20, 21}, &qvMakeTag<qvTagDL>,
       {{"dl", 18}, {"dt", 20}, {"dd", 21}}},
      {"qvTagUL", "((ul)|(li)|(ol)|(dir)|(menu))", 17, {17, 19, 22}, &qvMakeTag<qvTagUL>,
       {{"ul", 17}, {"li", 19}, {"ol", 22}, {"dir", 17}, {"menu", 17}}},
      {"qvTagPre", "pre", 8, {8}, &qvMakeTag<qvTagPre>, {}},
      {"qvTagTitle", "title", 9, {9}, &qvMakeTag<qvTagTitle>, {}},
      {"qvTagTable", "((table)|(tr)|(td)|(th))", 24, {24, 25, 26}, &qvMakeTag<qvTagTable>,
       {{"table", 24}, {"tr", 25}, {"td", 26}, {"th", 26}}},
      {"qvTagCaption", "caption", 23, {23}, &qvMakeTag<qvTagCaption>, {}},
      {"qvTagChunks", "((html)|(head)|(body))", 1, {13, 14, 15}, &qvMakeTag<qvTagChunks>,
       {{"html", 13}, {"head", 14}, {"body", 15}}},
      {"qvTagDiscardable", "((script)|(style))", 48, {48, 51}, &qvMakeTag<qvTagDiscardable>, {}},
      {"qvTagForm", "form", 49, {49}, &qvMakeTag<qvTagForm>, {}},
      {"qvTagBase", "base", 27, {27}, &qvMakeTag<qvTagBase>, {}},
      {"qvTagBaseFont", "basefont", 28, {28}, &qvMakeTag<qvTagBaseFont>, {}},
      {"qvTagPlaintext", "((xmp)|(listing)|(plaintext))", 46, {46}, &qvMakeTag<qvTagPlaintext>, {}},
      {"qvGenericTag", qvGenericTag::kNamePattern, qvGenericTag::kTypeCode, {1}, &qvMakeTag<qvGenericTag>, {}},
  };
  return entries;
}

qvTagFactory qvRestoreFactory(std::uint8_t recordCode) {
  // Asked once for every saved tag; the first class that claims a code wins.
  static const std::array<qvTagFactory, 256> byCode = [] {
    std::array<qvTagFactory, 256> table{};
    for (const qvPrototypeEntry& entry : qvPrototypeEntries()) {
      for (const std::uint8_t code : entry.recordCodes) {
        if (table[code] == nullptr) table[code] = entry.factory;
      }
    }
    return table;
  }();
  return byCode[recordCode];
}

std::uint8_t qvInstanceTypeCode(std::uint8_t typeCode, std::string_view name) {
  for (const qvPrototypeEntry& entry : qvPrototypeEntries()) {
    if (entry.typeCode != typeCode) continue;
    for (const auto& [entryName, code] : entry.instanceCodes) {
      if (entryName.size() == name.size() && qvStartsWithNoCase(name, entryName)) return code;
    }
  }
  return typeCode;
}
