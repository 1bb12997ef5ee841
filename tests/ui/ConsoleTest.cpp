// The console user interface and the settings a batch run reads.

#include <gtest/gtest.h>
#include <sstream>
#include <thread>

#include "../support/TempDirectory.h"
#include "base/qvDriverSettings.h"
#include "platform/qvRegistry.h"
#include "ui/qvConsoleSettings.h"
#include "ui/qvPlainUserInterface.h"
#include "ui/qvStartPoints.h"

namespace {

class NoStarts : public qvStartPoints {
 public:
  int addLocalStart(const std::string&) override { return 0; }
  UrlResult addStartUrl(const std::string&) override { return UrlResult::Nothing; }
  void clearStarts() override {}
  void setColours(unsigned, unsigned) override {}
};

struct Console {
  TempDirectory dir;
  qvDriverSettings settings;
  std::ostringstream out, err;
  qvPlainUserInterface ui{settings, dir / "Corvane.log", out, err};
  std::string log() const { return TempDirectory::read(dir / "Corvane.log"); }
};

TEST(ConsoleUserInterface, PrintsAndLogsMessagesAsTheWindowWould) {
  Console c;
  c.ui.statusMessage("Corvane version 1.1");
  c.ui.statusMessage("Options are [x]", true);
  c.ui.beginStatusLine("Reading HTML ... ");
  c.ui.appendStatusLine("done", true);
  c.ui.endStatusLine(" ok", true, true);
  c.ui.updateCounts(3, 1, 2048);
  EXPECT_EQ(c.out.str(),
            "Corvane version 1.1\n"
            "Reading HTML ... \rReading HTML ... done\rReading HTML ... done ok\rReading HTML ... done ok\n"
            "[3/1/2048] ");
  EXPECT_EQ(c.log(), "Corvane version 1.1\r\nOptions are [x]\r\nReading HTML ... done ok\r\n");
}

TEST(ConsoleUserInterface, OutputThatIsNoTerminalGetsOnlyFinishedLines) {
  Console c;
  c.ui.setShowStatusText(false);
  c.ui.statusMessage("Corvane version 1.1");
  c.ui.beginStatusLine("Reading HTML ... ");
  c.ui.appendStatusLine("done", true);
  c.ui.endStatusLine(" ok", true, true);
  c.ui.endStatusLine("not logged", false, false);
  c.ui.updateCounts(3, 1, 2048);
  EXPECT_EQ(c.out.str(), "Corvane version 1.1\nReading HTML ... done ok\n");
  EXPECT_EQ(c.log(), "Corvane version 1.1\r\nReading HTML ... done ok\r\n");
}

TEST(ConsoleUserInterface, NeverBlocksNorReportsButtons) {
  Console c;
  NoStarts starts;
  c.ui.waitForStart(starts);
  EXPECT_FALSE(c.ui.shouldExit());
  EXPECT_FALSE(c.ui.checkCancel());
  EXPECT_FALSE(c.ui.checkCancel(true));
  EXPECT_EQ(c.ui.getStatus(), 0);
  EXPECT_TRUE(c.ui.load());
  EXPECT_EQ(c.ui.getErrorText(), "");
  EXPECT_EQ(c.ui.getValue(10), 0);  // nothing configured: the console's zeros
}

TEST(ConsoleUserInterface, WarningsAndBoxesGoToTheErrorStream) {
  Console c;
  c.ui.showError("Error during GET of http://x/: Not Found");
  c.ui.errorBox("Internal Error #1");
  // A warning the window would list (a proxy that refuses, a cache that
  // cannot be written) is not lost on the console either.
  c.ui.showWarning("Cannot connect to the proxy server");
  EXPECT_EQ(c.err.str(),
            "Error during GET of http://x/: Not Found\nInternal Error #1\nCannot connect to the proxy server\n");
  EXPECT_EQ(c.log(), "Error during GET of http://x/: Not Found\r\n");
  EXPECT_EQ(c.out.str(), "");
}

TEST(ConsoleUserInterface, ProgressGoesToTheErrorStreamWhenAsked) {
  Console c;
  c.ui.updateCounts(5, 1, 0, 100);
  EXPECT_EQ(c.err.str(), "");
  c.ui.setShowProgress(true);
  c.ui.setInfo(nullptr, nullptr, "http://example.org/a.html", nullptr);
  c.ui.updateCounts(-1, 2, 1, 2048);
  EXPECT_EQ(c.err.str(), "\r[5 found, 2 processed, 1 skipped, 2048 bytes] http://example.org/a.html\x1b[K");
}

TEST(ConsoleUserInterface, RunTimeLimitActsAsEnough) {
  Console c;
  qvConsoleSettings values;
  values.deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
  c.ui.setConsoleSettings(values);
  c.ui.statusMessage("first page");
  c.ui.checkCancel();
  EXPECT_FALSE(c.settings.enough);
  values.deadline = std::chrono::steady_clock::now() - std::chrono::milliseconds(1);
  c.ui.setConsoleSettings(values);
  c.ui.statusMessage("next page");
  c.ui.checkCancel();
  EXPECT_TRUE(c.settings.enough);
}

TEST(ConsoleUserInterface, RunsTheCompilerAndReportsItsStatus) {
  Console c;
  EXPECT_TRUE(c.ui.runHcRtf("true", nullptr));
  EXPECT_FALSE(c.ui.runHcRtf("false", nullptr));
  EXPECT_FALSE(c.ui.runHcRtf("no-such-compiler-anywhere /nc", nullptr));
  EXPECT_NE(c.err.str().find("Could not run help compiler"), std::string::npos);
  EXPECT_TRUE(c.ui.runHcRtf("touch made-here", c.dir.path().c_str()));
  EXPECT_TRUE(std::filesystem::exists(c.dir / "made-here"));
}

TEST(ConsoleSettings, DefaultsAreTheLibrarysAndNeverZeroTimeOuts) {
  qvConsoleSettings s = qvConsoleSettings::defaults();
  EXPECT_EQ(s.value(10), 30);
  EXPECT_EQ(s.value(11), 30);
  EXPECT_EQ(s.value(12), 1);
  EXPECT_EQ(s.value(15), 30);
  EXPECT_EQ(s.value(17), 1);
  EXPECT_EQ(s.value(19), 20);
  EXPECT_EQ(s.value(21), 1);
  EXPECT_EQ(s.value(23), 30);
  EXPECT_EQ(s.value(0), 0);
  EXPECT_EQ(s.value(99), 0);
  EXPECT_EQ(s.text(25), "Corvane/1.1");
  EXPECT_EQ(s.toggles, 0x20);
}

TEST(ConsoleSettings, RegistryOverlaysSettingsAndTheMatchingProfile) {
  TempDirectory dir;
  qvRegistry reg(dir / "registry.reg");
  const std::string settingsKey = "Software\\Lorimund\\Corvane\\v1.1\\Settings";
  const std::string profiles = "Software\\Lorimund\\Corvane\\v1.1\\Urls\\";
  reg.writeDword(settingsKey, "EnableCache", 0);
  reg.writeDword(settingsKey, "MaxCacheSize", 50);
  reg.writeString(settingsKey, "HttpProxyName", "proxy.local");
  reg.writeString(settingsKey, "HttpProxyPort", "3128");
  reg.writeDword(settingsKey, "EnableProxy", 1);
  std::string list = "a.example\r\nwith blank\r\n";
  reg.writeBinary(settingsKey, "NoProxyFor", std::vector<std::uint8_t>(list.begin(), list.end()));
  reg.writeDword(profiles + "http://example.org/", "MaxUrls", 12);
  reg.writeDword(profiles + "http://example.org/", "SiteWide", 1);
  reg.writeDword(profiles + "http://example.org/", "BackgroundColour", 9);
  reg.writeString(profiles + "http://example.org/", "OutputName", "/tmp/site.hlp");
  reg.writeDword(profiles + "default", "MaxUrls", 99);

  qvConsoleSettings s = qvConsoleSettings::defaults();
  s.readRegistry(reg, "http://example.org/");
  EXPECT_EQ(s.value(17), 0);
  EXPECT_EQ(s.value(19), 50);
  EXPECT_EQ(s.value(10), 30);  // not in the registry: still the default
  EXPECT_EQ(s.text(7), "proxy.local");
  EXPECT_EQ(s.value(8), 3128);
  EXPECT_EQ(s.value(9), 1);
  EXPECT_EQ(s.text(14), "a.example,\"with blank\"");
  EXPECT_EQ(s.value(1), 12);
  EXPECT_EQ(s.value(3), 0);  // a colour outside 0..3 is Auto
  EXPECT_EQ(s.toggles & 0x1, 0x1);
  EXPECT_EQ(s.text(4), "/tmp/site.hlp");

  qvConsoleSettings other = qvConsoleSettings::defaults();
  other.readRegistry(reg, "http://elsewhere.org/");
  EXPECT_EQ(other.value(1), 99);  // no profile of its own: "default"
}

TEST(ConsoleSettings, ProxyPortThatIsNotANumberSwitchesTheProxyOff) {
  TempDirectory dir;
  qvRegistry reg(dir / "registry.reg");
  const std::string settingsKey = "Software\\Lorimund\\Corvane\\v1.1\\Settings";
  reg.writeDword(settingsKey, "EnableProxy", 1);
  reg.writeString(settingsKey, "HttpProxyPort", "abc");
  qvConsoleSettings s = qvConsoleSettings::defaults();
  s.readRegistry(reg, "");
  EXPECT_EQ(s.value(9), 0);
  EXPECT_EQ(s.value(8), 0);
}

}  // namespace
