#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/TableRecord.h"

namespace hcrtf::compiler {

// What the topic files say, after the RTF has been read and before anything
// is laid out in help-file terms. The RTF reader builds it; the help-file
// builders only read it.

// A character format as the viewer's font table stores it.
struct FontSpec {
  std::string face = "Arial";
  int family = 3;        // 1 modern, 2 roman, 3 swiss, 4 script, 5 decorative
  int halfPoints = 24;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  bool doubleUnderline = false;
  bool smallCaps = false;
  std::uint32_t rgb = 0;  // 0x00BBGGRR

  bool operator==(const FontSpec&) const = default;
};

enum class HotspotStyle { None, Popup, Jump };

// Visible text in one font. `style` marks text written as hotspot text
// (underlined for a popup, double-underlined or struck out for a jump); it
// becomes a hotspot only when hidden target text follows it.
struct TextRun {
  std::string text;
  FontSpec font;
  HotspotStyle style = HotspotStyle::None;
};

struct LineBreak {};
struct Tab {};

// The target of a hotspot, parsed from its hidden text.
struct Hotspot {
  enum class Kind { Jump, Popup, Macro };
  Kind kind = Kind::Jump;
  bool plain = false;     // "%" or "*": the viewer keeps the text's own look
  std::string target;     // context string, or the macro text for Kind::Macro
  std::string window;     // ">window", empty for the current one
  std::string file;       // "@file", empty for this help file
  SourcePos where;
};

struct HotspotStart {
  Hotspot hotspot;
};
struct HotspotEnd {};

// A picture by reference: {bmc file}, {bml file} or {bmr file}.
struct PictureRef {
  char align = 'c';       // 'c' in line, 'l' left margin, 'r' right margin
  std::string fileName;
  SourcePos where;
  bool transparent = false;  // bmct, bmlt, bmrt: white shows the background
};

// A context string defined at this point of the text (a "#" footnote).
struct AnchorMark {
  std::string context;
  SourcePos where;
};

using Inline = std::variant<TextRun, LineBreak, Tab, HotspotStart, HotspotEnd, PictureRef, AnchorMark>;

struct TabStop {
  int position = 0;  // twips
  int kind = 0;      // 0 left, 1 right, 2 centre
  bool operator==(const TabStop&) const = default;
};

enum class Alignment { Left, Right, Centre };

struct ParagraphFormat {
  Alignment alignment = Alignment::Left;
  int leftIndent = 0;  // all distances in twips
  int rightIndent = 0;
  int firstIndent = 0;
  int spaceBefore = 0;
  int spaceAfter = 0;
  int lineSpacing = 0;
  bool keepTogether = false;   // \keep
  bool nonScrolling = false;   // \keepn
  unsigned borders = 0;        // bit 0 box, 1 top, 2 left, 3 bottom, 4 right, 5 thick, 6 double
  int borderWidth = 0;
  std::vector<TabStop> tabs;

  bool operator==(const ParagraphFormat&) const = default;
};

// Where a paragraph sits in a table row (\trowd ... \cell ... \row).
struct TablePlace {
  TableRowFormat row;     // the row's layout as known when the paragraph ended
  int cell = 0;           // 0 for the first cell
  bool endsRow = false;   // the row's last paragraph
};

struct Paragraph {
  ParagraphFormat format;
  std::vector<Inline> content;
  // False for the text after the last \par of a topic: it has no paragraph
  // mark of its own.
  bool endsWithPar = true;
  std::optional<TablePlace> table;  // set inside table rows
};

struct Topic {
  SourcePos where;                        // where the topic starts
  std::string title;                      // "$" footnote
  bool hasTitle = false;
  std::vector<std::string> keywords;      // "K" footnotes, split at ";"
  // The other keyword tables' footnotes ("A" for ALink, any other capital
  // letter for KLink tables of its own), split at ";".
  std::map<char, std::vector<std::string>> otherKeywords;
  std::string browse;                     // "+" footnote
  bool inBrowse = false;
  std::vector<std::string> entryMacros;   // "!" footnotes
  std::vector<SourcePos> entryMacroLines; // where each was written
  std::string window;                     // ">" footnote
  std::vector<Paragraph> paragraphs;
};

}  // namespace hcrtf::compiler
