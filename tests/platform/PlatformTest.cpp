// The small platform services: libraries, processes, system figures, boxes
// and ending the process.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "../support/TempDirectory.h"
#include "platform/qvDynamicLibrary.h"
#include "platform/qvMessageBox.h"
#include "platform/qvProcess.h"
#include "platform/qvProcessExit.h"
#include "platform/qvSystemInfo.h"

namespace {

TEST(DynamicLibrary, FoundBesideTheExecutableThenInTheInstalledFolderThenOnTheSearchPath) {
  EXPECT_EQ(qvDynamicLibrary::executableDirectory(), CV_TEST_BINARY_DIR);
  qvDynamicLibrary beside;
  ASSERT_TRUE(beside.open("libcvbeside.so")) << beside.errorText();
  EXPECT_EQ(beside.loadedFrom(), std::string(CV_TEST_BINARY_DIR) + "/libcvbeside.so");
  auto answer = reinterpret_cast<int (*)()>(beside.symbol("CvBesideAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(beside.symbol("NoSuchEntryPoint"), nullptr);

  // The installed tree's folder comes after the one beside us; the loader
  // is not asked, so a dlopen that is not the executable's own finds it too.
  qvDynamicLibrary installed;
  ASSERT_TRUE(installed.open("libcvinstalled.so")) << installed.errorText();
  EXPECT_EQ(installed.loadedFrom(),
            std::filesystem::path(CV_INSTALLED_FOLDER "/libcvinstalled.so").lexically_normal().string());
  auto installedAnswer = reinterpret_cast<int (*)()>(installed.symbol("CvBesideAnswer"));
  ASSERT_NE(installedAnswer, nullptr);
  EXPECT_EQ(installedAnswer(), 7);

  qvDynamicLibrary system;
  ASSERT_TRUE(system.open("libm.so.6")) << system.errorText();
  EXPECT_EQ(system.loadedFrom(), "libm.so.6");
  EXPECT_NE(system.symbol("cos"), nullptr);

  qvDynamicLibrary missing;
  EXPECT_FALSE(missing.open("libcvnowhere.so"));
  EXPECT_FALSE(missing.isOpen());
  EXPECT_NE(missing.errorText().find("libcvnowhere.so"), std::string::npos) << missing.errorText();
  EXPECT_EQ(missing.symbol("x"), nullptr);
}

TEST(Process, CommandLineSplitsAtBlanks) {
  EXPECT_EQ(qvProcess::splitCommandLine("hcrtf /nc  /xh\trtf/project.hpj "),
            (std::vector<std::string>{"hcrtf", "/nc", "/xh", "rtf/project.hpj"}));
  EXPECT_TRUE(qvProcess::splitCommandLine("   ").empty());
}

TEST(Process, StartsWaitsAndReportsStatus) {
  TempDirectory dir;
  qvProcess p;
  ASSERT_TRUE(p.start("touch started-here", dir.path().c_str())) << p.errorText();
  EXPECT_EQ(p.wait(), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "started-here"));
  ASSERT_TRUE(p.start("false", nullptr));
  EXPECT_EQ(p.wait(), 1);
  EXPECT_EQ(p.wait(), -1);  // nothing left to wait for
}

TEST(Process, FailuresCarryTheSystemsText) {
  qvProcess p;
  EXPECT_FALSE(p.start("cv-no-such-program /x", nullptr));
  EXPECT_EQ(p.errorText(), "No such file or directory");
  EXPECT_FALSE(p.start("", nullptr));
  EXPECT_FALSE(p.start("true", "/cv/no/such/directory"));
  EXPECT_FALSE(p.errorText().empty());
}

TEST(Process, ProgramsBesideTheExecutableComeFirst) {
  std::string beside = std::string(CV_TEST_BINARY_DIR) + "/cv-beside-tool";
  EXPECT_EQ(qvProcess::findProgram("cv-beside-tool"), beside);
  EXPECT_EQ(qvProcess::findProgram("sh").empty(), false);
  EXPECT_EQ(qvProcess::findProgram("cv-no-such-program"), "");
  EXPECT_EQ(qvProcess::findProgram("/bin/sh"), "/bin/sh");
}

TEST(Process, ChildGetsNoOpenFilesBeyondTheStandardOnes) {
  TempDirectory dir;
  std::FILE* held = std::fopen((dir / "held").c_str(), "w");  // not close-on-exec
  ASSERT_NE(held, nullptr);
  int fd = ::fileno(held);
  const std::string probe = dir.write("probe.sh", "#!/bin/sh\n[ -e /proc/self/fd/" + std::to_string(fd) + " ] && exit 3\nexit 0\n");
  std::filesystem::permissions(probe, std::filesystem::perms::owner_all);
  qvProcess p;
  ASSERT_TRUE(p.start(probe, nullptr)) << p.errorText();
  EXPECT_EQ(p.wait(), 0);
  std::fclose(held);
}

TEST(SystemInfo, MemoryFiguresAreConsistent) {
  std::int64_t load = qvSystemInfo::memoryStatus(0);
  EXPECT_GE(load, 0);
  EXPECT_LE(load, 100);
  EXPECT_GT(qvSystemInfo::memoryStatus(1), 0);
  EXPECT_LE(qvSystemInfo::memoryStatus(2), qvSystemInfo::memoryStatus(1));
  EXPECT_GE(qvSystemInfo::memoryStatus(3), qvSystemInfo::memoryStatus(1));
  EXPECT_LE(qvSystemInfo::memoryStatus(6), qvSystemInfo::memoryStatus(5));
  EXPECT_GT(qvSystemInfo::memoryStatus(6), 0);
  EXPECT_EQ(qvSystemInfo::memoryStatus(7), -1);
  EXPECT_EQ(qvSystemInfo::memoryStatus(-1), -1);
  EXPECT_GE(qvSystemInfo::heapTotal(), qvSystemInfo::heapFree());
}

TEST(SystemInfo, TimeZoneBiasIsMinutesWestOfUtc) {
  const char* saved = std::getenv("TZ");
  std::string keep = saved ? saved : "";
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  EXPECT_EQ(qvSystemInfo::timeZoneBias(), 0);
  ::setenv("TZ", "XST5", 1);  // five hours west, no summer time
  ::tzset();
  EXPECT_EQ(qvSystemInfo::timeZoneBias(), 300);
  ::setenv("TZ", "YST-5:30", 1);
  ::tzset();
  EXPECT_EQ(qvSystemInfo::timeZoneBias(), -330);
  if (saved) ::setenv("TZ", keep.c_str(), 1); else ::unsetenv("TZ");
  ::tzset();
}

TEST(SystemInfo, LoweringThreadPriorityTakesEffect) {
  EXPECT_EXIT(
      {
        qvSystemInfo::setThreadPriority(qvSystemInfo::ThreadPriority::BelowNormal);
        std::FILE* stat = std::fopen("/proc/thread-self/stat", "r");
        char buffer[1024] = {};
        size_t n = std::fread(buffer, 1, sizeof buffer - 1, stat);
        std::fclose(stat);
        // Field 19 (after the command in parentheses) is the nice value.
        std::string text(buffer, n);
        std::string rest = text.substr(text.rfind(')') + 2);
        int field = 3;
        size_t pos = 0;
        while (field < 19) {
          pos = rest.find(' ', pos) + 1;
          ++field;
        }
        std::exit(std::atoi(rest.c_str() + pos) > 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

int lastKind = -1;
std::string lastText, lastCaption;
int recordingBox(const char* text, const char* caption, int kind) {
  lastText = text;
  lastCaption = caption;
  lastKind = kind;
  return qvMessageBox::kAnswerRetry;
}

TEST(MessageBox, ConsoleAnswersWithTheSafeDefault) {
  qvMessageBox::bind(nullptr);
  ::testing::internal::CaptureStderr();
  int answer = qvMessageBox::show("disk full", "Corvane error", qvMessageBox::kAbortRetryIgnore);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Corvane error: disk full\n");
  EXPECT_EQ(answer, qvMessageBox::kAnswerAbort);
  EXPECT_EQ(qvMessageBox::safeDefault(qvMessageBox::kOk | qvMessageBox::kIconStop), qvMessageBox::kAnswerOk);
  EXPECT_EQ(qvMessageBox::safeDefault(qvMessageBox::kYesNo | qvMessageBox::kIconQuestion), qvMessageBox::kAnswerNo);
  EXPECT_EQ(qvMessageBox::safeDefault(qvMessageBox::kOkCancel), qvMessageBox::kAnswerCancel);
}

TEST(MessageBox, BoundProviderShowsTheBox) {
  qvMessageBox::bind(recordingBox);
  int kind = qvMessageBox::kAbortRetryIgnore | qvMessageBox::kIconWarning;
  EXPECT_EQ(qvMessageBox::show("disk full", "Corvane error", kind), qvMessageBox::kAnswerRetry);
  EXPECT_EQ(lastText, "disk full");
  EXPECT_EQ(lastCaption, "Corvane error");
  EXPECT_EQ(lastKind, kind);
  qvMessageBox::bind(nullptr);
}

TEST(ProcessExit, FlushesBufferedOutputAndSkipsStaticDestructors) {
  TempDirectory dir;
  std::string file = dir / "flushed.txt";
  EXPECT_EXIT(
      {
        std::FILE* out = std::fopen(file.c_str(), "w");
        std::fputs("buffered line\n", out);  // still in the stdio buffer
        struct Marker {
          std::string path;
          ~Marker() { std::FILE* f = std::fopen(path.c_str(), "a"); std::fputs("destructor ran\n", f); std::fclose(f); }
        };
        static Marker marker{file};
        qvEndProcess(7);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_EQ(TempDirectory::read(file), "buffered line\n");
}

}  // namespace
