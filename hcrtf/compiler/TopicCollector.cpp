#include "hcrtf/compiler/TopicCollector.h"

#include <algorithm>

#include "hcrtf/compiler/TextUtil.h"

namespace hcrtf::compiler {

namespace {

bool isFootnoteMark(char c) {
  return c == '#' || c == '$' || c == '+' || c == '!' || c == '>' || c == '@' || c == '*' || (c >= 'A' && c <= 'Z');
}

// Context strings, macros, window names and browse codes never start with
// their own mark, so a leading one is always the repeated mark ("#intro").
bool valueNeverStartsWithMark(char mark) {
  return mark == '#' || mark == '!' || mark == '>' || mark == '+' || mark == '@' || mark == '*';
}

// Footnote text as a word processor writes it repeats the mark first
// ("# intro"); the mark is not part of the value.
std::string footnoteValue(char mark, std::string_view text) {
  text = trim(text);
  if (text.empty() || text.front() != mark) return std::string(text);
  if (text.size() == 1 || text[1] == ' ' || text[1] == '\t' || valueNeverStartsWithMark(mark)) {
    text = trim(text.substr(1));
  }
  return std::string(text);
}

std::vector<std::string> splitKeywords(std::string_view text) {
  std::vector<std::string> keywords;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = std::min(text.find(';', start), text.size());
    const std::string_view keyword = trim(text.substr(start, end - start));
    if (!keyword.empty()) keywords.emplace_back(keyword);
    start = end + 1;
  }
  return keywords;
}

}  // namespace

void TopicCollector::touch(int line) {
  if (topicStarted_) return;
  topicStarted_ = true;
  topic_.where = at(line);
}

void TopicCollector::text(std::string_view text, const FontSpec& font, HotspotStyle style, int line) {
  if (text.empty()) return;
  flushHidden();
  touch(line);
  if (!paragraph_.content.empty()) {
    if (auto* last = std::get_if<TextRun>(&paragraph_.content.back()); last && last->font == font && last->style == style) {
      last->text += text;
      return;
    }
  }
  paragraph_.content.emplace_back(TextRun{std::string(text), font, style});
}

void TopicCollector::hiddenText(std::string_view text, int line) {
  if (hidden_.empty()) hiddenLine_ = line;
  if (hidden_.size() < 4096) hidden_ += text;
}

void TopicCollector::lineBreak(int line) {
  flushHidden();
  touch(line);
  paragraph_.content.emplace_back(LineBreak{});
}

void TopicCollector::tab(int line) {
  flushHidden();
  touch(line);
  paragraph_.content.emplace_back(Tab{});
}

void TopicCollector::picture(PictureRef picture) {
  flushHidden();
  touch(picture.where.line);
  paragraph_.content.emplace_back(std::move(picture));
}

void TopicCollector::macroHotspot(std::string_view label, const FontSpec& font, std::string macro, int line) {
  flushHidden();
  touch(line);
  Hotspot hotspot;
  hotspot.kind = Hotspot::Kind::Macro;
  hotspot.target = std::move(macro);
  hotspot.where = at(line);
  paragraph_.content.emplace_back(HotspotStart{std::move(hotspot)});
  paragraph_.content.emplace_back(TextRun{std::string(label), font, HotspotStyle::Jump});
  paragraph_.content.emplace_back(HotspotEnd{});
}

char TopicCollector::takeFootnoteMark() {
  flushHidden();
  if (paragraph_.content.empty()) return 0;
  auto* last = std::get_if<TextRun>(&paragraph_.content.back());
  if (!last || last->text.empty() || !isFootnoteMark(last->text.back())) return 0;
  const char mark = last->text.back();
  last->text.pop_back();
  if (last->text.empty()) paragraph_.content.pop_back();
  return mark;
}

void TopicCollector::footnote(char mark, std::string_view text, int line) {
  touch(line);
  const std::string value = footnoteValue(mark, text);
  switch (mark) {
    case '#':
      if (value.empty()) return diag_.warning(at(line), "empty context-string footnote ignored");
      paragraph_.content.emplace_back(AnchorMark{value, at(line)});
      return;
    case '$':
      if (topic_.hasTitle) return diag_.warning(at(line), "topic has a second title footnote; the first is kept");
      topic_.title = value;
      topic_.hasTitle = true;
      return;
    case 'K':
      for (auto& keyword : splitKeywords(value)) topic_.keywords.push_back(std::move(keyword));
      return;
    case '+':
      topic_.browse = value;
      topic_.inBrowse = true;
      return;
    case '!':
      if (value.empty()) return;
      topic_.entryMacros.push_back(value);
      topic_.entryMacroLines.push_back(at(line));
      return;
    case '>':
      topic_.window = value;
      return;
    case '@':
    case '*':
      return;  // comments and build tags carry nothing into the help file
    case 0:
      diag_.warning(at(line), "footnote without a mark (#, $, K, +, !, >) ignored");
      return;
    default:
      if (mark >= 'A' && mark <= 'Z') {
        for (auto& keyword : splitKeywords(value)) topic_.otherKeywords[mark].push_back(std::move(keyword));
        return;
      }
      diag_.warning(at(line), std::string("footnote of unknown kind '") + mark + "' ignored");
  }
}

bool TopicCollector::hasVisibleContent(const Paragraph& paragraph) {
  return std::any_of(paragraph.content.begin(), paragraph.content.end(), [](const Inline& item) {
    if (const auto* run = std::get_if<TextRun>(&item)) return !run->text.empty();
    return !std::holds_alternative<AnchorMark>(item);
  });
}

void TopicCollector::endParagraph(const ParagraphFormat& format, bool withPar, int line) {
  flushHidden();
  if (withPar) touch(line);
  if (!withPar && paragraph_.content.empty()) return;
  paragraph_.format = format;
  paragraph_.endsWithPar = withPar;
  topic_.paragraphs.push_back(std::move(paragraph_));
  paragraph_ = Paragraph{};
}

void TopicCollector::endTableParagraph(const ParagraphFormat& format, TablePlace place, int line) {
  flushHidden();
  touch(line);
  paragraph_.format = format;
  paragraph_.endsWithPar = true;
  paragraph_.table = std::move(place);
  topic_.paragraphs.push_back(std::move(paragraph_));
  paragraph_ = Paragraph{};
}

void TopicCollector::endTableRow() {
  if (!topic_.paragraphs.empty() && topic_.paragraphs.back().table) topic_.paragraphs.back().table->endsRow = true;
}

void TopicCollector::endTopic(const ParagraphFormat& format, int line) {
  endParagraph(format, false, line);
  if (topicStarted_) out_.push_back(std::move(topic_));
  topic_ = Topic{};
  topicStarted_ = false;
}

// Word processors leave out the \page after a file's last topic; the end of
// the file ends that topic as well.
void TopicCollector::finish(const ParagraphFormat& format, int line) {
  const bool pending = topicStarted_ || !paragraph_.content.empty();
  endParagraph(format, false, line);
  if (!pending) return;
  endTopic(format, line);
}

void TopicCollector::flushHidden() {
  if (hidden_.empty()) return;
  const std::string target(trim(hidden_));
  hidden_.clear();
  if (target.empty()) return;
  makeHotspot(target);
}

void TopicCollector::makeHotspot(const std::string& rawTarget) {
  const SourcePos where = at(hiddenLine_);
  auto& content = paragraph_.content;
  std::size_t first = content.size();
  HotspotStyle style = HotspotStyle::None;
  while (first > 0) {
    const auto* run = std::get_if<TextRun>(&content[first - 1]);
    if (!run || run->style == HotspotStyle::None) break;
    if (style == HotspotStyle::None) style = run->style;
    --first;
  }
  if (style == HotspotStyle::None) {
    diag_.warning(where, "hidden text '" + rawTarget.substr(0, 60) + "' does not follow hotspot text; ignored");
    return;
  }
  Hotspot hotspot;
  hotspot.where = where;
  std::string_view target = rawTarget;
  bool keepUnderline = false;
  if (target.front() == '%' || target.front() == '*') {
    hotspot.plain = true;
    keepUnderline = target.front() == '*';
    target = trim(target.substr(1));
  }
  if (!target.empty() && target.front() == '!') {
    hotspot.kind = Hotspot::Kind::Macro;
    hotspot.target = std::string(trim(target.substr(1)));
  } else {
    hotspot.kind = style == HotspotStyle::Popup ? Hotspot::Kind::Popup : Hotspot::Kind::Jump;
    if (const auto at = target.find('@'); at != std::string_view::npos) {
      hotspot.file = std::string(trim(target.substr(at + 1)));
      target = target.substr(0, at);
    }
    if (const auto gt = target.find('>'); gt != std::string_view::npos) {
      hotspot.window = std::string(trim(target.substr(gt + 1)));
      target = target.substr(0, gt);
    }
    hotspot.target = std::string(trim(target));
  }
  if (hotspot.target.empty()) {
    diag_.warning(where, "hotspot without a target ignored");
    return;
  }
  if (keepUnderline) {
    for (std::size_t i = first; i < content.size(); ++i) std::get<TextRun>(content[i]).font.underline = true;
  }
  content.insert(content.begin() + static_cast<std::ptrdiff_t>(first), HotspotStart{std::move(hotspot)});
  content.emplace_back(HotspotEnd{});
}

}  // namespace hcrtf::compiler
