// What is decided when a run starts: the kind of start point, the help file
// name and the colours.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../support/TempDirectory.h"
#include "base/qvDriverSettings.h"
#include "base/qvHelpFileName.h"
#include "ui/qvStartOptions.h"
#include "ui/qvStartPoints.h"

namespace {

TEST(StartPointKind, LocalPathsAndURLs) {
  TempDirectory dir;
  EXPECT_TRUE(qvStartOptions::isLocalPath("c:\\web\\index.htm"));
  EXPECT_TRUE(qvStartOptions::isLocalPath("x:"));
  EXPECT_TRUE(qvStartOptions::isLocalPath("/no/such/place"));
  EXPECT_TRUE(qvStartOptions::isLocalPath(dir.path().string()));
  EXPECT_FALSE(qvStartOptions::isLocalPath("a"));  // one character: a URL
  EXPECT_FALSE(qvStartOptions::isLocalPath("http://example.org/"));
  EXPECT_FALSE(qvStartOptions::isLocalPath("example.org/index.html"));
  EXPECT_FALSE(qvStartOptions::isLocalPath(""));
}

TEST(HelpFileName, ExtensionAddedUnlessPresentInAnyCase) {
  EXPECT_EQ(qvHelpFileName::withExtension("site"), "site.hlp");
  EXPECT_EQ(qvHelpFileName::withExtension("SITE.HLP"), "SITE.HLP");
  EXPECT_EQ(qvHelpFileName::withExtension("a.Hlp"), "a.Hlp");
  EXPECT_EQ(qvHelpFileName::withExtension("site.hlp.txt"), "site.hlp.txt.hlp");
  EXPECT_EQ(qvHelpFileName::withExtension(""), ".hlp");
}

TEST(HelpFileName, ProbeKeepsAnExistingHelpFile) {
  TempDirectory dir;
  dir.write("old.hlp", "last run's help file");
  EXPECT_TRUE(qvStartOptions::canCreateHelpFile(dir / "old.hlp"));
  EXPECT_EQ(TempDirectory::read(dir / "old.hlp"), "last run's help file");
  EXPECT_TRUE(qvStartOptions::canCreateHelpFile(dir / "new.hlp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "new.hlp"));
  EXPECT_FALSE(qvStartOptions::canCreateHelpFile(dir / "missing/new.hlp"));
  EXPECT_FALSE(qvStartOptions::canCreateHelpFile(dir.path().string()));  // a directory
  EXPECT_FALSE(qvStartOptions::canCreateHelpFile(""));
}

TEST(HelpFileName, DerivedFromTheStartPoint) {
  EXPECT_EQ(qvHelpFileName::derived("http://www.example.com/docs/a.html"), "example.hlp");
  EXPECT_EQ(qvHelpFileName::derived("http://ftp.example.org"), "example.hlp");
  EXPECT_EQ(qvHelpFileName::derived("c:\\web\\Manual.htm"), "manual.hlp");
  EXPECT_EQ(qvHelpFileName::derived("/home/a/sample/site"), "site.hlp");
  EXPECT_EQ(qvHelpFileName::derived("sample/site/"), "site.hlp");
  EXPECT_EQ(qvHelpFileName::derived("https://host:8080/x?y"), "x-y.hlp");
  EXPECT_EQ(qvHelpFileName::derived(""), "project.hlp");
}

class ColourRecorder : public qvStartPoints {
 public:
  int addLocalStart(const std::string&) override { return 0; }
  UrlResult addStartUrl(const std::string&) override { return UrlResult::Nothing; }
  void clearStarts() override {}
  void setColours(unsigned m, unsigned n) override {
    main = m;
    nonScroll = n;
    ++calls;
  }
  unsigned main = 0, nonScroll = 0;
  int calls = 0;
};

TEST(ColourChoice, PairsMatchTheCommandLineSwitches) {
  qvDriverSettings settings;
  ColourRecorder c;
  EXPECT_EQ(qvStartOptions::applyColourChoice(1, c, settings), ", Colour Tan");
  EXPECT_EQ(c.main, 0xE2FFFFu);
  EXPECT_EQ(c.nonScroll, 0xFFFFFFu);
  EXPECT_EQ(qvStartOptions::applyColourChoice(2, c, settings), ", Colour White");
  EXPECT_EQ(c.main, 0xFFFFFFu);
  EXPECT_EQ(c.nonScroll, 0xE2FFFFu);
  EXPECT_EQ(qvStartOptions::applyColourChoice(3, c, settings), ", Colour Grey");
  EXPECT_EQ(c.main, 0xC0C0C0u);
  EXPECT_FALSE(settings.autoColour);
  EXPECT_EQ(qvStartOptions::applyColourChoice(0, c, settings), ", Colour Auto");
  EXPECT_TRUE(settings.autoColour);
  int before = c.calls;
  EXPECT_EQ(qvStartOptions::applyColourChoice(7, c, settings), "");
  EXPECT_EQ(c.calls, before);
}

}  // namespace
