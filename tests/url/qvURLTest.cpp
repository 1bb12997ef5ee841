#include "url/qvURL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "url/qvURLCanonicaliser.h"

namespace {

TEST(qvURLParse, TakesAnHttpURLApart) {
  const auto url = qvURL::parse("HTTP://user@Www.Example.COM:8080/a/b.html?x=1&y=/2#frag");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->protocol(), "http");
  EXPECT_EQ(url->host(), "Www.Example.COM");
  EXPECT_EQ(url->port(), 8080);
  EXPECT_EQ(url->file(), "/a/b.html?x=1&y=/2");
  EXPECT_EQ(url->path(), "/a/b.html");
  EXPECT_TRUE(url->hasRef());
  EXPECT_EQ(url->ref(), "frag");
  EXPECT_EQ(url->externalForm(), "http://Www.Example.COM:8080/a/b.html?x=1&y=/2#frag");
}

TEST(qvURLParse, DefaultPortsAndSchemesWithoutAuthority) {
  EXPECT_EQ(qvURL::parse("http://h")->effectivePort(), 80);
  EXPECT_EQ(qvURL::parse("http://h:/x")->port(), -1);
  EXPECT_EQ(qvURL::parse("ftp://h/x")->effectivePort(), 21);
  const auto mail = qvURL::parse("mailto:someone@example.com");
  ASSERT_TRUE(mail);
  EXPECT_FALSE(mail->hasAuthority());
  EXPECT_EQ(mail->host(), "");
  EXPECT_EQ(mail->file(), "someone@example.com");
  const auto ipv6 = qvURL::parse("http://[::1]:81/");
  ASSERT_TRUE(ipv6);
  EXPECT_EQ(ipv6->host(), "[::1]");
  EXPECT_EQ(ipv6->port(), 81);
}

TEST(qvURLParse, LineBreaksAndSurroundingBlanksAreDropped) {
  const auto url = qvURL::parse("  http://h/a\r\nb.html \t");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->file(), "/ab.html");
}

TEST(qvURLParse, RefusesWhatCannotBeFetchedSafely) {
  EXPECT_FALSE(qvURL::parse(""));
  EXPECT_FALSE(qvURL::parse("no scheme here"));
  EXPECT_FALSE(qvURL::parse("1http://h/"));
  EXPECT_FALSE(qvURL::parse("http://"));
  EXPECT_FALSE(qvURL::parse("http:relative.html"));
  EXPECT_FALSE(qvURL::parse("http://h:99999999/"));
  EXPECT_FALSE(qvURL::parse("http://h:65536/"));
  EXPECT_FALSE(qvURL::parse("http://h:8o/"));
  EXPECT_FALSE(qvURL::parse("http://h:-1/"));
  EXPECT_FALSE(qvURL::parse("http://a b/"));
  EXPECT_FALSE(qvURL::parse("http://h%41/"));
  EXPECT_FALSE(qvURL::parse("http://[::1/"));
  EXPECT_FALSE(qvURL::parse("http://h/a\x01" "b"));
  EXPECT_FALSE(qvURL::parse(std::string("http://h/a\0b", 12)));
  EXPECT_FALSE(qvURL::parse("http://" + std::string(10000, 'a') + "/"));
  EXPECT_FALSE(qvURL::parse("http://h/" + std::string(100 * 1024, 'x')));
  EXPECT_TRUE(qvURL::parse("http://h:65535/"));
  EXPECT_TRUE(qvURL::parse("http://" + std::string(255, 'a') + "/"));
}

TEST(qvURLParse, FileURLsKeepTheirOddHosts) {
  const auto drive = qvURL::parse("file://c|/web/a.htm");
  ASSERT_TRUE(drive);
  EXPECT_EQ(drive->host(), "c|");
  EXPECT_EQ(drive->file(), "/web/a.htm");
  const auto bare = qvURL::parse("file:");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->file(), "");
}

TEST(qvURLResolve, FollowsTheUsualReferenceForms) {
  const std::string base = "http://h:81/d/page.html?q=/x#top";
  EXPECT_EQ(*qvURL::resolve(base, "x.html"), "http://h:81/d/x.html");
  EXPECT_EQ(*qvURL::resolve(base, "../x.html"), "http://h:81/d/../x.html");
  EXPECT_EQ(*qvURL::resolve(base, "/x.html"), "http://h:81/x.html");
  EXPECT_EQ(*qvURL::resolve(base, "//other/x"), "http://other/x");
  EXPECT_EQ(*qvURL::resolve(base, "?z=1"), "http://h:81/d/page.html?z=1");
  EXPECT_EQ(*qvURL::resolve(base, "#sec"), "http://h:81/d/page.html?q=/x#sec");
  EXPECT_EQ(*qvURL::resolve(base, ""), "http://h:81/d/page.html?q=/x");
  EXPECT_EQ(*qvURL::resolve(base, "mailto:a@b"), "mailto:a@b");
  EXPECT_EQ(*qvURL::resolve("http://h", "x.html"), "http://h/x.html");
  EXPECT_FALSE(qvURL::resolve("not a url", "x.html"));
}

// Canonical forms decide which spellings share one status, so every rule
// of them is pinned here.
TEST(qvCanonicalURL, CaseDefaultPortAndDotSegmentsGiveOneForm) {
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("HTTP://WWW.Example.com:80/a/./b/../c.html"),
            "http://www.example.com/a/c.html");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://www.example.com/a/c.html"),
            "http://www.example.com/a/c.html");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h:8080/x"), "http://h:8080/x");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/x#part"), "http://h/x");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h"), "http://h/");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h?q=1"), "http://h/?q=1");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("https://Secure.Example/x"), "https://secure.example/x");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("mailto:Someone@Example.com"), "mailto:Someone@Example.com");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("file://c|/Web/./A.htm"), "file://c|/Web/A.htm");
}

TEST(qvCanonicalURL, IsStableWhenAppliedAgain) {
  // A canonical form that changed on a second pass would give one URL two
  // table keys.
  for (const std::string& text : std::vector<std::string>{
           "x:/../A:80", "news:/../Group", "mailto:a/../b", "file:/../X", "http://h/../..//x",
           "HTTP://H:80", "ftp://h:80/a/./b", "file:x.htm", "http://h/a?b=/../c"}) {
    const std::string once = qvURLCanonicaliser::canonicalURL(text);
    EXPECT_EQ(qvURLCanonicaliser::canonicalURL(once), once) << text;
  }
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("mailto:a/../b"), "mailto:a/../b");
}

TEST(qvCanonicalURL, BlanksThatWouldEndItDoNotChangeOnASecondPass) {
  // A parse trims the blanks that end a text. Blanks before a '#' end the
  // URL once the fragment is dropped; blanks before a "/segment/.." at the
  // end of the path end it once that is taken away.
  for (const std::string& text : std::vector<std::string>{
           "Hdxf:/\xCFWWW.\x86xample #com:40/a/./b/../c.html", "x: #f", "mailto:a@b  #x",
           "http://h/a/.. #top", "file://h #x", "file:/a/..  \r\n#x", "http://h/a \r\n#f",
           "file: 8 //..", "http://h/a /b/..", "http://h/x/.. /y/.. /z/..", "x://h/a  /b/.. #f"}) {
    const std::string once = qvURLCanonicaliser::canonicalURL(text);
    EXPECT_EQ(qvURLCanonicaliser::canonicalURL(once), once) << text;
    EXPECT_FALSE(once.ends_with(" ")) << text;
  }
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/a/.. #top"), "http://h/");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("mailto:a@b  #x"), "mailto:a@b");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/a b #c"), "http://h/a b");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/a /b/.."), "http://h/a%20");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/x/.. /y/.. /z/.."), "http://h/x/.. /y/..%20");
}

TEST(qvCanonicalURL, QuotesAreEscapedAndLineBreaksDropped) {
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/it's.html"), "http://h/it%27s.html");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/a`b\"c"), "http://h/a%60b%22c");
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL("http://h/long\r\nname.html"), "http://h/longname.html");
}

TEST(qvCanonicalURL, TextThatIsNotAURLComesBackUnchanged) {
  for (const std::string& text : std::vector<std::string>{"", "%", "%zz", "http://", "just words", "http://h:99999999/"}) {
    EXPECT_EQ(qvURLCanonicaliser::canonicalURL(text), text);
  }
  const std::string huge = "http://h/" + std::string(100 * 1024, 'x');
  EXPECT_EQ(qvURLCanonicaliser::canonicalURL(huge), huge);
}

TEST(qvNormalisePath, DotSegments) {
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/b/../c"), "/a/c");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/./b/./c"), "/a/b/c");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/././b"), "/a/b");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/b/c/../../d"), "/a/d");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/../x"), "//x");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/../../x"), "/x");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/.."), "/");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/b/.."), "/a");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath(""), "");
}

TEST(qvNormalisePath, LeavesNamesWithDotsAndTheQueryAlone) {
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/..b/c"), "/a/..b/c");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/...html"), "/a/...html");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/b.html?p=/x/../y/./z"), "/a/b.html?p=/x/../y/./z");
  EXPECT_EQ(qvURLCanonicaliser::normalisePath("/a/b/../c?p=/../"), "/a/c?p=/../");
}

TEST(qvNormalisePath, LongHostilePathsStayLinear) {
  // Quadratic rewriting would take minutes on these.
  std::string dots;
  for (int i = 0; i < 100000; ++i) dots += "/.";
  dots += "/x";
  EXPECT_EQ(qvURLCanonicaliser::normalisePath(dots), "/x");
  std::string ups = "/a";
  for (int i = 0; i < 100000; ++i) ups += "/..";
  EXPECT_EQ(qvURLCanonicaliser::normalisePath(ups), "/");
}

}  // namespace
