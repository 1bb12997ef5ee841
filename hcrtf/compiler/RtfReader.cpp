#include "hcrtf/compiler/RtfReader.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/TextUtil.h"

namespace hcrtf::compiler {

namespace {

constexpr std::size_t kMaxDepth = 512;
constexpr std::size_t kMaxFootnote = 65536;
constexpr std::size_t kMaxEmbedded = 1024;
constexpr int kButtonMinHalfPoints = 18;

// Words that are understood and deliberately have no effect on a help file.
const std::set<std::string>& ignoredWords() {
  static const std::set<std::string> words = {
      "rtf", "ansi", "mac", "pc", "pca", "ansicpg", "deflang", "deflangfe", "viewkind", "margl", "margr",
      "margt", "margb", "paperw", "paperh", "widowctrl", "ftnbj", "aenddoc", "sectd", "lang", "langfe",
      "langnp", "langfenp", "cs", "s", "sbasedon", "snext", "chftn", "intbl", "trowd", "trgaph", "trleft",
      "trqc", "trql", "trqr", "cellx", "clbrdrt", "clbrdrb", "clbrdrl", "clbrdrr", "trbrdrt", "trbrdrb",
      "trbrdrl", "trbrdrr", "brdrs", "brdrsh", "nowidctlpar", "widctlpar", "adjustright", "fcharset",
      "fprq", "cgrid", "noproof", "insrsid", "charrsid", "rsid", "pararsid", "sectrsid", "tblrsid", "nouicompat",
      "htmautsp", "itap", "aspalpha", "aspnum", "faauto", "outlinelevel", "ltrpar", "rtlpar", "ltrch",
      "rtlch", "loch", "hich", "dbch", "af", "afs", "ab", "ai", "kerning", "expnd", "expndtw", "charscalex",
      "highlight", "cb", "chcbpat", "shading", "cfpat", "cbpat", "fldrslt", "field", "fldedit", "fldlock",
      "sl", "slmult", "ilvl", "ls", "pnlvlblt", "pntext", "deftab", "sect", "column", "softline",
      "nosupersub", "super", "sub", "up", "dn", "caps", "outl", "shad", "embo", "impr", "v0", "webhidden",
      "ulnone", "ulw", "uld", "uldash", "ulth", "ulwave", "ul0", "b0", "i0", "strike0", "striked", "pnstart",
      // Page, section and view settings word processors write into the
      // document's header; a help file has no pages.
      "viewzk", "viewscale", "sectdefaultcl", "sbknone", "sbkpage", "psz", "pgbrdropt", "pgbrdrhead", "pgbrdrfoot",
      "linex", "hyphcaps", "hyphauto", "hyphhotz", "headery", "footery", "formshade", "fet", "endnhere", "colsx",
      "cols", "titlepg", "pgnstart", "pgnrestart", "pgndec", "linkstyles", "dntblnsbdb", "doctype", "horzdoc",
      "jcompress", "jexpand", "lytprtmet", "noxlattoyen", "expshrtn", "nolnhtadjtbl", "dghspace", "dgvspace",
      "dghorigin", "dgvorigin", "dghshow", "dgvshow", "ftnnar", "aftnnrlc", "ftnrstcont", "aftnrstcont",
      "ftnstart", "aftnstart", "gutter", "facingp", "margmirror", "fracwidth", "vertalc", "vertalt", "lndscpsxn",
      "pgwsxn", "pghsxn", "marglsxn", "margrsxn", "margtsxn", "margbsxn", "guttersxn", "sectlinegrid", "additive",
      "jclisttab", "nolead", "adeflang", "stshfdbch", "stshfloch", "stshfhich", "stshfbi"};
  return words;
}

const std::set<std::string>& skippedDestinations() {
  static const std::set<std::string> words = {
      "stylesheet", "info", "pict", "object", "header", "footer", "headerl", "headerr", "headerf", "footerl",
      "footerr", "footerf", "fldinst", "listtable", "listoverridetable", "revtbl", "rsidtbl", "xe", "tc",
      "bkmkstart", "bkmkend", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
      "pgdsctbl", "mmathPr", "pn", "pntxta", "pntxtb", "filetbl", "private", "nonshppict", "shppict",
      "annotation", "atnid", "atnauthor", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "template", "userprops"};
  return words;
}

// Which handlers a control word can mean something to, so that each word
// is looked up once instead of compared with every word each handler knows.
enum WordKind : std::uint8_t {
  kDestinationWord = 1,
  kSpecialCharacterWord = 2,
  kTableWord = 4,
  kParagraphWord = 8,
  kCharacterWord = 16,
  kPictureWord = 32,
};

std::uint8_t wordKinds(std::string_view word) {
  static const std::unordered_map<std::string_view, std::uint8_t> kinds = [] {
    std::unordered_map<std::string_view, std::uint8_t> map;
    const auto mark = [&](std::initializer_list<std::string_view> words, std::uint8_t kind) {
      for (const std::string_view w : words) map[w] |= kind;
    };
    mark({"fonttbl", "colortbl", "footnote"}, kDestinationWord);
    for (const std::string& w : skippedDestinations()) map[w] |= kDestinationWord;
    mark({"u", "lquote", "rquote", "ldblquote", "rdblquote", "bullet", "endash", "emdash", "enspace", "emspace",
          "qmspace"}, kSpecialCharacterWord);
    mark({"trowd", "cellx", "trgaph", "trleft", "trqc", "trql", "trqr", "intbl", "cell", "par", "row", "page"},
         kTableWord);
    mark({"par", "row", "page", "line", "tab", "cell", "pard", "ql", "qj", "qc", "qr", "li", "ri", "fi", "sb",
          "sa", "keep", "keepn", "tqr", "tqc", "tx", "box", "brdrt", "brdrl", "brdrb", "brdrr", "brdrth", "brdrdb",
          "brdrw"}, kParagraphWord);
    mark({"plain", "b", "i", "ul", "uldb", "ulnone", "strike", "v", "scaps", "f", "fs", "cf"}, kCharacterWord);
    mark({"pict", "shppict", "nonshppict", "object"}, kPictureWord);
    return map;
  }();
  const auto found = kinds.find(word);
  return found == kinds.end() ? 0 : found->second;
}

unsigned char fromUnicode(long code) {
  if (code < 0) code += 65536;
  if (code < 256) return static_cast<unsigned char>(code);
  static const std::array<std::pair<long, unsigned char>, 12> table = {{{0x2018, 0x91}, {0x2019, 0x92},
      {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97}, {0x20AC, 0x80},
      {0x2026, 0x85}, {0x2122, 0x99}, {0x201A, 0x82}, {0x201E, 0x84}}};
  for (const auto& [unicode, ansi] : table) {
    if (unicode == code) return ansi;
  }
  return '?';
}

int familyFor(const std::string& word) {
  if (word == "fmodern") return 1;
  if (word == "froman") return 2;
  if (word == "fscript") return 4;
  if (word == "fdecor") return 5;
  return 3;  // fswiss, fnil, ftech, fbidi
}

}  // namespace

RtfReader::RtfReader(Diagnostics& diagnostics, std::vector<Topic>& topics)
    : diag_(diagnostics), topics_(topics), collector_(diagnostics, topics) {}

// Pictures and objects pasted into the document are not read; a help
// author refers to picture files with \{bmc FILE\} instead. The file gets one
// message with the number of pictures left out, each counted once although
// Word writes a picture twice (\*\shppict, then \nonshppict).
void RtfReader::notePictureInText(const RtfToken& t) {
  static const std::set<std::string> words = {"pict", "shppict", "nonshppict", "object"};
  if (!words.count(t.word) || groups_.size() < 2) return;
  const Destination parent = groups_[groups_.size() - 2].destination;
  const Destination here = top().destination;
  if (here != Destination::Body && (here != Destination::Skip || parent != Destination::Body)) return;
  // \nonshppict is the second copy of the \shppict before it.
  const bool secondCopy = t.word == "nonshppict" && afterShapePicture_;
  afterShapePicture_ = t.word == "shppict";
  if (secondCopy) return;
  if (embeddedPictures_++ == 0) firstPictureLine_ = t.line;
}

void RtfReader::reportPictures() {
  if (embeddedPictures_ == 0) return;
  diag_.warning(at(firstPictureLine_), std::to_string(embeddedPictures_) +
                                           " picture(s) or object(s) embedded in the RTF left out: only pictures in "
                                           "files named with \\{bmc FILE\\} are read");
}

void RtfReader::reset(const std::string& fileName) {
  file_ = fileName;
  collector_.setFile(fileName);
  groups_.assign(1, Group{});
  overflowDepth_ = 0;
  fonts_.clear();
  defaultFont_ = 0;
  colours_.clear();
  pending_.clear();
  footnoteText_.clear();
  embedding_ = false;
  embedded_.clear();
  unicodeSkip_ = 1;
  skipChars_ = 0;
  reportedWords_.clear();
  reportedFonts_.clear();
  codePage_ = 1252;
  textCharsets_.clear();
  embeddedPictures_ = 0;
  afterShapePicture_ = false;
  row_ = TableRowFormat{};
  inRow_ = false;
  cell_ = 0;
}

void RtfReader::read(std::string_view text, const std::string& fileName, const TopicSink& sink) {
  reset(fileName);
  RtfTokenizer tokenizer(text);
  for (RtfToken t = tokenizer.next(); t.type != RtfToken::Type::End; t = tokenizer.next()) {
    token(t);
    if (sink && !topics_.empty()) sink(topics_);
  }
  line_ = tokenizer.line();
  abandonEmbedded();
  flushText();
  if (groups_.size() + overflowDepth_ > 1) {
    diag_.warning(at(line_), std::to_string(groups_.size() + overflowDepth_ - 1) +
                                 " group(s) not closed with '}' at the end of the file");
  }
  while (groups_.size() > 1) closeGroup(line_);
  collector_.finish(top().para, line_);
  reportPictures();
  if (sink && !topics_.empty()) sink(topics_);
}

void RtfReader::token(const RtfToken& t) {
  line_ = t.line;
  switch (t.type) {
    case RtfToken::Type::GroupStart: return openGroup(t.line);
    case RtfToken::Type::GroupEnd: return closeGroup(t.line);
    case RtfToken::Type::ControlWord: return controlWord(t);
    case RtfToken::Type::ControlSymbol: return controlSymbol(t);
    case RtfToken::Type::HexByte:
    case RtfToken::Type::Text: return character(t.byte, t.line);
    case RtfToken::Type::End: return;
  }
}

void RtfReader::openGroup(int line) {
  footnoteBoundary();
  flushText();
  abandonEmbedded();
  if (groups_.size() >= kMaxDepth) {
    if (overflowDepth_++ == 0) diag_.warning(at(line), "groups nested too deeply; inner groups are flattened");
    return;
  }
  Group inner = top();
  inner.footnoteStart = false;
  groups_.push_back(inner);
}

void RtfReader::closeGroup(int line) {
  footnoteBoundary();
  flushText();
  abandonEmbedded();
  if (overflowDepth_ > 0) {
    --overflowDepth_;
    return;
  }
  if (groups_.size() == 1) {
    diag_.warning(at(line), "'}' without a matching '{' ignored");
    return;
  }
  const Group closing = top();
  groups_.pop_back();
  if (closing.footnoteStart) {
    collector_.footnote(closing.footnoteMark, footnoteText_, line);
    footnoteText_.clear();
  }
  if (closing.destination == Destination::FontTable && top().destination != Destination::FontTable) {
    fontTableCharacter(';');
  }
}

void RtfReader::controlWord(const RtfToken& t) {
  footnoteBoundary();
  flushText();
  const Destination dest = top().destination;
  const std::string& w = t.word;
  const std::uint8_t kinds = wordKinds(w);
  if (kinds & kPictureWord) notePictureInText(t);
  if (dest == Destination::Skip) return;
  if (dest == Destination::FontTable) {
    if (w == "panose" || w == "falt" || w == "fname") top().destination = Destination::Skip;
    else if (w == "fcharset") fontTableCharset_ = static_cast<int>(std::clamp(t.param, 0L, 255L));
    else if (w == "f") fontTableNumber_ = static_cast<int>(t.param);
    else if (w.size() > 1 && w[0] == 'f' && w != "fcharset" && w != "fprq") fontTableFamily_ = familyFor(w);
    return;
  }
  if (dest == Destination::ColourTable) {
    const auto component = static_cast<std::uint32_t>(std::clamp(t.param, 0L, 255L));
    if (w == "red") colourInProgress_ = (colourInProgress_ & 0xFFFF00) | component;
    if (w == "green") colourInProgress_ = (colourInProgress_ & 0xFF00FF) | (component << 8);
    if (w == "blue") colourInProgress_ = (colourInProgress_ & 0x00FFFF) | (component << 16);
    return;
  }
  if ((kinds & kDestinationWord) && destinationWord(t)) return;
  if ((kinds & kSpecialCharacterWord) && specialCharacterWord(t)) return;
  if (dest == Destination::Footnote) return;
  if ((kinds & kTableWord) && tableWord(t)) return;
  if ((kinds & kParagraphWord) && paragraphWord(t)) return;
  if ((kinds & kCharacterWord) && characterWord(t)) return;
  if (w == "deff") defaultFont_ = static_cast<int>(t.param);
  if (w == "ansicpg") codePage_ = static_cast<int>(std::clamp(t.param, 0L, 65535L));
  if (w == "uc") unicodeSkip_ = static_cast<int>(std::clamp(t.param, 0L, 8L));
  if (w == "deff" || w == "uc" || ignoredWords().count(w)) return;
  if (reportedWords_.size() < 64 && reportedWords_.insert(w).second) {
    diag_.warning(at(t.line), "unknown control word \\" + w + " ignored");
  }
}

bool RtfReader::destinationWord(const RtfToken& t) {
  const std::string& w = t.word;
  Group& g = top();
  if (w == "fonttbl") {
    g.destination = Destination::FontTable;
    fontTableName_.clear();
    fontTableFamily_ = 3;
    fontTableCharset_ = 1;
    return true;
  }
  if (w == "colortbl") {
    g.destination = Destination::ColourTable;
    colours_.clear();
    colourInProgress_ = 0;
    return true;
  }
  if (w == "footnote") {
    if (g.destination == Destination::Footnote) {
      g.destination = Destination::Skip;
      return true;
    }
    g.footnoteMark = collector_.takeFootnoteMark();
    g.footnoteStart = true;
    g.destination = Destination::Footnote;
    footnoteText_.clear();
    footnoteMark_ = g.footnoteMark;
    footnoteLeadSeen_ = false;
    return true;
  }
  if (skippedDestinations().count(w)) {
    g.destination = Destination::Skip;
    return true;
  }
  return false;
}

bool RtfReader::specialCharacterWord(const RtfToken& t) {
  const std::string& w = t.word;
  if (w == "u") {
    character(fromUnicode(t.param), t.line);
    skipChars_ = unicodeSkip_;
    return true;
  }
  static const std::array<std::pair<const char*, unsigned char>, 10> table = {{{"lquote", 0x91}, {"rquote", 0x92},
      {"ldblquote", 0x93}, {"rdblquote", 0x94}, {"bullet", 0x95}, {"endash", 0x96}, {"emdash", 0x97},
      {"enspace", ' '}, {"emspace", ' '}, {"qmspace", ' '}}};
  for (const auto& [name, c] : table) {
    if (w == name) {
      character(c, t.line);
      return true;
    }
  }
  return false;
}

// Table rows: \trowd starts a row's layout, \cellx adds a cell edge; text up
// to \cell is one cell (\par inside it starts another paragraph of the same
// cell); \row ends the row, and so does the \cell of its last cell.
bool RtfReader::tableWord(const RtfToken& t) {
  const std::string& w = t.word;
  const int value = static_cast<int>(std::clamp(t.param, -32767L, 32767L));
  if (w == "trowd") {
    if (inRow_ && collector_.hasPendingContent()) endRow(t.line);
    row_ = TableRowFormat{};
    inRow_ = true;
    cell_ = 0;
  } else if (w == "cellx") {
    if (row_.cellRight.size() < static_cast<std::size_t>(kTableMaxColumns)) row_.cellRight.push_back(value);
  } else if (w == "trgaph") {
    row_.gap = value;
  } else if (w == "trleft") {
    row_.left = value;
  } else if (w == "trqc") {
    row_.centred = true;
  } else if (w == "trql" || w == "trqr") {
    row_.centred = false;
  } else if (w == "intbl") {
    inRow_ = true;
  } else if (inRow_ && w == "cell") {
    collector_.endTableParagraph(top().para, TablePlace{row_, cell_++, false}, t.line);
    // A row whose cells are all used up goes on as a new row of the same
    // layout; the converter writes "\cell\trqc" between such rows.
    if (!row_.cellRight.empty() && static_cast<std::size_t>(cell_) >= row_.cellRight.size()) {
      collector_.endTableRow();
      cell_ = 0;
    }
  } else if (inRow_ && w == "par") {
    collector_.endTableParagraph(top().para, TablePlace{row_, cell_, false}, t.line);
  } else if (inRow_ && (w == "row" || w == "page")) {
    endRow(t.line);
    return w == "row";
  } else {
    return false;
  }
  return true;
}

void RtfReader::endRow(int line) {
  // Text after the last \cell still belongs to the row, as one more cell.
  if (collector_.hasPendingContent()) collector_.endTableParagraph(top().para, TablePlace{row_, cell_, false}, line);
  collector_.endTableRow();
  inRow_ = false;
  cell_ = 0;
}

bool RtfReader::paragraphWord(const RtfToken& t) {
  const std::string& w = t.word;
  ParagraphFormat& p = top().para;
  const int value = static_cast<int>(std::clamp(t.param, -32767L, 32767L));
  if (w == "par" || w == "row") collector_.endParagraph(p, true, t.line);
  else if (w == "page") collector_.endTopic(p, t.line);
  else if (w == "line") collector_.lineBreak(t.line);
  else if (w == "tab" || w == "cell") collector_.tab(t.line);
  else if (w == "pard") p = ParagraphFormat{};
  else if (w == "ql" || w == "qj") p.alignment = Alignment::Left;
  else if (w == "qc") p.alignment = Alignment::Centre;
  else if (w == "qr") p.alignment = Alignment::Right;
  else if (w == "li") p.leftIndent = value;
  else if (w == "ri") p.rightIndent = value;
  else if (w == "fi") p.firstIndent = value;
  else if (w == "sb") p.spaceBefore = value;
  else if (w == "sa") p.spaceAfter = value;
  else if (w == "keep") p.keepTogether = t.param != 0 || !t.hasParam;
  else if (w == "keepn") p.nonScrolling = t.param != 0 || !t.hasParam;
  else if (w == "tqr") p.tabs.push_back(TabStop{-1, 1});
  else if (w == "tqc") p.tabs.push_back(TabStop{-1, 2});
  else if (w == "tx") {
    if (!p.tabs.empty() && p.tabs.back().position < 0) p.tabs.back().position = std::max(0, value);
    else if (p.tabs.size() < 32) p.tabs.push_back(TabStop{std::max(0, value), 0});
  } else if (w == "box") p.borders |= 1;
  else if (w == "brdrt") p.borders |= 2;
  else if (w == "brdrl") p.borders |= 4;
  else if (w == "brdrb") p.borders |= 8;
  else if (w == "brdrr") p.borders |= 16;
  else if (w == "brdrth") p.borders |= 32;
  else if (w == "brdrdb") p.borders |= 64;
  else if (w == "brdrw") p.borderWidth = std::max(0, value);
  else return false;
  return true;
}

bool RtfReader::characterWord(const RtfToken& t) {
  const std::string& w = t.word;
  CharState& c = top().chars;
  const bool on = !t.hasParam || t.param != 0;
  if (w == "plain") c = CharState{};
  else if (w == "b") c.bold = on;
  else if (w == "i") c.italic = on;
  else if (w == "ul") c.underline = on;
  else if (w == "uldb") c.doubleUnderline = on;
  else if (w == "ulnone") c.underline = c.doubleUnderline = false;
  else if (w == "strike") c.strike = on;
  else if (w == "v") c.hidden = on;
  else if (w == "scaps") c.smallCaps = on;
  else if (w == "f") c.font = static_cast<int>(std::clamp(t.param, 0L, 32767L));
  else if (w == "fs") c.halfPoints = static_cast<int>(std::clamp(t.hasParam ? t.param : 24L, 2L, 255L));
  else if (w == "cf") c.colour = static_cast<int>(std::clamp(t.param, 0L, 32767L));
  else return false;
  return true;
}

void RtfReader::controlSymbol(const RtfToken& t) {
  switch (t.symbol) {
    case '\\': return character('\\', t.line);
    case '{':
      flushText();
      return startEmbedded(t.line);
    case '}':
      if (embedding_) return finishEmbedded(t.line);
      return character('}', t.line);
    case '~': return character(0xA0, t.line);
    case '_': return character('-', t.line);
    case '\n':
    case '\r':
      flushText();
      if (top().destination == Destination::Body) collector_.endParagraph(top().para, true, t.line);
      return;
    case '*':
      flushText();
      // An ignorable destination: unless we know the word that follows, skip
      // the group. Known destinations switch the group back themselves.
      top().destination = Destination::Skip;
      return;
    default: return;  // \- \: \| and malformed \' have no visible effect
  }
}

void RtfReader::character(unsigned char c, int line) {
  if (skipChars_ > 0) {
    --skipChars_;
    return;
  }
  switch (top().destination) {
    case Destination::Skip: return;
    case Destination::FontTable: return fontTableCharacter(c);
    case Destination::ColourTable: return colourTableCharacter(c);
    case Destination::Footnote:
      if (footnoteText_.size() < kMaxFootnote && c >= 32) footnoteText_ += static_cast<char>(c);
      return;
    case Destination::Body: break;
  }
  if (embedding_) {
    embedded_ += static_cast<char>(c);
    if (embedded_.size() > kMaxEmbedded) abandonEmbedded();
    return;
  }
  if (c == '\t') {
    flushText();
    collector_.tab(line);
    return;
  }
  if (c < 32) return;
  if (pending_.empty()) pendingLine_ = line;
  pending_ += static_cast<char>(c);
}

// Word processors repeat the reference mark at the start of the footnote, in
// a group or character style of its own ("{\cs16\super #}", "{#}"). A mark
// standing alone like that is not part of the value, while "Kitchen" in a K
// footnote keeps its K.
void RtfReader::footnoteBoundary() {
  if (footnoteLeadSeen_ || top().destination != Destination::Footnote) return;
  const std::string_view lead = trim(footnoteText_);
  if (lead.empty()) return;
  footnoteLeadSeen_ = true;
  if (lead.size() == 1 && lead.front() == footnoteMark_) footnoteText_.clear();
}

void RtfReader::flushText() {
  if (pending_.empty()) return;
  if (top().chars.hidden) collector_.hiddenText(pending_, pendingLine_);
  else collector_.text(pending_, currentFont(), currentStyle(), pendingLine_);
  pending_.clear();
}

void RtfReader::startEmbedded(int line) {
  abandonEmbedded();
  if (top().destination != Destination::Body) return;
  embedding_ = true;
  embedded_.clear();
  embeddedLine_ = line;
}

void RtfReader::abandonEmbedded() {
  if (!embedding_) return;
  embedding_ = false;
  if (pending_.empty()) pendingLine_ = embeddedLine_;
  pending_ += '{';
  pending_ += embedded_;
  embedded_.clear();
}

void RtfReader::finishEmbedded(int line) {
  embedding_ = false;
  const std::string command(trim(embedded_));
  embedded_.clear();
  const auto blank = command.find_first_of(" \t");
  const std::string word = toLower(command.substr(0, blank));
  const std::string argument = blank == std::string::npos ? std::string() : std::string(trim(command.substr(blank)));
  static const std::set<std::string> pictures = {"bmc", "bml", "bmr", "bmct", "bmlt", "bmrt", "bmcwd", "bmlwd", "bmrwd"};
  static const std::set<std::string> unsupported = {"mci", "mci_left", "mci_right", "ewc", "ewl", "ewr"};
  if (pictures.count(word)) {
    if (argument.empty()) return diag_.warning(at(line), "{" + word + "} without a file name ignored");
    PictureRef picture{word[2], argument, at(embeddedLine_)};
    picture.transparent = word.size() == 4 && word[3] == 't';
    collector_.picture(picture);
    return;
  }
  if (word == "button") return button(argument, line);
  if (unsupported.count(word)) {
    diag_.warning(at(line), "embedded {" + word + "} is not supported; ignored");
    return;
  }
  pendingLine_ = embeddedLine_;
  pending_ = "{" + command + "}";
  flushText();
}

// The viewer has no window for embedded buttons, so a button becomes a macro
// hotspot showing its label; a button without a label still needs something
// to click.
void RtfReader::button(const std::string& argument, int line) {
  const auto comma = argument.find(',');
  const std::string label(trim(std::string_view(argument).substr(0, comma)));
  const std::string macro = comma == std::string::npos ? std::string() : std::string(trim(argument.substr(comma + 1)));
  if (macro.empty()) {
    diag_.warning(at(line), "{button} without a macro; its label is kept as plain text");
    pendingLine_ = embeddedLine_;
    pending_ = label;
    flushText();
    return;
  }
  // A button's label is drawn in the dialog font, not in the text's: authors
  // put buttons at the start of tiny spacing paragraphs (\fs8), where a label
  // in the text's size could not be read or hit.
  FontSpec font = currentFont();
  font.halfPoints = std::max(font.halfPoints, kButtonMinHalfPoints);
  collector_.macroHotspot(label.empty() ? std::string_view("\xBB") : std::string_view(label), font, macro,
                          embeddedLine_);
}

void RtfReader::fontTableCharacter(unsigned char c) {
  if (c != ';') {
    if (fontTableName_.size() < 64 && c >= 32) fontTableName_ += static_cast<char>(c);
    return;
  }
  const std::string face(trim(fontTableName_));
  if (!face.empty()) fonts_[fontTableNumber_] = FontEntry{face, fontTableFamily_, fontTableCharset_};
  fontTableName_.clear();
  fontTableFamily_ = 3;
  fontTableCharset_ = 1;
}

void RtfReader::colourTableCharacter(unsigned char c) {
  if (c != ';') return;
  if (colours_.size() < 4096) colours_.push_back(colourInProgress_);
  colourInProgress_ = 0;
}

HotspotStyle RtfReader::currentStyle() const {
  const CharState& c = groups_.back().chars;
  if (c.doubleUnderline || c.strike) return HotspotStyle::Jump;
  if (c.underline) return HotspotStyle::Popup;
  return HotspotStyle::None;
}

FontSpec RtfReader::currentFont() {
  const CharState& c = top().chars;
  FontSpec style;
  const int number = c.font < 0 ? defaultFont_ : c.font;
  auto found = fonts_.find(number);
  if (found == fonts_.end()) {
    if (!fonts_.empty() && reportedFonts_.insert(number).second) {
      diag_.warning(at(pendingLine_), "font " + std::to_string(number) + " is not in the font table; the default font is used");
    }
    found = fonts_.find(defaultFont_);
  }
  if (found != fonts_.end()) {
    const int charset = found->second.charset;
    if (charset > 2 && charset != 77 && charset != 255) textCharsets_.insert(charset);
    style.face = found->second.face;
    style.family = found->second.family;
  }
  style.halfPoints = c.halfPoints;
  style.bold = c.bold;
  style.italic = c.italic;
  style.smallCaps = c.smallCaps;
  if (currentStyle() == HotspotStyle::None) style.underline = c.underline;
  if (c.colour > 0 && static_cast<std::size_t>(c.colour) < colours_.size()) style.rgb = colours_[c.colour];
  return style;
}

}  // namespace hcrtf::compiler
