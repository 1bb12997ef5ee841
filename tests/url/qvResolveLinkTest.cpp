#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"
#include "url/qvLinkResolver.h"
#include "url/qvURLTable.h"

namespace {

class qvResolveLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    page = table.addURL("http://Host.Example:8080/dir/page.html", 0, 2);
    ASSERT_TRUE(table.makeURL(*page));
  }

  qvLinkResolution resolve(const std::string& value) { return qvLinkResolver(table).resolveLink(*page, value); }
  // The URL a followed link leads to.
  std::string targetOf(const std::string& value) {
    const qvLinkResolution link = resolve(value);
    EXPECT_EQ(link.classification, qvLinkClass::Followed) << value;
    return link.target == nullptr ? std::string("(none)") : link.target->url;
  }

  qvDriverSettings settings;
  qvURLTable table{settings};
  qvURLStatus* page = nullptr;
};

TEST_F(qvResolveLinkTest, RelativeAndHostAbsoluteLinks) {
  EXPECT_EQ(targetOf("other.html"), "http://host.example:8080/dir/other.html");
  EXPECT_EQ(targetOf("../up.html"), "http://host.example:8080/up.html");
  EXPECT_EQ(targetOf("./sub/./x.html"), "http://host.example:8080/dir/sub/x.html");
  EXPECT_EQ(targetOf("/root.html"), "http://host.example:8080/root.html");
  EXPECT_EQ(targetOf("//Other.Example/x.html"), "http://other.example/x.html");
  EXPECT_EQ(targetOf("///other.example/abs.html"), "http://other.example/abs.html");
  EXPECT_EQ(targetOf("http:rel.html"), "http://host.example:8080/dir/rel.html");
  EXPECT_EQ(targetOf("HTTP://Else.Example/A.html"), "http://else.example/A.html");
  EXPECT_EQ(targetOf("  spaced.html\n"), "http://host.example:8080/dir/spaced.html");
}

TEST_F(qvResolveLinkTest, FollowedTargetsGetDepthSeedAndReferrer) {
  const qvLinkResolution link = resolve("other.html#part");
  ASSERT_EQ(link.classification, qvLinkClass::Followed);
  ASSERT_NE(link.target, nullptr);
  EXPECT_EQ(link.fragment, "part");
  EXPECT_EQ(link.value, "other.html#part");
  EXPECT_EQ(link.absolute, "http://host.example:8080/dir/other.html");
  EXPECT_EQ(link.target->depth, 3);
  EXPECT_EQ(link.target->seedNumber, qvURLStatus::kLinkSeed);
  EXPECT_EQ(link.target->referrer, page->url);
  EXPECT_EQ(link.target->documentName, "documentID1");
  EXPECT_EQ(resolve("other.html").target, link.target);
  EXPECT_EQ(table.size(), 2U);
}

TEST_F(qvResolveLinkTest, TrailingSlashOfADirectoryLinkIsDropped) {
  EXPECT_EQ(targetOf("sub/"), "http://host.example:8080/dir/sub");
  EXPECT_EQ(targetOf("/"), "http://host.example:8080/");
  EXPECT_EQ(targetOf("http://h.example/d/"), "http://h.example/d/");
}

TEST_F(qvResolveLinkTest, FragmentsOfThisPage) {
  const qvLinkResolution same = resolve("#Section");
  EXPECT_EQ(same.classification, qvLinkClass::SamePage);
  EXPECT_EQ(same.target, page);
  EXPECT_EQ(same.fragment, "Section");
  for (const std::string& value : std::vector<std::string>{"#", "other.html#"}) {
    const qvLinkResolution empty = resolve(value);
    EXPECT_EQ(empty.classification, qvLinkClass::EmptyFragment) << value;
    EXPECT_EQ(empty.target, nullptr);
    EXPECT_FALSE(empty.followed());
  }
  const qvLinkResolution blank = resolve("");
  EXPECT_EQ(blank.classification, qvLinkClass::SamePage);
  EXPECT_EQ(blank.target, page);
  EXPECT_EQ(table.size(), 1U);
}

TEST_F(qvResolveLinkTest, CgiLinksAreNotFetchedUnlessAllowed) {
  for (const std::string& value : std::vector<std::string>{"search?q=1", "/cgi-bin/run", "x.html?", "http://a.example/?x"}) {
    const qvLinkResolution link = resolve(value);
    EXPECT_EQ(link.classification, qvLinkClass::Cgi) << value;
    EXPECT_EQ(link.target, nullptr);
  }
  EXPECT_EQ(resolve("search?q=1").absolute, "http://host.example:8080/dir/search?q=1");
  EXPECT_EQ(table.size(), 1U);

  settings.dontSkipCGI = true;
  EXPECT_EQ(targetOf("search?q=a/b"), "http://host.example:8080/dir/search?q=a/b");
  EXPECT_EQ(targetOf("/cgi-bin/run"), "http://host.example:8080/cgi-bin/run");
}

TEST_F(qvResolveLinkTest, OtherProtocolsAreNotFollowed) {
  for (const std::string& value : std::vector<std::string>{"mailto:someone@example.com", "HTTPS://secure.example/",
                                  "news:comp.lang", "nntp://n/x", "telnet://t", "gopher://g/",
                                  "ftp:x"}) {
    const qvLinkResolution link = resolve(value);
    EXPECT_EQ(link.classification, qvLinkClass::UnsupportedProtocol) << value;
    EXPECT_EQ(link.target, nullptr);
  }
  EXPECT_EQ(resolve("mailto:someone@example.com").absolute, "mailto:someone@example.com");
  EXPECT_EQ(resolve("https://Secure.Example/x").absolute, "https://secure.example/x");
  for (const std::string& value : std::vector<std::string>{"javascript:void(0)", "irc:chan", "about:blank", "x:y/z"}) {
    EXPECT_EQ(resolve(value).classification, qvLinkClass::UnknownProtocol) << value;
  }
  EXPECT_EQ(targetOf("ftp://files.example/a"), "ftp://files.example/a");
  EXPECT_EQ(targetOf("dir/a:b"), "http://host.example:8080/dir/dir/a:b");
  EXPECT_EQ(table.size(), 3U);
}

// With https fetched, its links are pages of the run: one canonical form
// (no port 443, a path of at least "/"), relative "https:" links resolved
// against this page, and an https page's own links staying https.
TEST_F(qvResolveLinkTest, HttpsLinksAreFollowedOnlyWhenFetched) {
  settings.fetchHttps = true;
  EXPECT_EQ(targetOf("HTTPS://Secure.Example:443/a/../b.html"), "https://secure.example/b.html");
  EXPECT_EQ(targetOf("https://secure.example"), "https://secure.example/");
  EXPECT_EQ(targetOf("https://secure.example:8443/x"), "https://secure.example:8443/x");
  EXPECT_EQ(targetOf("https:rel.html"), "https://host.example:8080/dir/rel.html");
  EXPECT_EQ(table.find("https://SECURE.example:443/b.html"), table.find("https://secure.example/b.html"));

  qvURLStatus* secure = table.addURL("https://secure.example/docs/index.html", 0, 1);
  ASSERT_TRUE(table.makeURL(*secure));
  EXPECT_EQ(secure->baseURL, "https://secure.example/docs/");
  const qvLinkResolution link = qvLinkResolver(table).resolveLink(*secure, "/top.html");
  ASSERT_NE(link.target, nullptr);
  EXPECT_EQ(link.target->url, "https://secure.example/top.html");

  // An https URL without a host is no page.
  qvURLStatus* hostless = table.addURL("https:///x", 0, 1);
  ASSERT_NE(hostless, nullptr);
  EXPECT_FALSE(table.makeURL(*hostless));

  settings.fetchHttps = false;
  EXPECT_EQ(resolve("https://secure.example/c.html").classification, qvLinkClass::UnsupportedProtocol);
  qvURLStatus* off = table.addURL("https://secure.example/d.html", 0, 1);
  EXPECT_FALSE(table.makeURL(*off));
}

TEST_F(qvResolveLinkTest, FileLinksAreFollowedOnlyFromLocalPages) {
  for (const std::string& value : std::vector<std::string>{"file:///etc/passwd", "FILE://etc/passwd", "file:/etc/passwd",
                                  "file:passwd"}) {
    const qvLinkResolution link = resolve(value);
    EXPECT_EQ(link.classification, qvLinkClass::FileFromRemote) << value;
    EXPECT_EQ(link.target, nullptr);
  }
  EXPECT_EQ(table.size(), 1U);

  qvURLStatus* local = table.addFile("/web/site/page.htm", 0, 0);
  ASSERT_TRUE(table.makeURL(*local));
  const auto fromLocal = [&](const std::string& value) {
    const qvLinkResolution link = qvLinkResolver(table).resolveLink(*local, value);
    EXPECT_EQ(link.classification, qvLinkClass::Followed) << value;
    return link.target == nullptr ? std::string("(none)") : link.target->url;
  };
  EXPECT_EQ(fromLocal("other.htm"), "file:///web/site/other.htm");
  EXPECT_EQ(fromLocal("../up.htm"), "file:///web/up.htm");
  EXPECT_EQ(fromLocal("/abs/x.htm"), "file:///abs/x.htm");
  EXPECT_EQ(fromLocal("file:///c|/web/b.htm"), "file:///web/b.htm");
  EXPECT_EQ(fromLocal("file:///web/c.htm"), "file:///web/c.htm");
  EXPECT_EQ(fromLocal("file:rel.htm"), "file:///web/site/rel.htm");
  EXPECT_EQ(fromLocal("http://web.example/"), "http://web.example/");
  EXPECT_EQ(qvLinkResolver(table).resolveLink(*local, "other.htm").target->localFile, "/web/site/other.htm");
}

TEST_F(qvResolveLinkTest, BaseTagChangesWhereRelativeLinksPoint) {
  ASSERT_TRUE(table.setBase(*page, "http://Mirror.Example/docs/"));
  EXPECT_EQ(targetOf("a.html"), "http://mirror.example/docs/a.html");
  ASSERT_TRUE(table.setBase(*page, "/other/index.html"));
  EXPECT_EQ(page->baseURL, "http://host.example:8080/other/index.html");
  EXPECT_EQ(targetOf("b.html"), "http://host.example:8080/other/b.html");
  EXPECT_EQ(targetOf("/c.html"), "http://host.example:8080/c.html");
}

TEST_F(qvResolveLinkTest, HostileValuesGiveADefinedResult) {
  const std::string huge(100 * 1024, 'a');
  const qvLinkResolution big = resolve(huge + ".html");
  EXPECT_EQ(big.classification, qvLinkClass::Followed);
  ASSERT_NE(big.target, nullptr);
  EXPECT_FALSE(big.absolute);
  EXPECT_FALSE(table.makeURL(*big.target));
  EXPECT_TRUE(big.target->badURL);

  const qvLinkResolution bare = resolve("http://");
  ASSERT_NE(bare.target, nullptr);
  EXPECT_FALSE(table.makeURL(*bare.target));
  EXPECT_TRUE(bare.target->badURL);

  for (const std::string& value :
       std::vector<std::string>{"%", "%zz", "a\x01" "b.html", "http://h:99999999/", "http://" + std::string(10000, 'h'),
        std::string("\0\0", 2), ":", "//", "///", "#x#y", "http:"}) {
    qvLinkResolution link;
    EXPECT_NO_THROW(link = resolve(value)) << value;
    if (link.target != nullptr) {
      EXPECT_NO_THROW(table.makeURL(*link.target));
    }
  }
}

}  // namespace
