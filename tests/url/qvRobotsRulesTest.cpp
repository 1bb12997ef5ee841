#include "url/qvRobotsRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempDirectory.h"

namespace {

using Prefixes = std::vector<std::string>;
constexpr const char* kRobot = "Corvane v1.1";

Prefixes parse(const std::string& text) { return qvRobotsRules::parse(text, kRobot); }

TEST(qvRobotsRules, OnlyRecordsNamingTheRobotCount) {
  EXPECT_EQ(parse("User-agent: *\nDisallow: /private\n"), Prefixes{"/private"});
  EXPECT_EQ(parse("User-agent: Lynx\nDisallow: /lynx\n\nUser-agent: *\nDisallow: /all\n"), Prefixes{"/all"});
  EXPECT_EQ(parse("User-agent: Lynx\nDisallow: /lynx\n"), Prefixes{});
  // The first word of the name is not the name.
  EXPECT_EQ(parse("User-agent: Corvane\nDisallow: /a\n"), Prefixes{});
  EXPECT_EQ(parse("User-agent: Corvane*\nDisallow: /a\n"), Prefixes{"/a"});
  // Disallow lines outside a matching record are ignored.
  EXPECT_EQ(parse("Disallow: /early\nUser-agent: *\nDisallow: /late\n"), Prefixes{"/late"});
  EXPECT_EQ(parse(""), Prefixes{});
}

TEST(qvRobotsRules, RecordsRunTogetherUntilAnEmptyLine) {
  const std::string text =
      "User-agent: *\nDisallow: /one\nUser-agent: Lynx\nDisallow: /two\n"
      "\n"
      "User-agent: Lynx\nDisallow: /three\n"
      "   \t\n"
      "User-agent: Lynx\nUser-agent: Corvane*\nDisallow: /four\n";
  EXPECT_EQ(parse(text), (Prefixes{"/one", "/two", "/four"}));
}

TEST(qvRobotsRules, FieldsValuesAndComments) {
  EXPECT_EQ(parse("USER-AGENT: *\nDISALLOW: /a # the archive\n"), Prefixes{"/a"});
  EXPECT_EQ(parse("user-agent:*\ndisallow:/b\n"), Prefixes{"/b"});
  EXPECT_EQ(parse("  User-agent:   *   \n\tDisallow:   /c d  \n"), Prefixes{"/c d"});
  // An empty value forbids nothing; so does one that is all comment.
  EXPECT_EQ(parse("User-agent: *\nDisallow:\nDisallow:   \nDisallow: # none\n"), Prefixes{});
  // A comment line is not an empty line: the record goes on.
  EXPECT_EQ(parse("User-agent: *\n# note\n   # indented note\nDisallow: /e\n"), Prefixes{"/e"});
  // The agent's letter case counts, the field name's does not.
  EXPECT_EQ(parse("user-agent: corvane*\nDisallow: /f\n"), Prefixes{});
  // A comment after the agent leaves the pattern alone.
  EXPECT_EQ(parse("User-agent: Corvane* # us\nDisallow: /g\n"), Prefixes{"/g"});
  EXPECT_EQ(parse("User-agent: *\nAllow: /h\nCrawl-delay: 10\nDisallow /i\nDisallow: /j\n"), Prefixes{"/j"});
}

TEST(qvRobotsRules, EveryKindOfLineEnd) {
  EXPECT_EQ(parse("User-agent: *\r\nDisallow: /a\r\nDisallow: /b"), (Prefixes{"/a", "/b"}));
  EXPECT_EQ(parse("User-agent: *\rDisallow: /a\r\rUser-agent: Lynx\rDisallow: /b\r"), Prefixes{"/a"});
  // LF then CR LF is an empty line between two.
  EXPECT_EQ(parse("User-agent: *\n\r\nDisallow: /c\r\n"), Prefixes{});
  EXPECT_EQ(parse(std::string("User-agent: *\nDisallow: /c\0d\n", 29)), Prefixes{std::string("/c\0d", 4)});
}

TEST(qvRobotsRules, OnlyTheFirstHalfMegabyteIsRead) {
  const std::string head = "User-agent: *\nDisallow: /first\n";
  std::string text = head;
  const std::string line = "Disallow: /x\n";
  while (text.size() + line.size() <= qvRobotsRules::kMaxBytes) text += line;
  const std::size_t fullLines = (text.size() - head.size()) / line.size();
  text += "Disallow: /private-area\n";  // cut by the limit
  text += line;
  const Prefixes prefixes = parse(text);
  ASSERT_EQ(prefixes.size(), fullLines + 1);
  EXPECT_EQ(prefixes.front(), "/first");
  EXPECT_EQ(prefixes.back(), "/x");
}

TEST(qvRobotsRules, ALineEndingRightAtTheLimitIsKept) {
  const std::string head = "User-agent: *\n";
  const std::string last = "Disallow: /z";
  const std::string text = head + std::string(qvRobotsRules::kMaxBytes - head.size() - last.size() - 1, '#') + "\n" + last;
  ASSERT_EQ(text.size(), qvRobotsRules::kMaxBytes);
  EXPECT_EQ(parse(text), Prefixes{"/z"});
  EXPECT_EQ(parse(text + "\nDisallow: /beyond\n"), Prefixes{"/z"});
  EXPECT_EQ(parse(text + "\r\nDisallow: /beyond\n"), Prefixes{"/z"});
  EXPECT_EQ(parse(text + "zz\n"), Prefixes{});
}

TEST(qvRobotsRules, FromAFile) {
  const TempDirectory dir;
  std::string text = "User-agent: *\nDisallow: /kept\n";
  const std::string junk = "Disallow: /" + std::string(1000, 'j') + "\n";
  while (text.size() < 3 * qvRobotsRules::kMaxBytes) text += junk;
  const Prefixes prefixes = qvRobotsRules::parseFile(dir.write("robots.txt", text).string(), kRobot);
  ASSERT_FALSE(prefixes.empty());
  EXPECT_EQ(prefixes.front(), "/kept");
  EXPECT_LE(prefixes.size(), qvRobotsRules::kMaxBytes / junk.size() + 1);
  for (std::size_t i = 1; i < prefixes.size(); ++i) ASSERT_EQ(prefixes[i].size(), junk.size() - 11) << i;
  EXPECT_EQ(qvRobotsRules::parseFile(dir / "missing.txt", kRobot), Prefixes{});
  EXPECT_EQ(qvRobotsRules::parseFile(dir.path().string(), kRobot), Prefixes{});
}

}  // namespace
