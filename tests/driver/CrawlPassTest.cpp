// Crawls of small local trees: every URL must end with the right outcome,
// every converted page with its intermediate file.
#include <gtest/gtest.h>

#include <filesystem>

#include "CrawlRig.h"

using crawltest::slurp;
namespace fs = std::filesystem;

namespace {

struct CrawlFixture : crawltest::CrawlRig {
  bool hasTmp(const qvURLStatus* s) { return s != nullptr && fs::exists(crawler.intermediateFile(*s)); }
};

const char* kIndex =
    "<html><head><title>Index</title></head><body>\n"
    "<a href=\"a.html\">a</a> <a href=\"missing.html\">gone</a> <a href=\"empty.html\">empty</a>\n"
    "<a href=\"notes.txt\">notes</a> <a href=\"blob.txt\">blob</a> <a href=\"a.html#part\">part</a>\n"
    "<a href=\"mailto:someone@example.com\">mail</a> <a href=\"https://example.com/\">secure</a>\n"
    "<a href=\"ftp://ftp.example.com/f.zip\">file</a> <a href=\"/cgi-bin/x.cgi\">cgi</a>\n"
    "<a href=\"search.html?q=1\">query</a> <a href=\"#top\">top</a> <a href=\"pic.gif\">pic</a>\n"
    "</body></html>\n";

}  // namespace

TEST_F(CrawlFixture, EveryLinkEndsWithItsOutcome) {
  site.write("index.html", kIndex);
  site.write("a.html", "<p>A page <a name=part>here</a> <a href=\"index.html\">back</a>");
  site.write("empty.html", "");
  site.write("notes.txt", "Plain notes.\nSecond line.\n");
  site.write("blob.txt", std::string("\x89PNG\r\n\x1a\n\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8", 16));
  site.write("pic.gif", "GIF89a");
  crawlFrom("index.html");

  const qvURLStatus* index = status("index.html");
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(context.urlTable().startURL(), index);
  EXPECT_TRUE(index->converted && index->isHTML);
  EXPECT_TRUE(status("a.html")->converted);
  EXPECT_TRUE(status("missing.html")->brokenLink);
  EXPECT_TRUE(status("empty.html")->brokenLink);
  EXPECT_TRUE(status("notes.txt")->converted && status("notes.txt")->isPlainText);
  EXPECT_TRUE(status("blob.txt")->unknownType);
  EXPECT_FALSE(status("blob.txt")->converted);
  // Pictures cannot be converted yet: the link is broken.
  EXPECT_TRUE(status("pic.gif")->isImage && status("pic.gif")->brokenLink);
  const qvURLStatus* ftp = context.urlTable().find("ftp://ftp.example.com/f.zip");
  ASSERT_NE(ftp, nullptr);
  EXPECT_TRUE(ftp->isFTP);
  // Outside protocols and CGI links are never added.
  EXPECT_EQ(context.urlTable().find("mailto:someone@example.com"), nullptr);
  EXPECT_EQ(context.urlTable().find("https://example.com/"), nullptr);
  EXPECT_EQ(status("search.html"), nullptr);
  EXPECT_EQ(context.urlTable().size(), 8u);
  for (const auto& s : context.urlTable().statuses()) {
    EXPECT_TRUE(s.isDone()) << s.url;
    EXPECT_EQ(hasTmp(&s), s.converted) << s.url;
  }
  EXPECT_EQ(counters.pagesConverted, 3);
  EXPECT_EQ(counters.urlsVisited, 8);
  EXPECT_EQ(counters.urlsSkipped, 5);
  EXPECT_TRUE(ui.logged("Reading local file ... File does not exist"));
  EXPECT_TRUE(ui.logged("Reading local file ... Zero-length file"));
  EXPECT_TRUE(ui.logged("Reading HTML ... (" + std::to_string(std::string(kIndex).size()) +
                        " bytes expected) ... Parsing ... writing ... done"));
  EXPECT_TRUE(ui.errored("Reported type of text/plain suspected to be wrong ; skipping URL"));
  EXPECT_TRUE(ui.errors.size() == 1) << ui.errors.back();
}

TEST_F(CrawlFixture, IntermediateFilesHoldTheTextAndItsItems) {
  site.write("index.html", "<a href=\"t.txt\">t</a>");
  site.write("t.txt", "hello");
  crawlFrom("index.html");
  const std::string text = slurp(crawler.intermediateFile(*status("t.txt")));
  EXPECT_EQ(text, std::string("\0\0\0\x05hello", 9));
  const std::string page = slurp(crawler.intermediateFile(*status("index.html")));
  ASSERT_GT(page.size(), 4u + 21u);
  EXPECT_EQ(page.substr(4, 21), "<a href=\"t.txt\">t</a>");
  EXPECT_EQ(page[25], '\x7f');
  EXPECT_EQ(page[26], '\x06');  // the anchor's record comes first
}

TEST_F(CrawlFixture, PlainTextKeptInMemoryWritesNoFile) {
  settings.plainTextInMemory = true;
  site.write("index.html", "<a href=\"t.txt\">t</a>");
  site.write("t.txt", "hello");
  crawlFrom("index.html");
  const qvURLStatus* t = status("t.txt");
  ASSERT_TRUE(t->converted);
  EXPECT_FALSE(hasTmp(t));
  EXPECT_EQ(std::any_cast<std::string>(t->pageText), "hello");
}

TEST_F(CrawlFixture, MissingStartFileIsShownToTheUser) {
  crawlFrom("nothing-here.html");
  EXPECT_TRUE(ui.errored("File '" + (site.path() / "nothing-here.html").string() + "' does not exist"));
  EXPECT_EQ(counters.pagesConverted, 0);
}

TEST_F(CrawlFixture, DepthLimitAndMaxUrls) {
  site.write("index.html", "<a href=\"a.html\">a</a><a href=\"b.html\">b</a><a href=\"c.html\">c</a>");
  site.write("a.html", "<a href=\"deep.html\">deeper</a>");
  site.write("b.html", "b");
  site.write("c.html", "c");
  site.write("deep.html", "d");
  settings.maxDepth = 2;
  settings.maxURLs = 5;
  crawlFrom("index.html");
  EXPECT_TRUE(status("deep.html")->tooDeep);
  EXPECT_FALSE(status("deep.html")->converted);
  EXPECT_EQ(counters.pagesConverted, 4);

  // A fresh run with a tighter limit stops after two pages; failures do not count.
  context.urlTable().resetRun();
  counters.reset();
  settings.maxDepth = 0;
  settings.maxURLs = 2;
  site.write("index.html", "<a href=\"gone.html\">x</a><a href=\"a.html\">a</a><a href=\"b.html\">b</a>");
  crawlFrom("index.html");
  EXPECT_TRUE(status("gone.html")->brokenLink);
  EXPECT_TRUE(status("a.html")->converted);
  EXPECT_FALSE(status("b.html")->isDone());
  EXPECT_EQ(counters.pagesConverted, 2);
}

TEST_F(CrawlFixture, EnoughStopsTakingUrls) {
  site.write("index.html", "<a href=\"a.html\">a</a><a href=\"b.html\">b</a>");
  site.write("a.html", "a");
  site.write("b.html", "b");
  ui.onMessage = [&](const std::string& text) {
    if (text.starts_with("URL ") && text.ends_with("a.html")) settings.enough = true;
  };
  crawlFrom("index.html");
  EXPECT_TRUE(status("a.html")->converted);
  EXPECT_TRUE(status("a.html")->stoppedByEnough);
  EXPECT_FALSE(status("b.html")->isDone());
}

TEST_F(CrawlFixture, CancelEndsTheCrawl) {
  site.write("index.html", "<a href=\"a.html\">a</a>");
  site.write("a.html", "a");
  ui.onMessage = [&](const std::string& text) {
    if (text.ends_with("a.html")) ui.cancelAfter = 0;
  };
  EXPECT_THROW(crawlFrom("index.html"), qvCancelException);
  EXPECT_TRUE(status("a.html")->isDone());
  EXPECT_FALSE(status("a.html")->converted);
}

TEST_F(CrawlFixture, Utf8PagesBecomeWindows1252) {
  site.write("index.html",
             "<meta charset=\"utf-8\"><p>Caf\xC3\xA9 \xE2\x80\x93 \xCE\xB1<a href=\"latin.html\">l</a>"
             "<a href=\"sniffed.html\">s</a>");
  site.write("latin.html", "<meta charset=windows-1252><p>Caf\xE9 \x96");
  site.write("sniffed.html", "<p>na\xC3\xAFve");
  crawlFrom("index.html");
  const auto textOf = [&](const char* name) {
    const std::string file = slurp(crawler.intermediateFile(*status(name)));
    const auto n = static_cast<std::size_t>(static_cast<unsigned char>(file[3]));
    return file.substr(4, n);
  };
  EXPECT_NE(textOf("index.html").find("Caf\xE9 \x96 ?<a"), std::string::npos);
  EXPECT_NE(textOf("latin.html").find("Caf\xE9 \x96"), std::string::npos);
  EXPECT_NE(textOf("sniffed.html").find("na\xEFve"), std::string::npos);
}

TEST(CrawlRulesTest, ContentTypeDecisionsAndBinaryText) {
  using T = std::optional<std::string>;
  EXPECT_EQ(qvCrawler::decideType(T(), T("text/html")).type, "text/html");
  EXPECT_EQ(qvCrawler::decideType(T("text/plain; charset=UTF-8"), T("text/html")).type, "text/plain");
  const auto unknown = qvCrawler::decideType(T("content/unknown"), T("text/html"));
  EXPECT_EQ(unknown.type, "text/html");
  EXPECT_TRUE(unknown.suspectedHtml);
  EXPECT_FALSE(qvCrawler::decideType(T("content/unknown"), T()).type);
  EXPECT_EQ(qvCrawler::decideType(T("application/octet-stream"), T("image/gif")).type, "image/gif");
  EXPECT_FALSE(qvCrawler::decideType(T("application/octet-stream"), T()).type);
  // 40 characters allow 40 / 20 + 1 = 3 bytes above 127.
  std::string text(37, 'a');
  text += "\xe9\xe9\xe9";
  EXPECT_FALSE(qvCrawler::looksBinary(text));
  text[0] = '\xe9';
  EXPECT_TRUE(qvCrawler::looksBinary(text));
}
