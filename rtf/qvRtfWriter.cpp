#include "rtf/qvRtfWriter.h"

#include <algorithm>
#include <utility>

qvRtfWriter::qvRtfWriter(qvByteSink* sink) : sink_(sink) { buffer_.reserve(kFlushSize * 2); }

void qvRtfWriter::setSink(qvByteSink* sink) {
  flush();
  sink_ = sink;
}

void qvRtfWriter::flush() {
  if (buffer_.empty()) return;
  if (sink_ != nullptr) {
    sink_->writeBytes(buffer_);
  } else {
    memory_.append(buffer_);
  }
  const auto n = static_cast<long>(buffer_.size());
  charsSinceParagraph += n;
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
  pendingParagraph = false;
  pendingLineBreaks = 0;
  afterParagraph = true;
  afterLine = true;
  pendingSpace = false;
  delimiterOwed = false;
  suppressNextBreak = true;
  noBlankLine = false;
  inHotspot = false;
  charsSinceParagraph = 0;
  charsInCell = 0;
  cellLimitActive = false;
  current_.resetAttributes();
}

void qvRtfWriter::requestLineBreaks(int n, bool lessAfterBreak) {
  if (lessAfterBreak && (afterParagraph || afterLine)) --n;
  pendingLineBreaks = std::max(pendingLineBreaks, n);
}

void qvRtfWriter::requestAtLeastLineBreaks(int n) { pendingLineBreaks = std::max(pendingLineBreaks, n); }

void qvRtfWriter::writeParagraphBreak() { write(inHotspot ? "\\par" : "\\par\\pard"); }

void qvRtfWriter::writePendingParagraphFirst(const qvTextAttributes& item) {
  if (pendingParagraph && !afterParagraph) writeSeparators(item);
}

void qvRtfWriter::writeSeparators(const qvTextAttributes& item) {
  if (pendingParagraph) writePendingParagraph(item);
  // Breaks the paragraph did not take are written here, before the text:
  // left pending, the next character's check would put them inside a word.
  if (pendingLineBreaks > 0 && !noBlankLine) writePendingLineBreaks(item);
  if (delimiterOwed) write(' ');
  if (pendingSpace && !afterParagraph && !afterLine) write(' ');
  delimiterOwed = false;
  pendingSpace = false;
}

void qvRtfWriter::writePendingParagraph(const qvTextAttributes& item) {
  if (!afterParagraph) {
    writeParagraphBreak();
    // A break that was asked for is what this paragraph already gives; the
    // count never goes below zero.
    if (pendingLineBreaks > 0) --pendingLineBreaks;
    if (!afterLine && !noBlankLine) {
      write("\\line");
      if (pendingLineBreaks > 0) --pendingLineBreaks;
    }
    item.writeFullAttributes(*this);
    write("\r\n");
    afterParagraph = true;
    flush();
    charsSinceParagraph = 0;
    // The line end closed the control words before it.
    delimiterOwed = false;
  } else if (pendingLineBreaks > 0) {
    // The paragraph that already stands here is the break asked for; a
    // control word written since still needs its delimiter.
    --pendingLineBreaks;
  }
  pendingParagraph = false;
  afterLine = false;
  pendingSpace = false;
}

void qvRtfWriter::writePendingLineBreaks(const qvTextAttributes& item) {
  item.writeAttributeChanges(*this);
  const bool paragraph = overParagraphLimit();
  write(paragraph ? "\\par" : "\\line");
  for (int i = 1; i < pendingLineBreaks; ++i) write("\\line");
  write("\r\n");
  afterLine = true;
  // The line end already ends the control words; a blank here would be
  // text at the start of the new line.
  delimiterOwed = false;
  if (paragraph) {
    flush();
    charsSinceParagraph = 0;
  }
  pendingLineBreaks = 0;
}
