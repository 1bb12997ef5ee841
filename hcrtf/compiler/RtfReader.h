#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/HelpModel.h"
#include "hcrtf/compiler/RtfTokenizer.h"
#include "hcrtf/compiler/TopicCollector.h"

namespace hcrtf::compiler {

// Reads Windows Help RTF: the topic files the converter writes and the
// common hand-written forms (\page topics, # $ K + ! > footnotes, hotspots
// with hidden targets, paragraph and character formatting, \{bmc file\}
// picture references). Whatever it cannot use is reported with file and line
// and skipped; reading always reaches the end of the text.
class RtfReader {
 public:
  RtfReader(Diagnostics& diagnostics, std::vector<Topic>& topics);

  // Called with the topics vector whenever topics were appended to it; it
  // may take them out, so that a file's topics need not all be held at once.
  using TopicSink = std::function<void(std::vector<Topic>&)>;

  // Appends the topics of one file. `fileName` is used in messages.
  void read(std::string_view text, const std::string& fileName, const TopicSink& sink = {});
  // The ANSI code page the last file declared (\ansicpg), 1252 when none.
  int codePage() const { return codePage_; }
  // The character sets (\fcharset) of the last file's fonts that its text
  // used, other than ANSI (0), default (1) and symbol (2) sets.
  const std::set<int>& textCharsets() const { return textCharsets_; }

 private:
  struct CharState {
    int font = -1;  // -1: the document's default font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, doubleUnderline = false;
    bool strike = false, hidden = false, smallCaps = false;
    int colour = 0;
  };
  enum class Destination { Body, FontTable, ColourTable, Footnote, Skip };
  struct Group {
    CharState chars;
    ParagraphFormat para;
    Destination destination = Destination::Body;
    bool footnoteStart = false;  // this group opened a footnote
    char footnoteMark = 0;
  };
  struct FontEntry {
    std::string face;
    int family = 3;
    int charset = 1;  // \fcharset; 1 is "default"
  };

  void reset(const std::string& fileName);
  void token(const RtfToken& token);
  void openGroup(int line);
  void closeGroup(int line);
  void controlWord(const RtfToken& token);
  bool characterWord(const RtfToken& token);
  bool paragraphWord(const RtfToken& token);
  bool specialCharacterWord(const RtfToken& token);
  bool destinationWord(const RtfToken& token);
  void controlSymbol(const RtfToken& token);
  void character(unsigned char c, int line);
  void flushText();
  bool tableWord(const RtfToken& token);
  void endRow(int line);
  void startEmbedded(int line);
  void finishEmbedded(int line);
  void abandonEmbedded();
  void footnoteBoundary();
  void button(const std::string& argument, int line);
  void fontTableCharacter(unsigned char c);
  void notePictureInText(const RtfToken& token);
  void reportPictures();
  void colourTableCharacter(unsigned char c);
  FontSpec currentFont();
  HotspotStyle currentStyle() const;
  Group& top() { return groups_.back(); }
  SourcePos at(int line) const { return SourcePos{file_, line}; }

  Diagnostics& diag_;
  std::vector<Topic>& topics_;
  TopicCollector collector_;
  std::string file_;
  std::vector<Group> groups_;
  std::size_t overflowDepth_ = 0;
  std::map<int, FontEntry> fonts_;
  int defaultFont_ = 0;
  int fontTableNumber_ = 0;
  std::string fontTableName_;
  int fontTableFamily_ = 3;
  int fontTableCharset_ = 1;
  int codePage_ = 1252;
  std::set<int> textCharsets_;
  int embeddedPictures_ = 0;
  int firstPictureLine_ = 0;
  bool afterShapePicture_ = false;  // the last picture counted was a \shppict
  std::vector<std::uint32_t> colours_;
  std::uint32_t colourInProgress_ = 0;
  std::string pending_;   // body text waiting for a format change
  int pendingLine_ = 0;
  std::string footnoteText_;
  char footnoteMark_ = 0;
  bool footnoteLeadSeen_ = false;  // the footnote's first text has been looked at
  bool embedding_ = false;
  std::string embedded_;
  int embeddedLine_ = 0;
  int unicodeSkip_ = 1;
  int skipChars_ = 0;
  int line_ = 1;
  std::set<std::string> reportedWords_;
  std::set<int> reportedFonts_;
  TableRowFormat row_;  // the row being read (\trowd ... \row)
  bool inRow_ = false;
  int cell_ = 0;
};

}  // namespace hcrtf::compiler
