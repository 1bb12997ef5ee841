#include "rtf/qvTopicFrame.h"

#include <algorithm>

#include "base/qvTextUtil.h"
#include "rtf/qvTopicText.h"

namespace qvTopicFrame {
namespace {

constexpr std::array<std::string_view, 13> kFixedColours = {
    "\\red0\\green255\\blue0;",     "\\red255\\green0\\blue255;",   "\\red255\\green0\\blue0;",
    "\\red255\\green255\\blue0;",   "\\red255\\green255\\blue255;", "\\red0\\green0\\blue127;",
    "\\red0\\green127\\blue127;",   "\\red0\\green127\\blue0;",     "\\red127\\green0\\blue127;",
    "\\red127\\green0\\blue0;",     "\\red127\\green127\\blue0;",   "\\red127\\green127\\blue127;",
    "\\red192\\green192\\blue192;"};

int component(int colour, int shift) { return std::min((colour >> shift) & 0xFF, 253); }

bool isLocalFile(std::string_view url) { return qvStartsWithNoCase(url, "file://"); }

}  // namespace

std::string colourEntry(int colour) {
  return "\\red" + std::to_string(component(colour, 0)) + "\\green" +
         std::to_string(component(colour, 8)) + "\\blue" + std::to_string(component(colour, 16)) +
         ";";
}

std::vector<std::string> headerLines(const std::array<int, 3>& colours) {
  std::vector<std::string> lines = {"{\\rtf1",
                                    "{\\fonttbl",
                                    "\\f0\\fswiss Arial;",
                                    "\\f1\\froman Times New Roman;",
                                    "\\f2\\fmodern Courier New;",
                                    "\\f3\\fswiss MS Sans Serif;",
                                    "\\f4\\froman MS Serif;",
                                    "}",
                                    "{\\colortbl;"};
  for (int colour : colours) lines.push_back(colourEntry(colour));
  lines.insert(lines.end(), kFixedColours.begin(), kFixedColours.end());
  lines.insert(lines.end(), {"}", "\\deff0", "\\fs18"});
  return lines;
}

std::vector<std::string> footnoteLines(const qvTopicPage& page) {
  std::vector<std::string> lines = {
      "#{\\footnote " + page.contextString + "}",
      "${\\footnote " + qvTopicText::titleFootnoteText(page.title) + "}",
      "K{\\footnote " + qvTopicText::keywordText(page.title) + "}"};
  if (page.browse) lines.emplace_back("+{\\footnote :auto}");
  return lines;
}

std::vector<std::string> backgroundLines(int background) {
  if (background == -1) return {};
  return {"!{\\footnote SetWindowLong(hwndContext, 0, " + std::to_string(background) + ")}"};
}

std::vector<std::string> titleRegionLines(const qvTopicPage& page) {
  std::vector<std::string> lines = {"{\\keepn", "\\fs35\\b", qvTopicText::titleRegionText(page.title)};
  if (page.nestedTables) {
    lines.emplace_back(
        "\\par\\fs17\\b0\\i Warning : the HTML for this topic featured nested tables. Results may "
        "not be as expected.");
  }
  if (page.notFullyRetrieved) lines.emplace_back("\\par\\fs17\\b0\\i Note : This URL was not fully retrieved.");
  if (page.elementsSkipped) lines.emplace_back("\\par\\fs17\\b0\\i Note : This URL had some elements skipped.");
  lines.insert(lines.end(), {"\\par\\pard}", "\\cf1"});
  return lines;
}

std::vector<std::string> sourceLines(std::string_view sourceURL) {
  if (sourceURL.empty()) return {};
  std::vector<std::string> lines = {"\\brdrb\\par\\pard\\f0\\fs18\\b0\\i\\qc"};
  if (isLocalFile(sourceURL)) return lines;
  const std::string url = qvTopicText::escapeFootnoteText(sourceURL);
  lines.push_back("{\\uldb\\cf3 [" + url + "]}{\\v *!ExecFile(\"" + url + "\")}\\par\\pard");
  return lines;
}

}  // namespace qvTopicFrame
