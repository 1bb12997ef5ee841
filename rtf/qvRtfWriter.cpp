#include "rtf/qvRtfWriter.h"

#include <algorithm>
#include <utility>

qvRtfWriter::qvRtfWriter(qvByteSink* sink) : sink_(sink) { buffer_.reserve(kFlushSize * 2); }

void qvRtfWriter::setSink(qvByteSink* sink) {
  flush();
  sink_ = sink;
}

std::size_t qvRtfWriter::writePlainText(std::string_view text) {
  std::size_t done = 0;
  while (done < text.size() && !writingStopped()) {
    if (buffer_.size() >= kFlushSize) flush();
    std::size_t n = std::min(text.size() - done, kFlushSize - buffer_.size());
    // One more character goes out as long as the bound is not yet passed.
    if (cellLimitActive_) n = std::min(n, static_cast<std::size_t>(kCellLimit - charsInCell_) + 1);
    const std::size_t used = topicBytes_ + buffer_.size();
    if (topicLimit_ - used < n) n = topicLimit_ - used + 1;
    buffer_.append(text.substr(done, n));
    charsInCell_ += static_cast<long>(n);
    done += n;
  }
  if (done > 0) textWritten();
  return done;
}

void qvRtfWriter::flush() {
  if (buffer_.empty()) return;
  if (sink_ != nullptr) {
    sink_->writeBytes(buffer_);
  } else {
    memory_.append(buffer_);
  }
  const auto n = static_cast<long>(buffer_.size());
  charsSinceParagraph_ += n;
  topicBytes_ += buffer_.size();
  buffer_.clear();
}

const std::string& qvRtfWriter::output() {
  flush();
  return memory_;
}

std::string qvRtfWriter::takeOutput() {
  flush();
  return std::exchange(memory_, {});
}

void qvRtfWriter::resetForTopic() {
  flush();
  pendingParagraph_ = false;
  pendingLineBreaks_ = 0;
  afterParagraph_ = true;
  afterLine_ = true;
  pendingSpace_ = false;
  delimiterOwed_ = false;
  suppressNextBreak_ = true;
  noBlankLine_ = false;
  hotspotDepth_ = 0;
  charsSinceParagraph_ = 0;
  charsInCell_ = 0;
  cellLimitActive_ = false;
  topicBytes_ = 0;
  topicLimit_ = SIZE_MAX;
  current_.resetAttributes();
}

void qvRtfWriter::limitTopic(std::size_t pageBytes) {
  const std::size_t most = (SIZE_MAX - kTopicAllowance) / kTopicGrowth;
  topicLimit_ = std::min(pageBytes, most) * kTopicGrowth + kTopicAllowance;
}

bool qvRtfWriter::separatorsPending() const {
  return pendingParagraph_ || delimiterOwed_ || pendingSpace_ || (pendingLineBreaks_ > 0 && !noBlankLine_);
}

// ---------------------------------------------------------------- requests

void qvRtfWriter::requestLineBreaks(int n, bool lessAfterBreak) {
  if (lessAfterBreak && atLineStart()) --n;
  pendingLineBreaks_ = std::max(pendingLineBreaks_, n);
}

void qvRtfWriter::requestAtLeastLineBreaks(int n) { pendingLineBreaks_ = std::max(pendingLineBreaks_, n); }

void qvRtfWriter::requestNewLine() {
  if (!atLineStart()) requestAtLeastLineBreaks(1);
}

void qvRtfWriter::requestSpace() {
  if (!atLineStart()) pendingSpace_ = true;
}

void qvRtfWriter::closeParagraph() {
  if (afterParagraph_ || pendingParagraph_) return;
  delimiterOwed_ = false;
  pendingSpace_ = false;
  pendingParagraph_ = true;
}

bool qvRtfWriter::takeLineBreak() {
  if (pendingLineBreaks_ <= 0) return false;
  --pendingLineBreaks_;
  return true;
}

void qvRtfWriter::clearPendingBreaks() {
  pendingParagraph_ = false;
  pendingLineBreaks_ = 0;
  pendingSpace_ = false;
}

// ---------------------------------------------------------------- writing

void qvRtfWriter::writeParagraphBreak() { write(inHotspot() ? "\\par" : "\\par\\pard"); }

void qvRtfWriter::writePendingParagraphFirst(const qvTextAttributes& item) {
  if (pendingParagraph_ && !afterParagraph_) writeSeparators(item);
}

void qvRtfWriter::writeFormattingWords(std::string_view words) {
  if (pendingSpace_) write(delimiterOwed_ ? "  " : " ");
  write(words);
  delimiterOwed_ = true;
  pendingSpace_ = false;
}

void qvRtfWriter::writeControlWords(std::string_view words) {
  write(words);
  delimiterOwed_ = true;
}

void qvRtfWriter::writeClosedControlWords(std::string_view words) {
  write(words);
  delimiterOwed_ = false;
}

void qvRtfWriter::writeSeparators(const qvTextAttributes& item) {
  if (pendingParagraph_) writePendingParagraph(item);
  // Breaks the paragraph did not take are written here, before the text:
  // left pending, the next character's check would put them inside a word.
  if (pendingLineBreaks_ > 0 && !noBlankLine_) writePendingLineBreaks(item);
  if (delimiterOwed_) write(' ');
  if (pendingSpace_ && !atLineStart()) write(' ');
  delimiterOwed_ = false;
  pendingSpace_ = false;
}

void qvRtfWriter::writePendingParagraph(const qvTextAttributes& item) {
  if (!afterParagraph_) {
    writeParagraphBreak();
    // A break that was asked for is what this paragraph already gives; the
    // count never goes below zero.
    takeLineBreak();
    if (!afterLine_ && !noBlankLine_) {
      write("\\line");
      takeLineBreak();
    }
    item.writeFullAttributes(*this);
    write("\r\n");
    afterParagraph_ = true;
    flush();
    charsSinceParagraph_ = 0;
    // The line end closed the control words before it.
    delimiterOwed_ = false;
  } else {
    // The paragraph that already stands here is the break asked for; a
    // control word written since still needs its delimiter.
    takeLineBreak();
  }
  pendingParagraph_ = false;
  afterLine_ = false;
  pendingSpace_ = false;
}

void qvRtfWriter::writePendingLineBreaks(const qvTextAttributes& item) {
  item.writeAttributeChanges(*this);
  const bool paragraph = overParagraphLimit();
  write(paragraph ? "\\par" : "\\line");
  for (int i = 1; i < pendingLineBreaks_; ++i) write("\\line");
  write("\r\n");
  afterLine_ = true;
  // The line end already ends the control words; a blank here would be
  // text at the start of the new line.
  delimiterOwed_ = false;
  if (paragraph) {
    flush();
    charsSinceParagraph_ = 0;
  }
  pendingLineBreaks_ = 0;
}

void qvRtfWriter::paragraphStarted() {
  flush();
  charsSinceParagraph_ = 0;
  afterParagraph_ = true;
  afterLine_ = false;
  delimiterOwed_ = false;
}

void qvRtfWriter::breakParagraph(const qvTextAttributes& next, int blankLines) {
  writeParagraphBreak();
  for (int i = 0; i < blankLines; ++i) write("\\line");
  next.writeFullAttributes(*this);
  write("\r\n");
  paragraphStarted();
}

void qvRtfWriter::startParagraph(const qvTextAttributes& line) {
  if (afterParagraph_ && !pendingParagraph_ && pendingLineBreaks_ == 0) {
    line.writeAttributeChanges(*this);
    writeSeparators(line);
    return;
  }
  // Breaks beyond the first are blank lines; a pending paragraph asks for
  // one, as it does before text.
  int blankLines = std::max(pendingLineBreaks_ - 1, 0);
  if (pendingParagraph_ && !afterLine_ && !noBlankLine_) blankLines = std::max(blankLines, 1);
  if (afterParagraph_) {
    for (int i = 0; i < blankLines; ++i) write("\\line");
    line.writeFullAttributes(*this);
    write("\r\n");
    delimiterOwed_ = false;
  } else {
    breakParagraph(line, blankLines);
  }
  clearPendingBreaks();
}

void qvRtfWriter::writePreformattedBreak() {
  if (overParagraphLimit()) {
    write("\\par\r\n");
    flush();
    charsSinceParagraph_ = 0;
    afterParagraph_ = true;
  } else {
    write("\\line\r\n");
    afterLine_ = true;
  }
}

void qvRtfWriter::writeRule(const qvTextAttributes& item) {
  item.writeAttributeChanges(*this);
  write("\\fs10\\par\\li0\\brdrb\\par\\pard\\fs10\\par");
  // The small size of the blank paragraphs must not leak into the text
  // after the rule, which compares itself with the record written last:
  // restate the record in full so that record and output agree again.
  item.writeFullAttributes(*this);
  write("\r\n");
  paragraphStarted();
  clearPendingBreaks();
  suppressNextBreak_ = true;
}

// ------------------------------------------------------ what the page did

void qvRtfWriter::textWritten() {
  afterParagraph_ = false;
  afterLine_ = false;
}

void qvRtfWriter::contentWritten() {
  textWritten();
  suppressNextBreak_ = false;
}

void qvRtfWriter::leaveHotspot() {
  if (hotspotDepth_ > 0) --hotspotDepth_;
}

void qvRtfWriter::writeHotspotTarget(std::string_view target) {
  write("}{\\v ");
  write(target);
  write("}");
  delimiterOwed_ = false;
}

void qvRtfWriter::beginCell() {
  flush();
  charsInCell_ = 0;
  cellLimitActive_ = true;
  clearPendingBreaks();
  afterParagraph_ = true;
  afterLine_ = true;
  enterHotspot();
}

void qvRtfWriter::endCell() {
  leaveHotspot();
  flush();
}

void qvRtfWriter::endTable() {
  flush();
  cellLimitActive_ = false;
  charsInCell_ = 0;
  paragraphStarted();
  clearPendingBreaks();
}
