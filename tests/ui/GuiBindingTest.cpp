// The binding to the user-interface library, exercised against a scripted
// stand-in library built beside this test.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"
#include "ui/qvCorvane2Binding.h"
#include "ui/qvGuiUserInterface.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvStartPoints.h"

#include "../support/TempDirectory.h"

namespace {

namespace fs = std::filesystem;

std::string doublePath(const char* variant) {
  return std::string(CV_DOUBLE_DIR) + "/double-" + variant + "/libcorvane2.so";
}

// The scripting functions of the complete stand-in.
struct Double {
  void* handle = dlopen(doublePath("full").c_str(), RTLD_NOW);
  template <typename F>
  F fn(const char* name) {
    return reinterpret_cast<F>(dlsym(handle, name));
  }
  void reset() { fn<void (*)()>("CvDoubleReset")(); }
  void setVersion(int v) { fn<void (*)(int)>("CvDoubleSetVersion")(v); }
  void pushStatus(int bits) { fn<void (*)(int)>("CvDoublePushStatus")(bits); }
  void setToggles(int t) { fn<void (*)(int)>("CvDoubleSetToggles")(t); }
  void setValue(int i, int v) { fn<void (*)(int, int)>("CvDoubleSetValue")(i, v); }
  void setString(int i, const std::string& s) { fn<void (*)(int, const char*)>("CvDoubleSetString")(i, s.c_str()); }
  void pushString(int i, const std::string& s) {
    fn<void (*)(int, const char*)>("CvDoublePushString")(i, s.c_str());
  }
  void setExit(int f) { fn<void (*)(int)>("CvDoubleSetExit")(f); }
  void pushURL(const std::string& s) { fn<void (*)(const char*)>("CvDoublePushURL")(s.c_str()); }
  const char* lastStatusText() { return fn<const char* (*)()>("CvDoubleLastStatusText")(); }
  const char* lastWarning() { return fn<const char* (*)()>("CvDoubleLastWarning")(); }
  const char* lastInfo(int i) { return fn<const char* (*)(int)>("CvDoubleLastInfo")(i); }
  const char* lastCommandLine() { return fn<const char* (*)()>("CvDoubleLastCommandLine")(); }
  const char* lastDirectory() { return fn<const char* (*)()>("CvDoubleLastDirectory")(); }
  int lastFetchSize() { return fn<int (*)()>("CvDoubleLastFetchSize")(); }
  int lastState() { return fn<int (*)()>("CvDoubleLastState")(); }
  int number(int i) { return fn<int (*)(int)>("CvDoubleNumber")(i); }
  std::string boxTexts() { return fn<const char* (*)()>("CvDoubleBoxTexts")(); }
};

class RecordingStarts : public qvStartPoints {
 public:
  int addLocalStart(const std::string& path) override {
    locals.push_back(path);
    return localResult;
  }
  UrlResult addStartUrl(const std::string& url) override {
    urls.push_back(url);
    return urlResult;
  }
  void clearStarts() override { ++clears; }
  void setColours(unsigned main, unsigned nonScroll) override {
    mainColour = main;
    nonScrollColour = nonScroll;
  }
  std::vector<std::string> locals, urls;
  int localResult = 1;
  UrlResult urlResult = UrlResult::Accepted;
  int clears = 0;
  unsigned mainColour = 0, nonScrollColour = 0;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class GuiBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    lib.reset();
  }

  std::unique_ptr<qvGuiUserInterface> makeUi(const char* variant = "full") {
    auto ui = std::make_unique<qvGuiUserInterface>(settings, (dir / "Corvane.log").string(), doublePath(variant));
    return ui;
  }
  std::unique_ptr<qvGuiUserInterface> loadedUi() {
    auto ui = makeUi();
    EXPECT_TRUE(ui->load()) << ui->getErrorText();
    return ui;
  }

  Double lib;
  TempDirectory temp;
  fs::path dir = temp.path();
  qvDriverSettings settings;
};

TEST_F(GuiBindingTest, VersionHandshakeAcceptsOnly272) {
  auto ui = makeUi();
  lib.setVersion(271);
  EXPECT_FALSE(ui->load());
  EXPECT_EQ(ui->getErrorText(), "version of libcorvane2.so found is too old");
  lib.setVersion(273);
  EXPECT_FALSE(ui->load());
  EXPECT_EQ(ui->getErrorText(), "version of libcorvane2.so found is too new");
  lib.setVersion(272);
  EXPECT_TRUE(ui->load());
  EXPECT_EQ(ui->getErrorText(), "Completed OK");
}

TEST_F(GuiBindingTest, IncompleteOrMissingLibraryIsRefused) {
  EXPECT_FALSE(makeUi("nosetvalues")->load());
  auto incomplete = makeUi("nosetvalues");
  incomplete->load();
  EXPECT_EQ(incomplete->getErrorText(), "GetProcAddress () failed for libcorvane2.so");
  auto noVersion = makeUi("noversion");
  EXPECT_FALSE(noVersion->load());
  EXPECT_EQ(noVersion->getErrorText(), "invalid libcorvane2.so");
  auto missing = std::make_unique<qvGuiUserInterface>(settings, (dir / "Corvane.log").string(),
                                                      (dir / "libcorvane2.so").string());
  EXPECT_FALSE(missing->load());
  EXPECT_EQ(missing->getErrorText(), "failed to load libcorvane2.so");
  // A refused library does nothing when the engine reports to it.
  incomplete->setStatusText("ignored");
  EXPECT_EQ(incomplete->getValue(1), 0);
}

TEST_F(GuiBindingTest, TextsReachTheLibraryCutAt512InBuffersThatStay) {
  auto ui = loadedUi();
  std::string longText(600, 'a');
  longText[511] = 'z';
  ui->setStatusText(longText);
  const char* status = lib.lastStatusText();
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(std::strlen(status), 512u);
  EXPECT_EQ(status[511], 'z');

  ui->showWarning("a warning");
  // Each argument position has its own buffer: the status text is intact.
  EXPECT_STREQ(lib.lastWarning(), "a warning");
  EXPECT_EQ(std::strlen(lib.lastStatusText()), 512u);
  EXPECT_NE(static_cast<const void*>(lib.lastWarning()), static_cast<const void*>(lib.lastStatusText()));

  ui->setInfo("primary", nullptr, "url", "");
  EXPECT_STREQ(lib.lastInfo(0), "primary");
  EXPECT_EQ(lib.lastInfo(1), nullptr);  // null leaves the field alone
  EXPECT_STREQ(lib.lastInfo(2), "url");
  EXPECT_STREQ(lib.lastInfo(3), "");

  EXPECT_TRUE(ui->runHcRtf("hcrtf /nc /xh rtf/project.hpj", nullptr));
  EXPECT_STREQ(lib.lastCommandLine(), "hcrtf /nc /xh rtf/project.hpj");
  EXPECT_EQ(lib.lastDirectory(), nullptr);
}

TEST_F(GuiBindingTest, FetchedTextsAreBoundedByTheBufferSizeTold) {
  auto ui = loadedUi();
  lib.setString(4, std::string(2000, 'h'));
  EXPECT_EQ(ui->getString(4).size(), 1022u);  // the library keeps room for the terminator
  EXPECT_EQ(lib.lastFetchSize(), 1023);
  lib.pushURL(std::string(2000, 'u'));
  EXPECT_EQ(ui->getURL().size(), 1023u);
  EXPECT_EQ(lib.lastFetchSize(), 1023);
  EXPECT_EQ(ui->getString(5), "");  // an index without a text
}

TEST_F(GuiBindingTest, StatusBitsDrivePoll) {
  auto ui = loadedUi();
  lib.setValue(1, 25);
  lib.setValue(2, 3);
  lib.setToggles(0x1 | 0x10);
  lib.pushStatus(0x10 | 0x20 | 0x4 | 0x2 | 0x8);
  ui->poll(true);
  EXPECT_EQ(settings.maxURLs, 25);
  EXPECT_EQ(settings.maxDepth, 3);
  EXPECT_TRUE(settings.siteWide);
  EXPECT_TRUE(settings.dontSkipCGI);
  EXPECT_FALSE(settings.noImages);
  EXPECT_TRUE(settings.checkRobots);
  EXPECT_TRUE(settings.enough);
  EXPECT_EQ(ui->pendingBits(), 0x2 | 0x8);  // start and cancel wait for their readers
}

TEST_F(GuiBindingTest, ReportsPollTheLibrary) {
  auto ui = loadedUi();
  lib.pushStatus(0x4);
  ui->statusMessage("Fetching");
  EXPECT_TRUE(settings.enough);
  EXPECT_STREQ(lib.lastStatusText(), "Fetching");
  ui->updateCounts(7, 2, 123456789012L);
  EXPECT_EQ(lib.number(0), 0);  // -1: found is left as it was
  EXPECT_EQ(lib.number(1), 7);
  EXPECT_EQ(lib.number(3), 2147483647);  // more bytes than 32 bits hold
}

TEST_F(GuiBindingTest, CloseRequestEndsTheProcessWithStatus1) {
  auto ui = loadedUi();
  lib.pushStatus(0x40);
  EXPECT_EXIT(ui->poll(true), ::testing::ExitedWithCode(1), "");
}

// A library whose status report calls back into the engine's poll.
class ReenteringUi : public qvGuiUserInterface {
 public:
  using qvGuiUserInterface::qvGuiUserInterface;
  int getStatus() override {
    ++calls;
    poll(true);
    return qvGuiUserInterface::getStatus();
  }
  int calls = 0;
};

TEST_F(GuiBindingTest, PollIsNotEnteredTwice) {
  ReenteringUi ui(settings, (dir / "Corvane.log").string(), doublePath("full"));
  ASSERT_TRUE(ui.load());
  ui.poll(true);
  EXPECT_EQ(ui.calls, 1);
  ui.poll(true);  // the guard is released on the way out
  EXPECT_EQ(ui.calls, 2);
}

TEST_F(GuiBindingTest, CancelKeepsThrowingUntilCleared) {
  auto ui = loadedUi();
  EXPECT_FALSE(ui->checkCancel());
  lib.pushStatus(0x8);
  for (int i = 0; i < 3; ++i) {
    try {
      ui->checkCancel();
      FAIL() << "no cancel on check " << i;
    } catch (const qvCancelException& e) {
      EXPECT_STREQ(e.what(), "Canceled by user");
    }
  }
  EXPECT_THROW(ui->checkCancel(true), qvCancelException);
  EXPECT_FALSE(ui->checkCancel());
  EXPECT_FALSE(ui->checkCancel(false));
}

TEST_F(GuiBindingTest, WaitForStartChecksEachStartAndLogsTheOptions) {
  auto ui = loadedUi();
  std::string helpFile = (dir / "Site.HLP").string();
  lib.setString(4, helpFile);
  lib.setValue(1, 10);
  lib.setValue(3, 3);
  // First start: no URL; second: a URL the engine rejects; third: accepted.
  lib.pushStatus(0);
  lib.pushStatus(0x2);
  lib.pushURL("");
  lib.pushStatus(0x2);
  lib.pushURL("http://bad url/");
  lib.pushStatus(0x2);
  lib.pushURL("http://example.org/");
  // The rejected start flips the answer for the next one.
  struct Flip : RecordingStarts {
    UrlResult addStartUrl(const std::string& url) override {
      RecordingStarts::addStartUrl(url);
      return urls.size() == 1 ? UrlResult::Rejected : UrlResult::Accepted;
    }
  } flip;
  ui->waitForStart(flip);

  EXPECT_EQ(flip.urls, (std::vector<std::string>{"http://bad url/", "http://example.org/"}));
  EXPECT_EQ(flip.clears, 1);
  EXPECT_EQ(settings.helpFileName, helpFile);  // ".HLP" counts as ".hlp"
  EXPECT_FALSE(fs::exists(helpFile));          // the probe leaves nothing behind
  EXPECT_EQ(flip.mainColour, 0xC0C0C0u);
  EXPECT_EQ(flip.nonScrollColour, 0xE2FFFFu);
  EXPECT_EQ(settings.maxURLs, 10);
  EXPECT_EQ(lib.lastState(), 1);
  EXPECT_EQ(lib.boxTexts(),
            "Corvane error: Please enter a URL\nCorvane error: Don't understand URL 'http://bad url/'\n");
  std::string log = readFile(dir / "Corvane.log");
  EXPECT_NE(log.find("Don't understand URL 'http://bad url/'\r\n"), std::string::npos);
  EXPECT_NE(log.find("Options are [SiteWide=false, NoImages=false, CheckRobots=true, Don'tSkipCGI=false, "
                     "MaxURLs=10, MaxDepth=0, Colour Grey]\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Output help file is " + helpFile + "\r\n"), std::string::npos);
}

TEST_F(GuiBindingTest, WaitForStartRefusesAnUnwritableHelpFileAndAnEmptyScan) {
  auto ui = loadedUi();
  struct Starts : RecordingStarts {
    int addLocalStart(const std::string& path) override {
      RecordingStarts::addLocalStart(path);
      return locals.size() == 1 ? 0 : 2;
    }
  } starts;
  std::string bad = (dir / "no-such-dir" / "x").string();
  lib.pushString(4, bad);
  lib.pushString(4, (dir / "x").string());
  // Presses are bits: two before the engine looks are one. Each refusal
  // reports once (one poll), so a quiet poll separates the presses; the
  // first is taken by the "Idle" report before waiting begins.
  for (int bits : {0, 0x2, 0, 0x2, 0, 0x2}) lib.pushStatus(bits);
  lib.pushURL("c:/pages");
  lib.pushURL("/srv/pages");  // a path of this system is a local start too
  ui->waitForStart(starts);
  EXPECT_EQ(starts.locals, (std::vector<std::string>{"c:/pages", "/srv/pages"}));
  EXPECT_TRUE(starts.urls.empty());
  EXPECT_EQ(settings.helpFileName, (dir / "x.hlp").string());
  EXPECT_TRUE(settings.autoColour);  // colour choice 0 is Auto
  EXPECT_EQ(starts.mainColour, 0xFFFFFFu);
  EXPECT_EQ(starts.nonScrollColour, 0xE2FFFFu);
  EXPECT_EQ(lib.boxTexts(), "Corvane error: Cannot create file '" + bad + ".hlp'\nCorvane error: No HTML files found\n");
}

TEST_F(GuiBindingTest, ErrorsGoToWarningsStatusLineAndLog) {
  auto ui = loadedUi();
  ui->beginStatusLine("Reading ");
  ui->showError("page broken");
  EXPECT_STREQ(lib.lastWarning(), "page broken");
  EXPECT_STREQ(lib.lastStatusText(), "Reading page broken");
  ui->showError("not on the line", false);
  EXPECT_STREQ(lib.lastStatusText(), "Reading page broken");
  EXPECT_EQ(readFile(dir / "Corvane.log"), "Reading page broken\r\n");
}

TEST_F(GuiBindingTest, LogIsCreatedAnew) {
  { std::ofstream(dir / "Corvane.log") << "old run\r\n"; }
  auto ui = loadedUi();
  ui->statusMessage("first", true);
  ui->endStatusLine("second", false, true);
  ui->endStatusLine("not logged", false, false);
  EXPECT_EQ(readFile(dir / "Corvane.log"), "first\r\nsecond\r\n");
}

TEST_F(GuiBindingTest, StateAndInitReachTheLibrary) {
  auto ui = loadedUi();
  EXPECT_TRUE(ui->init());
  EXPECT_NE(ui->windowHandle(), nullptr);
  ui->setState(2);
  EXPECT_EQ(lib.lastState(), 2);
  EXPECT_FALSE(ui->shouldExit());
  lib.setExit(1);
  EXPECT_TRUE(ui->shouldExit());
}

}  // namespace
