#pragma once
// The run-wide RTF writer state shared by every item of a topic: the output
// buffer, the separators that tags leave pending for the next text, and the
// formatting record written last. Items never write to a topic file
// directly; they append here, and the buffer is flushed in blocks to the
// sink. Tags change the separator state only through the verbs below, each
// named for what happened on the page (a cell began, a rule was drawn, text
// was written), so the rules for what a break or a blank needs live here.

#include <cstddef>
#include <cstdint>
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
  // A topic may grow to this many times its page's size, plus a fixed
  // allowance for a small page's header and notes. Real pages stay far
  // below; the bound keeps a page built to multiply its items from filling
  // the disk.
  static constexpr std::size_t kTopicGrowth = 64;
  static constexpr std::size_t kTopicAllowance = std::size_t{1} << 20;
  // Ends a topic cut at its bound.
  static constexpr const char* kTopicTruncationNote =
      "{\\par\\b\\i0 HTML source too large to fit into one topic - output truncated\\par}";

  // Without a sink the output collects in memory (see output()).
  explicit qvRtfWriter(qvByteSink* sink = nullptr);

  // Sends later output to `sink` (null: back to memory). Flushes first.
  void setSink(qvByteSink* sink);
  // Appends bytes to the buffer; they count towards the paragraph counter
  // when flushed.
  void write(std::string_view bytes) { buffer_.append(bytes); }
  void write(char c) { buffer_.push_back(c); }
  // Counts `n` characters of text towards the cell limit.
  void countCellText(long n) { charsInCell_ += n; }
  // Writes text characters that need no escape, with no separator pending,
  // as writing them one at a time with their checks would: up to the cell's
  // or the topic's bound, flushing at the same places, each counted towards
  // the cell. Returns how many were written.
  std::size_t writePlainText(std::string_view text);
  // Writes the buffer to the sink and adds its length to the paragraph
  // counter.
  void flush();
  std::size_t buffered() const { return buffer_.size(); }
  // The output collected in memory when no sink is set (flushes first).
  const std::string& output();
  std::string takeOutput();

  // The state at the start of a topic: no blank line opens it, the first
  // preformatted line break is not written, nothing pending, no bound on
  // its size.
  void resetForTopic();
  // Bounds the topic written from a page of `pageBytes` bytes; once past
  // the bound, items write nothing more (see writingStopped).
  void limitTopic(std::size_t pageBytes);
  bool overTopicLimit() const { return topicBytes_ + buffer_.size() > topicLimit_; }
  // The cell's or the topic's bound is passed: text and items stop where
  // they are, and containers only close what they opened.
  bool writingStopped() const { return overCellLimit() || overTopicLimit(); }

  // ------------------------------------------------------------ queries

  // Nothing but a paragraph break has been written since the last text.
  bool atParagraphStart() const { return afterParagraph_; }
  // A paragraph or line break was written last.
  bool atLineStart() const { return afterParagraph_ || afterLine_; }
  bool paragraphPending() const { return pendingParagraph_; }
  int pendingLineBreaks() const { return pendingLineBreaks_; }
  bool spacePending() const { return pendingSpace_; }
  bool delimiterOwed() const { return delimiterOwed_; }
  // The next line break of preformatted text writes nothing.
  bool nextBreakSuppressed() const { return suppressNextBreak_; }
  // Inside a link's text or a table cell: a paragraph break is a bare
  // \par, since \pard would end the link or leave the table.
  bool inHotspot() const { return hotspotDepth_ > 0; }
  // A table cell is being written: its text is limited, and a table met
  // in it is flattened.
  bool inCell() const { return cellLimitActive_; }
  long charsSinceParagraph() const { return charsSinceParagraph_; }
  bool overParagraphLimit() const { return charsSinceParagraph_ > kParagraphLimit; }
  bool overCellLimit() const { return cellLimitActive_ && charsInCell_ > kCellLimit; }
  // Something the text writer would write before the next character.
  bool separatorsPending() const;

  qvTextAttributes& current() { return current_; }
  const qvTextAttributes& current() const { return current_; }

  // ------------------------------------------- separators asked for by tags

  void requestParagraph() { pendingParagraph_ = true; }
  void requestLineBreaks(int n, bool lessAfterBreak);
  void requestAtLeastLineBreaks(int n);
  void addLineBreaks(int n) { pendingLineBreaks_ += n; }
  // Text after this starts on a line of its own; a break already standing
  // or asked for is enough.
  void requestNewLine();
  // White space between words: one blank before the next text, none at the
  // start of a line.
  void requestSpace();
  // The paragraph ends here (a p tag): unless one stands or is pending, a
  // paragraph break is asked for, and the blanks owed before it are
  // dropped, since the break itself separates.
  void closeParagraph();
  // Takes one pending line break for what the caller writes instead;
  // false when none was pending.
  bool takeLineBreak();
  // Drops the pending paragraph, line breaks and blank: the caller breaks
  // the line in its own way.
  void clearPendingBreaks();

  // ------------------------------------------------------------ writing

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
  // Control words that restyle running text: the blank pending before them
  // is written first (beside an owed delimiter, two blanks), and they owe
  // a delimiter themselves.
  void writeFormattingWords(std::string_view words);
  // Control words that owe a delimiter before any text follows them.
  void writeControlWords(std::string_view words);
  // Control words that end with their own delimiter (a blank or a group's
  // brace): nothing is owed after them.
  void writeClosedControlWords(std::string_view words);
  // Ends the paragraph at once: the break, `blankLines` empty lines, and
  // the full formatting of `next` (which \pard dropped) on a line of its own.
  void breakParagraph(const qvTextAttributes& next, int blankLines = 0);
  // Starts a paragraph of its own for `line` (a heading, an entry of a
  // list, an aligned division) with the blank lines asked for, unless the
  // writer stands at the start of one already: indent and alignment belong
  // to whole paragraphs, so such a line must not share one with the text
  // before it.
  void startParagraph(const qvTextAttributes& line);
  // A line break inside preformatted text; past the paragraph limit it is
  // a paragraph break, which keeps the formatting.
  void writePreformattedBreak();
  // A horizontal rule in `item`'s formatting, as a paragraph of its own;
  // the first preformatted line break after it is dropped like at the top
  // of a topic.
  void writeRule(const qvTextAttributes& item);

  // ------------------------------------------------ what the page did

  // Text now stands on the line: breaks asked for later are written.
  void textWritten();
  // A character of preformatted text or a picture now stands on the line;
  // the next preformatted line break is written too.
  void contentWritten();

  // A link's text, or a table cell, is being written; the calls nest.
  void enterHotspot() { ++hotspotDepth_; }
  void leaveHotspot();
  // Closes a link's group with its hidden target; the brace delimits.
  void writeHotspotTarget(std::string_view target);

  // A table cell starts: its text is counted against the cell limit, it
  // begins at the start of a line with nothing pending, and its paragraph
  // breaks keep within the table.
  void beginCell();
  void endCell();
  // The table's closing paragraph has been written: the cell limit is off
  // and nothing is pending.
  void endTable();

  // Holds blank lines back while it lives: a paragraph break writes no
  // extra \line, and pending line breaks wait.
  class BlankLinesHeld {
   public:
    explicit BlankLinesHeld(qvRtfWriter& out) : out_(out), before_(out.noBlankLine_) { out.noBlankLine_ = true; }
    ~BlankLinesHeld() { out_.noBlankLine_ = before_; }
    BlankLinesHeld(const BlankLinesHeld&) = delete;
    BlankLinesHeld& operator=(const BlankLinesHeld&) = delete;

   private:
    qvRtfWriter& out_;
    bool before_;
  };

 private:
  void writePendingParagraph(const qvTextAttributes& item);
  void writePendingLineBreaks(const qvTextAttributes& item);
  // A paragraph break and the formatting after it were just written.
  void paragraphStarted();

  qvByteSink* sink_;
  std::string buffer_;
  std::string memory_;
  qvTextAttributes current_;

  bool pendingParagraph_ = false;
  int pendingLineBreaks_ = 0;
  bool afterParagraph_ = true;
  bool afterLine_ = true;
  bool pendingSpace_ = false;
  bool delimiterOwed_ = false;
  bool suppressNextBreak_ = true;
  bool noBlankLine_ = false;
  int hotspotDepth_ = 0;
  long charsSinceParagraph_ = 0;
  long charsInCell_ = 0;
  bool cellLimitActive_ = false;
  // Bytes flushed since the topic began, and its bound.
  std::size_t topicBytes_ = 0;
  std::size_t topicLimit_ = SIZE_MAX;
};
