// The log and diagnostic files.

#include <gtest/gtest.h>
#include <cctype>
#include <chrono>
#include <thread>

#include "../support/TempDirectory.h"
#include "base/qvDriverSettings.h"
#include "ui/qvDebugLog.h"
#include "ui/qvMemoryLog.h"
#include "ui/qvPrintWriter.h"
#include "ui/qvRuntimeException.h"

namespace {

// "  1,234" and the like: blanks, then digit groups of three after the first.
bool isPaddedNumber(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (text[i] == '-') ++i;
  std::string digits = text.substr(i);
  if (digits.empty() || digits[0] == ',') return false;
  for (size_t k = 0; k < digits.size(); ++k) {
    bool commaPlace = (digits.size() - k) % 4 == 0;
    if (commaPlace ? digits[k] != ',' : !std::isdigit(static_cast<unsigned char>(digits[k]))) return false;
  }
  return true;
}

std::vector<std::string> lines(const std::string& text, const std::string& end) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = text.find(end, start);
    if (stop == std::string::npos) stop = text.size();
    out.push_back(text.substr(start, stop - start));
    start = stop + end.size();
  }
  return out;
}

TEST(MemoryNumberFormat, GroupsDigitsAndPadsToEleven) {
  EXPECT_EQ(qvFormatMemoryNumber(0), "          0");
  EXPECT_EQ(qvFormatMemoryNumber(999), "        999");
  EXPECT_EQ(qvFormatMemoryNumber(1000), "      1,000");
  EXPECT_EQ(qvFormatMemoryNumber(1234567), "  1,234,567");
  EXPECT_EQ(qvFormatMemoryNumber(123456789), "123,456,789");
  EXPECT_EQ(qvFormatMemoryNumber(12345678901LL), "12,345,678,901");  // never cut
  EXPECT_EQ(qvFormatMemoryNumber(-1), "         -1");
  EXPECT_EQ(qvFormatMemoryNumber(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST(MainLog, WritesCrLfLinesAndStopsWhenClosed) {
  TempDirectory dir;
  dir.write("Corvane.log", "from an earlier run\r\n");
  qvPrintWriter log(dir / "Corvane.log");
  log.writeLine("one");
  log.writeLine("");
  log.writeLine(std::string("caf\xe9", 4));
  EXPECT_EQ(TempDirectory::read(dir / "Corvane.log"), std::string("one\r\n\r\ncaf\xe9\r\n"));
  log.close();
  log.writeLine("after close");
  EXPECT_FALSE(log.isOpen());
  EXPECT_EQ(TempDirectory::read(dir / "Corvane.log").find("after"), std::string::npos);
}

TEST(MainLog, FailureToCreateGivesTheReason) {
  TempDirectory dir;
  try {
    qvPrintWriter log(dir / "missing/Corvane.log");
    FAIL();
  } catch (const qvRuntimeException& e) {
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
  }
}

TEST(DebugLog, AppendsCheckpointsOnlyUnderFullDebugAndKeepsEarlierLines) {
  TempDirectory dir;
  qvDriverSettings settings;
  dir.write("CVDebug.log", "Debug : reached location 420\r\n");
  qvDebugLog debug(settings, dir / "CVDebug.log");
  debug.checkpoint(5);
  EXPECT_EQ(TempDirectory::read(dir / "CVDebug.log"), "Debug : reached location 420\r\n");
  settings.fullDebug = true;
  debug.checkpoint(0);
  debug.line("Error during GET");
  EXPECT_EQ(TempDirectory::read(dir / "CVDebug.log"),
            "Debug : reached location 420\r\nDebug : reached location 0\r\nError during GET\r\n");
}

TEST(MemoryReport, NineLabelledLinesOfPaddedNumbers) {
  TempDirectory dir;
  dir.write("MemDebug.txt", std::string(5000, 'x'));
  qvWriteMemoryReport(dir / "MemDebug.txt");
  auto report = lines(TempDirectory::read(dir / "MemDebug.txt"), "\r\n");
  ASSERT_EQ(report.size(), 9u);
  const char* labels[] = {"Free heap memory            : ", "Total heap memory           : ",
                          "Percent of memory in use    : ", "Bytes of physical memory    : ",
                          "Free physical memory bytes  : ", "Bytes of paging file        : ",
                          "Free bytes of paging file   : ", "User bytes of address space : ",
                          "Free user bytes             : "};
  for (int i = 0; i < 9; ++i) {
    ASSERT_EQ(report[i].rfind(labels[i], 0), 0u) << report[i];
    std::string value = report[i].substr(std::string(labels[i]).size());
    EXPECT_GE(value.size(), 11u);
    EXPECT_TRUE(isPaddedNumber(value)) << value;
  }
}

TEST(MemoryTrace, LineFormat) {
  EXPECT_EQ(qvMemoryTraceLine(2048000, 1000, 0, 7, 5, 9),
            "T:   2,048,000  FP:       1,000  FV:           0 @ 07:05:09");
}

TEST(MemoryTrace, StartsEmptyAndRecordsANewLow) {
  TempDirectory dir;
  dir.write("CorvaneMem.log", "old\n");
  {
    qvMemDebugThread trace(dir / "CorvaneMem.log", std::chrono::milliseconds(1));
    EXPECT_FALSE(std::filesystem::exists(dir / "CorvaneMem.log"));
    // Taking heap memory lowers the free figure; the trace writes a line
    // within 300 ticks at the latest.
    std::vector<std::unique_ptr<char[]>> hold;
    for (int i = 0; i < 5000 && !std::filesystem::exists(dir / "CorvaneMem.log"); ++i) {
      hold.push_back(std::make_unique<char[]>(200));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  std::string text = TempDirectory::read(dir / "CorvaneMem.log");
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find("old"), std::string::npos);
  std::string first = text.substr(0, text.find('\n') + 1);
  ASSERT_EQ(first.rfind("T: ", 0), 0u) << text;
  size_t fp = first.find("  FP: "), fv = first.find("  FV: "), at = first.find(" @ ");
  ASSERT_TRUE(fp != std::string::npos && fv != std::string::npos && at != std::string::npos) << first;
  EXPECT_TRUE(isPaddedNumber(first.substr(3, fp - 3)));
  EXPECT_TRUE(isPaddedNumber(first.substr(fv + 6, at - fv - 6)));
  EXPECT_EQ(first.size(), at + 3 + 8 + 1) << first;  // hh:mm:ss and a line feed only
  EXPECT_EQ(first[at + 5], ':');
}

TEST(GarbageThread, ReportsOnceAMinuteOnlyUnderDebug) {
  TempDirectory dir;
  qvDriverSettings settings;
  {
    qvGarbageThread quiet(settings, dir / "MemDebug.txt", std::chrono::milliseconds(1));
    for (int i = 0; i < 5000 && quiet.ticks() < 120; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_GE(quiet.ticks(), 120);  // two reporting moments passed
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "MemDebug.txt"));
  settings.debug = true;
  {
    qvGarbageThread reporting(settings, dir / "MemDebug.txt", std::chrono::milliseconds(1));
    for (int i = 0; i < 5000 && !std::filesystem::exists(dir / "MemDebug.txt"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "MemDebug.txt"));
}

}  // namespace
