#include "html/qvHtmlText.h"

#include <charconv>

#include "html/qvCharsetConverter.h"
#include "html/qvEntityTable.h"
#include "html/qvHtmlContext.h"
#include "html/qvItemArena.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvPattern.h"
#include "rtf/qvRtfWriter.h"

namespace {

// The Windows-1252 position of a code point above 255, or -1 without one.
int windows1252Code(int codePoint) {
  const char byte = qvCharsetConverter::windows1252For(static_cast<char32_t>(codePoint));
  return byte == '?' ? -1 : static_cast<unsigned char>(byte);
}

constexpr char kHex[] = "0123456789abcdef";

void writeEscaped(qvRtfWriter& out, char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 128 || c == '{' || c == '}') {
    const char escaped[4] = {'\\', '\'', kHex[u >> 4], kHex[u & 15]};
    out.write(std::string_view(escaped, 4));
  } else if (c == '\\') {
    out.write("\\\\");
  } else {
    out.write(c);
  }
}

// Characters from `from` on that go into the topic as they stand: no
// blank, control character, escape or brace.
std::size_t plainTextLength(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size()) {
    const auto u = static_cast<unsigned char>(text[end]);
    if (u <= 32 || u >= 128 || u == '{' || u == '}' || u == '\\') break;
    ++end;
  }
  return end - from;
}

// Runs are the most frequent item and their rule is one character class, so
// a plain scan finds their end; a pattern engine call per run cost several
// times more than the scan itself.
std::size_t textRunLength(std::string_view page, std::size_t position) {
  if (position >= page.size()) return 0;
  std::size_t end = position + 1;
  while (end < page.size() && page[end] != '<' && page[end] != '>' && page[end] != '&') ++end;
  return end - position;
}

// Where a saved text item's characters live.
enum SourceKind : std::uint8_t { kPageSlice = 0, kEntityCharacter = 1 };

}  // namespace

// ---------------------------------------------------------------- qvHtmlText

qvHtmlText::qvHtmlText(const char* base, std::size_t offset, std::size_t count)
    : base_(base), offset_(static_cast<std::uint32_t>(offset)), count_(static_cast<std::uint32_t>(count)) {}

std::string qvHtmlText::describe() const {
  if (count_ == 0) return "htmlText( )";
  return "htmlText( " + std::string(chars()) + " )";
}

std::string_view qvHtmlText::trimmed() const {
  std::string_view text = chars();
  if (trim_ == kTrimLeadingBreak) {
    if (!text.empty() && text.front() == '\r') text.remove_prefix(1);
    if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
  } else if (trim_ == kTrimTrailingBreak) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  }
  return text;
}

void qvHtmlText::writeText(qvRtfWriter& out) const {
  out.flush();
  const std::string_view text = trimmed();
  if (isPreformatted()) {
    writePreformatted(out, text);
  } else {
    writeFlowing(out, text);
  }
  out.flush();
}

void qvHtmlText::writePreformatted(qvRtfWriter& out, std::string_view text) const {
  bool first = true;
  for (const char c : text) {
    if (out.writingStopped()) return;
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r' || (u < 32 && c != '\n')) continue;
    if (out.buffered() >= qvRtfWriter::kFlushSize) out.flush();
    if (first) {
      out.writePendingParagraphFirst(*this);
      writeAttributeChanges(out);
      if (c == '\n') out.takeLineBreak();
      out.writeSeparators(*this);
      first = false;
    }
    if (c != '\n') {
      out.contentWritten();
      writeEscaped(out, c);
      out.countCellText(1);
      continue;
    }
    if (!out.nextBreakSuppressed()) out.writePreformattedBreak();
  }
}

void qvHtmlText::writeFlowing(qvRtfWriter& out, std::string_view text) const {
  bool first = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (out.writingStopped()) return;
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      out.requestSpace();
      continue;
    }
    if (static_cast<unsigned char>(c) < 32) continue;
    if (first) {
      out.writePendingParagraphFirst(*this);
      writeAttributeChanges(out);
      first = false;
    }
    if (out.separatorsPending()) out.writeSeparators(*this);
    out.textWritten();
    if (out.buffered() >= qvRtfWriter::kFlushSize) out.flush();
    writeEscaped(out, c);
    out.countCellText(1);
    // The words of a run are mostly characters that need nothing but to be
    // copied; they go out together.
    if (out.separatorsPending()) continue;
    const std::size_t plain = plainTextLength(text, i + 1);
    if (plain > 0) i += out.writePlainText(text.substr(i + 1, plain));
  }
}

bool qvHtmlText::save(qvItemWriter& out) const {
  qvHtmlInterface::save(out);
  out.writeU8(trim_);
  if (isEntity()) {
    out.writeU8(kEntityCharacter);
    out.writeU8(static_cast<std::uint8_t>(count_ == 0 ? 0 : chars()[0]));
    return out.ok();
  }
  out.writeU8(kPageSlice);
  out.writeI32(static_cast<std::int32_t>(offset_));
  out.writeI32(static_cast<std::int32_t>(count_));
  return out.ok();
}

std::unique_ptr<qvHtmlText> qvHtmlText::restoreText(qvItemReader& in, std::string_view page, qvItemArena& arena) {
  qvTextAttributes attributes;
  attributes.setHeading(in.readU8());
  attributes.setAlignment(in.readU8());
  attributes.setIndent(in.readU8());
  attributes.setFontSize(in.readU8());
  attributes.setStyleWord(in.readU16());
  const std::uint8_t trim = in.readU8();
  const std::uint8_t kind = in.readU8();
  std::unique_ptr<qvHtmlText> text;
  if (kind == kEntityCharacter) {
    text = arena.make<qvHtmlEscape>(in.readU8());
  } else if (kind == kPageSlice) {
    const std::int32_t offset = in.readI32();
    const std::int32_t count = in.readI32();
    if (offset < 0 || count < 0 || static_cast<std::size_t>(offset) > page.size() ||
        static_cast<std::size_t>(count) > page.size() - static_cast<std::size_t>(offset)) {
      throw qvItemReadError("text run " + std::to_string(offset) + "+" + std::to_string(count) +
                            " lies outside the page text of " + std::to_string(page.size()) + " characters");
    }
    text = arena.make<qvHtmlTextString>(page.data(), static_cast<std::size_t>(offset),
                                              static_cast<std::size_t>(count));
  } else {
    throw qvItemReadError("unknown text kind " + std::to_string(kind));
  }
  text->copyFrom(attributes);
  text->setTrimKind(trim);
  return text;
}

// ---------------------------------------------------------- qvHtmlTextString

qvHtmlTextString::qvHtmlTextString(qvHtmlContext& context) : qvHtmlText("", 0, 0), context_(&context) {}

qvHtmlTextString::qvHtmlTextString(const char* page, std::size_t offset, std::size_t count)
    : qvHtmlText(page, offset, count) {}

std::size_t qvHtmlTextString::match(const qvHtmlInterface* /*previous*/, std::string_view page,
                                    std::size_t position) {
  pendingLength_ = textRunLength(page, position);
  return pendingLength_;
}

std::unique_ptr<qvHtmlInterface> qvHtmlTextString::create(const qvHtmlInterface* /*previous*/,
                                                          std::string_view page, std::size_t position,
                                                          qvItemArena& arena) {
  auto run = arena.make<qvHtmlTextString>(page.data(), position, pendingLength_);
  if (context_->dropNextLeadingBreak) {
    run->setTrimKind(kTrimLeadingBreak);
    context_->dropNextLeadingBreak = false;
  }
  ++context_->textItemCount;
  context_->lastTextRun = run.get();
  return run;
}

// -------------------------------------------------------------- qvHtmlEscape

qvHtmlEscape::qvHtmlEscape(qvHtmlContext& context) : qvHtmlText("", 0, 0), context_(&context) {}

qvHtmlEscape::qvHtmlEscape(std::uint8_t code) : qvHtmlText(qvEntityTable::instance().character(code), 0, 1) {}

std::size_t qvHtmlEscape::match(const qvHtmlInterface* /*previous*/, std::string_view page, std::size_t position) {
  if (context_->exclusiveMode != 0) return 0;
  qvPattern& pattern = context_->entityPattern();
  const long n = pattern.matchAt(page, position);
  if (n <= 0) return 0;
  std::string_view name = page.substr(position + 1, static_cast<std::size_t>(n) - 1);
  if (!name.empty() && name.back() == ';') name.remove_suffix(1);
  int code = 0;
  if (!name.empty() && name.front() == '#') {
    const char* end = name.data() + name.size();
    const auto [last, error] = std::from_chars(name.data() + 1, end, code);
    if (error != std::errc() || last != end || code < 0) return 0;
    // A code beyond Latin-1 is taken when Windows-1252 has the character
    // (dashes, quotation marks, the euro sign); any other stays as written.
    if (code > 255) code = windows1252Code(code);
    if (code < 0) return 0;
  } else {
    const std::optional<int> found = qvEntityTable::instance().lookup(name);
    if (!found || *found > 255) return 0;
    code = *found;
  }
  pendingCode_ = static_cast<std::uint8_t>(code);
  pendingLength_ = static_cast<std::size_t>(n);
  return pendingLength_;
}

std::unique_ptr<qvHtmlInterface> qvHtmlEscape::create(const qvHtmlInterface* /*previous*/,
                                                      std::string_view /*page*/, std::size_t /*position*/,
                                                      qvItemArena& arena) {
  auto escape = arena.make<qvHtmlEscape>(pendingCode_);
  escape->sourceLength_ = pendingLength_;
  return escape;
}
