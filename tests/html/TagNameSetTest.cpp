// Tags of classes with literal names are matched by a scan instead of their
// expression. The scan must give the expression's answer, length for length,
// on any text: compared here with the expression itself over many generated
// tags made of the characters that decide a match.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "html/qvHtmlTag.h"
#include "html/qvPattern.h"
#include "html/qvPrototypeRegistry.h"
#include "html/qvTagDiv.h"
#include "html/qvTagNameSet.h"

namespace {

TEST(TagNameSet, TakesPlainAlternationsOnly) {
  EXPECT_TRUE(qvTagNameSet::fromPattern("p"));
  EXPECT_TRUE(qvTagNameSet::fromPattern("((ul)|(li)|(ol)|(dir)|(menu))"));
  EXPECT_TRUE(qvTagNameSet::fromPattern(qvTagDiv::kNamePattern));
  EXPECT_TRUE(qvTagNameSet::fromPattern("--"));
  EXPECT_FALSE(qvTagNameSet::fromPattern("[a-z][^ \\t\\r\\n>]*"));
  EXPECT_FALSE(qvTagNameSet::fromPattern("h[1-]"));
  EXPECT_FALSE(qvTagNameSet::fromPattern("h[16]"));
  EXPECT_FALSE(qvTagNameSet::fromPattern("[1-6]?"));
  EXPECT_FALSE(qvTagNameSet::fromPattern("a.?"));
  EXPECT_FALSE(qvTagNameSet::fromPattern("((a)||(b))"));
  EXPECT_FALSE(qvTagNameSet::fromPattern(""));
  const auto set = qvTagNameSet::fromPattern("((B)|(big))");
  ASSERT_TRUE(set);
  EXPECT_TRUE(set->contains("b"));
  EXPECT_TRUE(set->contains("BiG"));
  EXPECT_FALSE(set->contains("bi"));
  const auto headings = qvTagNameSet::fromPattern("((b)|(h[1-6])|(x[a-b][0-1]))");
  ASSERT_TRUE(headings);
  EXPECT_TRUE(headings->contains("H3"));
  EXPECT_TRUE(headings->contains("xb1"));
  EXPECT_FALSE(headings->contains("h7"));
  EXPECT_FALSE(headings->contains("h"));
  const auto any = qvTagNameSet::fromPattern(qvTagNameSet::kAnyName);
  ASSERT_TRUE(any);
  EXPECT_TRUE(any->contains("Span"));
  EXPECT_TRUE(any->contains("!DOCTYPE"));
  EXPECT_TRUE(any->contains("br/"));
  EXPECT_FALSE(any->contains("1x"));
  EXPECT_FALSE(any->contains("/b"));
  EXPECT_FALSE(any->contains(""));
}

TEST(TagNameSet, ScanAgreesWithTheExpressionOnCommonForms) {
  const auto set = qvTagNameSet::fromPattern("((b)|(big)|(blockquote))");
  ASSERT_TRUE(set);
  EXPECT_EQ(set->matchAt("<b>x", 0), 3u);
  EXPECT_EQ(set->matchAt("</ BIG >x", 0), 8u);
  EXPECT_EQ(set->matchAt("<blockquote\r\ncite=\"a>b\">", 0), 21u);  // ends at the first ">"
  EXPECT_EQ(set->matchAt("x<b>", 1), 3u);
  EXPECT_EQ(set->matchAt("<br>", 0), 0u);
  EXPECT_EQ(set->matchAt("<b/>", 0), 0u);
  EXPECT_EQ(set->matchAt("< /b>", 0), 0u);
  EXPECT_EQ(set->matchAt("<b class=x", 0), 0u);
  EXPECT_EQ(set->matchAt("<b", 0), 0u);
  EXPECT_EQ(set->matchAt("<", 0), 0u);
}

TEST(TagNameSet, ScanAgreesWithTheExpressionOnGeneratedTags) {
  const std::string alphabet = "<<//  \r\n\t>>bBigGl-x\"=a!1\xe9";
  std::vector<std::string> patterns;
  for (const qvPrototypeEntry& entry : qvPrototypeEntries()) patterns.emplace_back(entry.namePattern);
  patterns.emplace_back("--");
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 14);
  const std::string prefixes[] = {"<", "</", "< ", "</\t", "<\r\n"};
  const std::string names[] = {"b", "big", "bi", "blockquote", "a", "frame", "section", "div", "--", "p", "B", "Big",
                               "!DOCTYPE", "span", "1", "h1", "table", "Th", "script", "xmp"};
  for (const std::string& namePattern : patterns) {
    const auto set = qvTagNameSet::fromPattern(namePattern);
    if (!set) continue;  // matched by its expression
    qvPattern expression(qvHtmlTag::tagExpression(namePattern), qvPattern::Groups::kUnused);
    ASSERT_TRUE(expression.valid());
    for (int round = 0; round < 20000; ++round) {
      std::string text = prefixes[round % 5];
      if (round % 3 != 0) text += names[static_cast<std::size_t>(round / 3) % std::size(names)];
      for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
      const long expected = expression.matchAt(text, 0);
      EXPECT_EQ(set->matchAt(text, 0), expected > 0 ? static_cast<std::size_t>(expected) : 0u)
          << namePattern << " on \"" << text << "\"";
    }
  }
}

}  // namespace
