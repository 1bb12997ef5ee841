// Runs of plain characters are written in one go; they must end exactly
// where writing them one at a time with every check would have ended, at
// a cell's bound, at a topic's bound and across flushes, or tables and
// oversized topics would be cut in different places.
#include <gtest/gtest.h>

#include <string>

#include "rtf/qvByteSink.h"
#include "rtf/qvRtfWriter.h"

namespace {

// The one-at-a-time form the run writer stands for.
std::size_t writeOneByOne(qvRtfWriter& out, std::string_view text) {
  std::size_t done = 0;
  for (const char c : text) {
    if (out.writingStopped()) break;
    out.textWritten();
    if (out.buffered() >= qvRtfWriter::kFlushSize) out.flush();
    out.write(c);
    out.countCellText(1);
    ++done;
  }
  return done;
}

struct Case {
  const char* name;
  bool inCell;
  std::size_t pageBytes;  // 0: no topic bound
  std::size_t before;     // characters written one by one first
  std::size_t length;
};

std::string pattern(std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

TEST(PlainTextRun, EndsWhereOneByOneWritingEnds) {
  const Case cases[] = {
      {"short, no bounds", false, 0, 0, 100},
      {"across several flushes", false, 0, 5000, 3 * qvRtfWriter::kFlushSize + 17},
      {"past the cell bound", true, 0, 0, qvRtfWriter::kCellLimit + 5000},
      {"cell bound reached mid-way", true, 0, qvRtfWriter::kCellLimit - 10, 40},
      {"cell bound reached exactly", true, 0, qvRtfWriter::kCellLimit, 40},
      {"past the topic bound", false, 1, 0, 4 * 1024 * 1024},
  };
  for (const Case& c : cases) {
    qvStringSink runSink;
    qvStringSink charSink;
    qvRtfWriter run(&runSink);
    qvRtfWriter byChar(&charSink);
    for (qvRtfWriter* out : {&run, &byChar}) {
      out->resetForTopic();
      if (c.pageBytes > 0) out->limitTopic(c.pageBytes);
      if (c.inCell) out->beginCell();
      writeOneByOne(*out, pattern(c.before));
    }
    const std::string text = pattern(c.length);
    EXPECT_EQ(run.writePlainText(text), writeOneByOne(byChar, text)) << c.name;
    EXPECT_EQ(run.writingStopped(), byChar.writingStopped()) << c.name;
    EXPECT_EQ(run.buffered(), byChar.buffered()) << c.name;
    run.flush();
    byChar.flush();
    EXPECT_EQ(runSink.text(), charSink.text()) << c.name;
  }
}

}  // namespace
