#include "url/qvAgentPattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kRobot = "Corvane v1.1";

TEST(qvAgentPattern, APatternMustCoverTheWholeName) {
  EXPECT_TRUE(qvAgentPattern::matches("Corvane v1.1", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("Corvane", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("v1.1", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("Corvane v1.1x", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("", ""));
}

TEST(qvAgentPattern, WildcardsAndLetterCase) {
  EXPECT_TRUE(qvAgentPattern::matches("*", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("*", ""));
  EXPECT_TRUE(qvAgentPattern::matches("Corvane*", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("Corvane *", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("*v1.1", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("C*v*1", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("Corvane v?.?", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("????????????", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("???????????", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("?", ""));
  EXPECT_FALSE(qvAgentPattern::matches("corvane*", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("CORVANE V1.1", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("*v1.2", kRobot));
  // A star has to give back what the rest of the pattern needs.
  EXPECT_TRUE(qvAgentPattern::matches("*.1", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("*a*a*", "banana"));
  EXPECT_TRUE(qvAgentPattern::matches("b*na", "banana"));
  EXPECT_FALSE(qvAgentPattern::matches("b*nab", "banana"));
}

TEST(qvAgentPattern, AnyAlternativeMayMatch) {
  EXPECT_TRUE(qvAgentPattern::matches("Lynx|Corvane*", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("Corvane v1.1|Lynx", kRobot));
  EXPECT_FALSE(qvAgentPattern::matches("Lynx|Corvane|Mosaic*", kRobot));
  // An empty alternative matches only an empty name.
  EXPECT_FALSE(qvAgentPattern::matches("Lynx|", kRobot));
  EXPECT_TRUE(qvAgentPattern::matches("Lynx|", ""));
  EXPECT_TRUE(qvAgentPattern::matches("|||*", kRobot));
  // Taken as one alternative, a bar is an ordinary character.
  EXPECT_FALSE(qvAgentPattern::matchesAlternative("Lynx|*", kRobot));
  EXPECT_TRUE(qvAgentPattern::matchesAlternative("a|*", "a|b"));
}

// A recursive matcher tries every split of every star: with twenty stars
// against a long run of one letter that is far more steps than this test
// would ever finish.
TEST(qvAgentPattern, ManyStarsAgainstALongNameStayCheap) {
  std::string pattern;
  for (int i = 0; i < 20; ++i) pattern += "*a";
  const std::string name(20000, 'a');
  EXPECT_TRUE(qvAgentPattern::matches(pattern, name));
  EXPECT_FALSE(qvAgentPattern::matches(pattern + "b", name));
  EXPECT_FALSE(qvAgentPattern::matches(pattern + "*b", name));
  EXPECT_TRUE(qvAgentPattern::matches(pattern + "*b", name + "b"));
  std::string alternatives;
  for (int i = 0; i < 50; ++i) alternatives += pattern + "?b|";
  EXPECT_FALSE(qvAgentPattern::matches(alternatives, name));
}

}  // namespace
