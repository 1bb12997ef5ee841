#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/HelpModel.h"

namespace hcrtf::compiler {

// Receives the meaning of the RTF (text in fonts, hidden text, breaks,
// footnotes, paragraph and page ends) and assembles topics from it. It knows
// the help-RTF conventions: hotspot text followed by hidden target text makes
// a hotspot, footnote marks say what a footnote is, a page break ends a topic.
class TopicCollector {
 public:
  TopicCollector(Diagnostics& diagnostics, std::vector<Topic>& out) : diag_(diagnostics), out_(out) {}

  void setFile(std::string fileName) { file_ = std::move(fileName); }

  void text(std::string_view text, const FontSpec& font, HotspotStyle style, int line);
  void hiddenText(std::string_view text, int line);
  void lineBreak(int line);
  void tab(int line);
  void picture(PictureRef picture);
  // A hotspot that runs `macro` when its text `label` is clicked.
  void macroHotspot(std::string_view label, const FontSpec& font, std::string macro, int line);
  // Takes back the character written just before a footnote: it is the
  // footnote's mark ("#", "$", "K", ...). 0 when there is none.
  char takeFootnoteMark();
  void footnote(char mark, std::string_view text, int line);
  void endParagraph(const ParagraphFormat& format, bool withPar, int line);
  // A paragraph of a table cell ends (\par or \cell inside a row); it is
  // kept even when empty, since an empty cell still takes its place.
  void endTableParagraph(const ParagraphFormat& format, TablePlace place, int line);
  // \row: the last table paragraph ends the row.
  void endTableRow();
  bool hasPendingContent() const { return !paragraph_.content.empty() || !hidden_.empty(); }
  // A page break: the topic ends here.
  void endTopic(const ParagraphFormat& format, int line);
  // The end of the file: a topic without a closing page break still counts.
  void finish(const ParagraphFormat& format, int line);

 private:
  SourcePos at(int line) const { return SourcePos{file_, line}; }
  void touch(int line);
  void flushHidden();
  void makeHotspot(const std::string& target);
  static bool hasVisibleContent(const Paragraph& paragraph);

  Diagnostics& diag_;
  std::vector<Topic>& out_;
  std::string file_;
  Topic topic_;
  bool topicStarted_ = false;
  Paragraph paragraph_;
  std::string hidden_;
  int hiddenLine_ = 0;
};

}  // namespace hcrtf::compiler
