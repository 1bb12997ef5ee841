#pragma once
// The fixed parts of a topic document around its body: the RTF header with
// the font and colour tables, the footnotes, the non-scrolling title region
// and the closing source-URL line. Each function returns the lines to write
// (without line ends); the topic writer decides which stream gets which.

#include <array>
#include <string>
#include <string_view>
#include <vector>

// What a topic's frame is built from, taken from the page's URL status and
// the run (kept apart so the frame can be built and tested on its own).
struct qvTopicPage {
  std::string contextString;  // the topic's context name ("documentID" + n)
  std::string title;
  std::string sourceURL;
  int background = -1;                    // Windows colour 0x00BBGGRR, -1 none
  std::array<int, 3> colours = {0, 0, 0};  // text, link, visited link
  bool nestedTables = false;
  bool notFullyRetrieved = false;
  bool elementsSkipped = false;
  bool browse = false;  // add the topic to the browse sequence
};

namespace qvTopicFrame {

// One colour-table entry for a page colour: "\redR\greenG\blueB;" with each
// component taken from its byte and lowered to 253 when above it (the fixed
// entries of the table own the pure 255 values).
std::string colourEntry(int colour);

// "{\rtf1" up to "\fs18": fonts 0-4 and the colour table with the page's
// three colours as entries 1-3 followed by the fixed entries 4-16.
std::vector<std::string> headerLines(const std::array<int, 3>& colours);

// The `#`, `$` and `K` footnotes, and `+` when the page is browsed.
std::vector<std::string> footnoteLines(const qvTopicPage& page);

// The `!` entry macro that paints the topic background, or nothing when the
// page has no background colour.
std::vector<std::string> backgroundLines(int background);

// The title region with its warning and notes, ended by "\cf1" so that the
// body starts in the page's text colour.
std::vector<std::string> titleRegionLines(const qvTopicPage& page);

// The rule and centred italic line naming the source, with a hotspot that
// opens it unless it is a local file. Empty when there is no source URL.
std::vector<std::string> sourceLines(std::string_view sourceURL);

}  // namespace qvTopicFrame
