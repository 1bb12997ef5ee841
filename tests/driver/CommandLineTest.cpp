// The engine's command line: the keyword table with its prefix rule, option
// arguments and their failures.

#include <gtest/gtest.h>
#include <cstring>

#include "base/qvDriverSettings.h"
#include "driver/qvCommandLine.h"

namespace {

struct Parsed {
  qvDriverSettings settings;
  qvCommandLine cl;
  explicit Parsed(const std::vector<std::string>& args) { cl.parse(args, settings); }
};

std::string failure(const std::vector<std::string>& args) {
  qvDriverSettings settings;
  qvCommandLine cl;
  try {
    cl.parse(args, settings);
  } catch (const qvCommandLineError& e) {
    return e.what();
  }
  return "(no failure)";
}

TEST(CommandLine, KeywordsAreCaseInsensitivePrefixes) {
  Parsed p({"-MaxURL", "5", "-NoImages", "-WIDEST", "-DEBUG", "http://example.org/"});
  EXPECT_EQ(p.settings.maxURLs, 5);
  EXPECT_TRUE(p.settings.noImages);
  EXPECT_TRUE(p.settings.siteWide);
  EXPECT_TRUE(p.settings.debug);
  EXPECT_FALSE(p.settings.fullDebug);
  EXPECT_EQ(p.cl.startPoints, (std::vector<std::string>{"http://example.org/"}));
}

TEST(CommandLine, OptionsMatchingNoKeywordAreIgnored) {
  Parsed p({"-f", "-xyz", "-fulld", "-", "-ma", "a"});
  EXPECT_FALSE(p.settings.fullDebug);  // "fulldeb" needs seven characters
  EXPECT_EQ(p.settings.maxURLs, 0);
  EXPECT_EQ(p.cl.startPoints, (std::vector<std::string>{"a"}));  // one character: still a start point
  EXPECT_EQ(qvCommandLine::matchKeyword("-fulldebug"), std::string("fulldeb"));
  EXPECT_EQ(qvCommandLine::matchKeyword("-heapdump"), std::string("heapd"));
  EXPECT_EQ(qvCommandLine::matchKeyword("-grey"), std::string("gr"));
  EXPECT_EQ(qvCommandLine::matchKeyword("x"), nullptr);
}

TEST(CommandLine, FullDebugFirstArgumentRuleIsExact) {
  EXPECT_TRUE(qvCommandLine::firstArgumentIsFullDebug({"-fulldebug", "x"}));
  EXPECT_FALSE(qvCommandLine::firstArgumentIsFullDebug({"x", "-fulldebug"}));
  EXPECT_FALSE(qvCommandLine::firstArgumentIsFullDebug({"-FULLDEBUG"}));
  EXPECT_FALSE(qvCommandLine::firstArgumentIsFullDebug({}));
  Parsed later({"x", "-FullDebug"});
  EXPECT_TRUE(later.settings.fullDebug);
}

TEST(CommandLine, MaxUrlArgumentFailures) {
  EXPECT_EQ(failure({"-MaxURL"}), "maxurl : argument expected");
  EXPECT_EQ(failure({"-maxurls", "ten"}), "maxurls : invalid numeric value 'For input string: \"ten\"'");
  EXPECT_EQ(failure({"-maxurl", "99999999999"}), "maxurl : invalid numeric value 'For input string: \"99999999999\"'");
  EXPECT_EQ(failure({"-maxurl", ""}), "maxurl : invalid numeric value 'For input string: \"\"'");
  Parsed signedNumbers({"-maxurl", "+7"});
  EXPECT_EQ(signedNumbers.settings.maxURLs, 7);
}

TEST(CommandLine, ColourSwitchesAndTheirChoices) {
  Parsed white({"-white"});
  ASSERT_TRUE(white.cl.colours);
  EXPECT_EQ(white.cl.colours->mainColour, 0xFFFFFFu);
  EXPECT_EQ(white.cl.colours->nonScrollColour, 0xE2FFFFu);
  EXPECT_EQ(white.cl.colours->choice, 2);
  Parsed tan({"-tan"});
  EXPECT_EQ(tan.cl.colours->mainColour, 0xE2FFFFu);
  EXPECT_EQ(tan.cl.colours->nonScrollColour, 0xFFFFFFu);
  Parsed grey({"-white", "-gr"});  // the last switch wins
  EXPECT_EQ(grey.cl.colours->mainColour, 0xC0C0C0u);
  EXPECT_EQ(grey.cl.colours->nonScrollColour, 0xE2FFFFu);
  EXPECT_EQ(grey.cl.colours->choice, 3);
}

TEST(CommandLine, BatchOptions) {
  Parsed p({"--batch", "-out", "site", "--depth", "3", "-offline", "-nocache", "-proxy", "cache.local:3128",
            "-time", "10", "-heapd", "/srv/www"});
  EXPECT_TRUE(p.cl.batch);
  EXPECT_EQ(p.cl.out, "site");
  EXPECT_EQ(p.cl.depth, 3);
  EXPECT_EQ(p.settings.maxDepth, 3);
  EXPECT_TRUE(p.cl.offline);
  EXPECT_TRUE(p.cl.noCache);
  EXPECT_TRUE(p.cl.notInThisBuild.empty());
  EXPECT_EQ(p.cl.proxyHost, "cache.local");
  EXPECT_EQ(p.cl.proxyPort, 3128);
  EXPECT_EQ(p.cl.timeMinutes, 10);
  EXPECT_TRUE(p.cl.heapDebug);
  EXPECT_FALSE(p.cl.help);
  EXPECT_EQ(p.cl.startPoints, (std::vector<std::string>{"/srv/www"}));
  EXPECT_TRUE(Parsed({"--help"}).cl.help);

  EXPECT_EQ(failure({"-out"}), "out : argument expected");
  EXPECT_EQ(failure({"-depth", "-1"}), "depth : invalid numeric value 'For input string: \"-1\"'");
  EXPECT_EQ(failure({"-proxy", "cache.local"}), "proxy : invalid proxy 'cache.local' (HOST:PORT expected)");
  EXPECT_EQ(failure({"-proxy", "host:0"}), "proxy : invalid proxy 'host:0' (HOST:PORT expected)");
  EXPECT_EQ(failure({"-time", "soon"}), "time : invalid numeric value 'For input string: \"soon\"'");
}

TEST(CommandLine, NoKeywordShadowsAnother) {
  // Every keyword written out selects itself, so adding keywords changed
  // the meaning of none.
  for (const char* keyword : {"maxurl", "noim", "heapd", "wide", "white", "tan", "gr", "deb", "fulldeb", "batch",
                              "out", "depth", "offline", "nocache", "proxy", "time", "help", "https", "version"}) {
    const char* match = qvCommandLine::matchKeyword(std::string("-") + keyword);
    ASSERT_NE(match, nullptr) << keyword;
    EXPECT_STREQ(match, keyword);
    EXPECT_NE(qvCommandLine::usage().find(std::string("-") + keyword), std::string::npos) << keyword;
  }
}

TEST(CommandLine, VersionIsAskedForByItsKeywordOnly) {
  for (const char* arg : {"-version", "--version", "-VERSION", "-versions"}) {
    const Parsed p({arg});
    EXPECT_TRUE(p.cl.version) << arg;
    EXPECT_FALSE(p.cl.help) << arg;
    EXPECT_TRUE(p.cl.startPoints.empty()) << arg;
  }
  // Shorter than the keyword it is no option at all, as before the keyword.
  EXPECT_EQ(qvCommandLine::matchKeyword("-v"), nullptr);
  EXPECT_EQ(qvCommandLine::matchKeyword("-vers"), nullptr);
  EXPECT_FALSE(Parsed({"-batch", "/srv/www"}).cl.version);
}

}  // namespace
