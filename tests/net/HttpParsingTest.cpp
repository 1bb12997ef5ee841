// The client's pure pieces: header lines, the header phase, URL parts and
// the proxy exceptions.

#include <gtest/gtest.h>

#include <string>

#include "net/HeaderList.h"
#include "net/HttpCodes.h"
#include "net/HttpResponseHead.h"
#include "net/HttpUrl.h"
#include "net/ProxyExceptions.h"

namespace {

HttpResponseHead::State feedAll(HttpResponseHead& head, std::initializer_list<std::string> lines) {
  HttpResponseHead::State state = head.state();
  for (const std::string& line : lines) state = head.feed(line);
  return state;
}

}  // namespace

TEST(HeaderList, KeepsLinesCutAtLineEndsAndFindsThemIgnoringCase) {
  HeaderList list;
  EXPECT_TRUE(list.add("Content-Length:  \t 42\r\n"));
  EXPECT_TRUE(list.add("X-Cut: a\rb\nc"));
  EXPECT_FALSE(list.add("\r\nX: y"));
  EXPECT_FALSE(list.add("\nX: y"));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.line(1), "X-Cut: a");
  EXPECT_EQ(list.find("content-length:"), "42");
  EXPECT_EQ(list.find("CONTENT-LENGTH:"), "42");
  EXPECT_EQ(list.find("Content-Length"), ":  \t 42");  // a name without its colon matches as a prefix
  EXPECT_FALSE(list.find("Content-Type:"));
  // Only a to z fold: a byte above 127 must match itself only.
  list.add("\xC4X: 1");
  EXPECT_FALSE(list.find("\xE4x:"));
  EXPECT_EQ(list.find("\xC4x:"), "1");
}

TEST(HeaderList, DropsLinesPastTheSixtyFourthAndJoinsContinuations) {
  HeaderList list;
  EXPECT_FALSE(list.continueLast(" nothing to continue"));
  for (int i = 0; i < 65; ++i) list.add("H" + std::to_string(i) + ": v");
  EXPECT_EQ(list.size(), HeaderList::kMaxLines);
  EXPECT_FALSE(list.find("H64:"));
  EXPECT_EQ(list.find("H63:"), "v");
  EXPECT_TRUE(list.continueLast(" \t more \r\n"));
  EXPECT_EQ(list.find("H63:"), "v more ");
}

TEST(HttpResponseHead, ReadsStatusTextAndHeadersUntilTheEmptyLine) {
  HttpResponseHead head;
  EXPECT_EQ(head.status(), -1);
  EXPECT_EQ(feedAll(head, {"\r\n", "\n", "HTTP/1.0 301   Gone Elsewhere\r\n", "Location: /a\n", "X: 1\r\n"}),
            HttpResponseHead::State::kNeedMore);
  EXPECT_EQ(head.feed("\n"), HttpResponseHead::State::kComplete);
  EXPECT_EQ(head.status(), 301);
  EXPECT_EQ(head.statusText(), "Gone Elsewhere");
  EXPECT_EQ(head.headers().find("location:"), "/a");
  EXPECT_EQ(head.headers().size(), 2u);
  head.reset();
  EXPECT_EQ(head.status(), -1);
  EXPECT_EQ(head.headers().size(), 0u);
}

TEST(HttpResponseHead, RefusesStatusLinesWithoutThreeDigits) {
  for (const std::string line : {"HTTP/1.0\r\n", "HTTP/1.0 OK\r\n", "HTTP/1.0 20 OK\r\n", "HTTP/1.0 2000 OK\r\n",
                                 "HTTP/1.0 99999999999999999999 OK\r\n", "HTTP/1.0  200 OK\r\n"}) {
    HttpResponseHead head;
    EXPECT_EQ(head.feed(line), HttpResponseHead::State::kFailed) << line;
    EXPECT_EQ(head.errorCode(), HttpCode::kInvalidResponse) << line;
    EXPECT_EQ(head.message(), "Host returned invalid HTTP response");
  }
  HttpResponseHead head;
  EXPECT_EQ(head.feed("<html>\r\n"), HttpResponseHead::State::kFailed);
  EXPECT_EQ(head.errorCode(), HttpCode::kInvalidResponse);
  HttpResponseHead bare;
  EXPECT_EQ(bare.feed("HTTP/1.0 204"), HttpResponseHead::State::kNeedMore);
  EXPECT_EQ(bare.status(), 204);
  EXPECT_EQ(bare.statusText(), "");
}

TEST(HttpResponseHead, CutsTheStatusTextAndRefusesZeroBytes) {
  HttpResponseHead head;
  head.feed("HTTP/1.0 200 " + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(head.statusText(), std::string(HttpResponseHead::kStatusTextLimit, 'x'));
  EXPECT_EQ(head.feed(std::string("X: a\0b\r\n", 8)), HttpResponseHead::State::kFailed);
  EXPECT_EQ(head.errorCode(), HttpCode::kInvalidHeader);
  EXPECT_EQ(head.message(), "Host returned invalid HTTP header");
}

TEST(HttpResponseHead, JoinsFoldedLinesButNotOntoADroppedOne) {
  HttpResponseHead head;
  feedAll(head, {"HTTP/1.0 302 Found\r\n", "Location:\r\n", "  http://h/x\r\n", "\t/y\r\n"});
  EXPECT_EQ(head.headers().find("Location:"), "http://h/x /y");
  HttpResponseHead full;
  full.feed("HTTP/1.0 200 OK\r\n");
  for (int i = 0; i < 64; ++i) full.feed("H" + std::to_string(i) + ": v\r\n");
  full.feed("Extra: e\r\n");
  full.feed(" folded onto the dropped line\r\n");
  EXPECT_EQ(full.headers().find("H63:"), "v");
  EXPECT_FALSE(full.headers().find("Extra:"));
}

TEST(HttpResponseHead, DropsTheRestOfAnOverLongLineAndLimitsTheWholeHead) {
  HttpResponseHead head;
  head.feed("HTTP/1.0 200 OK\r\n");
  // A line as readln gives it from a 4096-byte buffer: pieces of 4095.
  head.feed("Long: " + std::string(4089, 'a'));
  head.feed("X-Not-A-Header: " + std::string(4079, 'b'));
  head.feed("tail\r\n");
  head.feed("Next: n\r\n");
  EXPECT_EQ(head.headers().size(), 2u);
  EXPECT_EQ(head.headers().find("Long:")->size(), 4089u);
  EXPECT_FALSE(head.headers().find("X-Not-A-Header:"));
  EXPECT_EQ(head.headers().find("Next:"), "n");

  HttpResponseHead endless;
  endless.feed("HTTP/1.0 200 OK\r\n");
  HttpResponseHead::State state = HttpResponseHead::State::kNeedMore;
  int lines = 0;
  while (state == HttpResponseHead::State::kNeedMore && lines < 100000) {
    state = endless.feed(std::string(100, 'h') + "\r\n");
    ++lines;
  }
  EXPECT_EQ(state, HttpResponseHead::State::kFailed);
  EXPECT_EQ(endless.errorCode(), HttpCode::kInvalidHeader);
  EXPECT_LE(endless.bytesTaken(), HttpResponseHead::kTotalLimit + 102);
}

TEST(HttpUrl, SplitsHostPortAndPath) {
  HttpUrlParse parsed = parseHttpUrl("HTTP://WWW.Example.COM:8080/Dir/Page?Q=A");
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.url.host, "www.example.com");
  EXPECT_EQ(parsed.url.port, 8080);
  EXPECT_EQ(parsed.url.path, "/Dir/Page?Q=A");
  EXPECT_EQ(parsed.url.authority(), "www.example.com:8080");
  parsed = parseHttpUrl("http://h");
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.url.path, "/");
  EXPECT_EQ(parsed.url.authority(), "h");
  parsed = parseHttpUrl("http://h:80");
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.url.authority(), "h");
}

TEST(HttpUrl, NamesWhatIsWrong) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "Bad URL"},
      {"http://h/" + std::string(1015, 'p'), "URL too long"},
      {"ftp://h/", "URL does not begin with http://"},
      {"https://h/", "URL does not begin with http://"},
      {"http:/", "URL does not begin with http://"},
      {"http://", "No hostname found in URL"},
      {"http:///x", "No hostname found in URL"},
      {"http://:80/", "No hostname found in URL"},
      {"http://h:/x", "Bad port in URL"},
      {"http://h:", "Bad port in URL"},
      {"http://h:0/", "Bad port in URL"},
      {"http://h:65536/", "Bad port in URL"},
      {"http://h:99999999999999999999/", "Bad port in URL"},
      {"http://h:80x/", "Bad path in URL"},
      {"http://h:8?x", "Bad path in URL"},
  };
  for (const auto& [url, message] : cases) {
    const HttpUrlParse parsed = parseHttpUrl(url);
    EXPECT_FALSE(parsed.ok) << url;
    EXPECT_EQ(parsed.error, message) << url;
  }
  EXPECT_TRUE(parseHttpUrl("http://h/" + std::string(1014, 'p')).ok);
  EXPECT_TRUE(parseHttpUrl("http://h:65535").ok);
}

TEST(ProxyExceptions, MatchWholeNamesAndDomainTails) {
  const ProxyExceptions exceptions("Example.com, .intra  ,,localhost");
  ASSERT_EQ(exceptions.entries().size(), 3u);
  EXPECT_EQ(exceptions.entries()[0], "example.com");
  EXPECT_TRUE(exceptions.matches("example.com"));
  EXPECT_TRUE(exceptions.matches("www.example.com"));
  EXPECT_FALSE(exceptions.matches("badexample.com"));
  EXPECT_FALSE(exceptions.matches("example.com.evil"));
  EXPECT_TRUE(exceptions.matches("a.b.intra"));
  EXPECT_TRUE(exceptions.matches(".intra"));
  EXPECT_FALSE(exceptions.matches("intra"));
  EXPECT_FALSE(exceptions.matches("xintra"));
  EXPECT_TRUE(exceptions.matches("localhost"));
  EXPECT_FALSE(exceptions.matches("host"));
}

TEST(ProxyExceptions, KeepAtMostThirtyThreeEntriesOfAtMost127Characters) {
  std::string list;
  for (int i = 0; i < 40; ++i) list += "h" + std::to_string(i) + " ";
  const ProxyExceptions many(list);
  EXPECT_EQ(many.entries().size(), ProxyExceptions::kMaxEntries);
  EXPECT_TRUE(many.matches("h32"));
  EXPECT_FALSE(many.matches("h33"));
  const std::string longName(200, 'a');
  const ProxyExceptions cut(longName);
  EXPECT_EQ(cut.entries()[0].size(), ProxyExceptions::kEntryLimit);
  EXPECT_FALSE(cut.matches(longName.substr(0, 150)));
  EXPECT_TRUE(cut.matches("x." + longName.substr(0, 127)));
}
