#pragma once
// The run-wide RTF writer state shared by every item of a topic: the output
// buffer, the separators that tags leave pending for the next text, and the
// formatting record written last. Items never write to a topic file
// directly; they append here, and the buffer is flushed in blocks to the
// sink.

#include <cstddef>
#include <string>
#include <string_view>

#include "rtf/qvByteSink.h"
#include "rtf/qvTextAttributes.h"

class qvRtfWriter {
 public:
  // Flushes happen once the buffer holds this much.
  static constexpr std::size_t kFlushSize = 8192;
  // After this many characters in one paragraph a break becomes \par, which
  // keeps paragraphs inside what the help compiler accepts.
  static constexpr long kParagraphLimit = 23000;
  // Text in one table cell stops after this many characters of text;
  // control words, hidden link targets and bullets do not count.
  static constexpr long kCellLimit = 29000;

  // Without a sink the output collects in memory (see output()).
  explicit qvRtfWriter(qvByteSink* sink = nullptr);

  // Sends later output to `sink` (null: back to memory). Flushes first.
  void setSink(qvByteSink* sink);
  // Appends bytes to the buffer; they count towards the paragraph counter
  // when flushed.
  void write(std::string_view bytes) { buffer_.append(bytes); }
  void write(char c) { buffer_.push_back(c); }
  // Counts `n` characters of text towards the cell limit.
  void countCellText(long n) { charsInCell += n; }
  // Writes the buffer to the sink and adds its length to the paragraph
  // counter.
  void flush();
  std::size_t buffered() const { return buffer_.size(); }
  // The output collected in memory when no sink is set (flushes first).
  const std::string& output();
  std::string takeOutput();

  // The state at the start of a topic: no blank line opens it, the first
  // preformatted line break is not written, nothing pending.
  void resetForTopic();

  // Separators a tag leaves for the next text.
  void requestParagraph() { pendingParagraph = true; }
  void requestLineBreaks(int n, bool lessAfterBreak);
  void requestAtLeastLineBreaks(int n);
  void addLineBreaks(int n) { pendingLineBreaks += n; }
  // Writes the pending paragraph or line breaks and the owed blanks, using
  // `item` for the formatting words that follow a paragraph break.
  void writeSeparators(const qvTextAttributes& item);
  // "\par\pard", or "\par" inside a hotspot, where \pard would end the link.
  void writeParagraphBreak();
  // Writes a pending paragraph break, if one is owed, before `item` writes
  // its attribute changes: words written before the \par would restyle the
  // paragraph it ends, whose indent and alignment are those in force at
  // the \par.
  void writePendingParagraphFirst(const qvTextAttributes& item);

  bool overParagraphLimit() const { return charsSinceParagraph > kParagraphLimit; }
  bool overCellLimit() const { return cellLimitActive && charsInCell > kCellLimit; }

  qvTextAttributes& current() { return current_; }
  const qvTextAttributes& current() const { return current_; }

  // The state fields tags set and read directly.
  bool pendingParagraph = false;
  int pendingLineBreaks = 0;
  bool afterParagraph = true;
  bool afterLine = true;
  bool pendingSpace = false;
  bool delimiterOwed = false;
  bool suppressNextBreak = true;
  bool noBlankLine = false;
  bool inHotspot = false;
  long charsSinceParagraph = 0;
  long charsInCell = 0;
  bool cellLimitActive = false;

 private:
  void writePendingParagraph(const qvTextAttributes& item);
  void writePendingLineBreaks(const qvTextAttributes& item);

  qvByteSink* sink_;
  std::string buffer_;
  std::string memory_;
  qvTextAttributes current_;
};
