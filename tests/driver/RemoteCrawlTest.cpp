// The crawl's HTTP branch against a scripted server: redirects followed up to
// the limit and moved onto the status, failures recorded with the client's
// reason, bodies read only for pages that are parsed.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../support/ScriptedServer.h"
#include "CrawlRig.h"
#include "driver/qvRemoteFetcher.h"
#include "driver/qvTCPRobotsFetcher.h"
#include "net/qvTCP.h"
#include "url/NoRobots.h"

namespace {

using crawltest::CrawlRig;

const std::string kPage = "<html><head><title>Landed</title></head><body><p>Arrived safely.</p></body></html>";

ServerScript html(const std::string& body, const std::string& extraHeaders = "") {
  return ServerScript()
      .await("\r\n\r\n", 3000)
      .send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n" + extraHeaders + "\r\n" + body)
      .close();
}

ServerScript redirectTo(const std::string& location) {
  return ServerScript()
      .await("\r\n\r\n", 3000)
      .send("HTTP/1.0 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n")
      .close();
}

ServerScript reply(const std::string& head, const std::string& body = "") {
  return ServerScript().await("\r\n\r\n", 3000).send(head + "\r\n" + body).close();
}

struct RemoteCrawlTest : CrawlRig {
  qvTCP tcp{ui, work.path().string()};
  qvRemoteFetcher fetcher{tcp, context.urlTable(), ui, settings};
  qvURLStatus* start = nullptr;

  void SetUp() override {
    ASSERT_TRUE(tcp.init("272"));
    crawler.setRemoteFetcher(&fetcher);
  }
  // Starts the run at `path` on `server` and crawls.
  void crawlFrom(const ScriptedServer& server, const std::string& path) {
    start = context.urlTable().addURL("http://" + server.address() + path, 0, 0);
    ASSERT_TRUE(context.urlTable().makeURL(*start));
    context.urlTable().setStartURL(start);
    crawler.crawl();
  }
  static std::string requestLine(const ScriptedServer& server, std::size_t connection) {
    const std::string request = server.received(connection);
    return request.substr(0, request.find("\r\n"));
  }
};

TEST_F(RemoteCrawlTest, FourRedirectsAreFollowedAndTheStatusMovesToTheLastPlace) {
  ScriptedServer server({redirectTo("/b.html"), redirectTo("sub\\c.html"), redirectTo("../d.html"),
                         redirectTo("/e.html"), html(kPage)});
  crawlFrom(server, "/dir/a.html");
  ASSERT_TRUE(start->converted) << start->failureText.value_or("");
  EXPECT_EQ(start->url, "http://" + server.address() + "/e.html");
  EXPECT_NE(crawltest::slurp(crawler.intermediateFile(*start)).find("Arrived safely."), std::string::npos);
  // A relative Location is asked for as the URL it names, backslashes and all.
  EXPECT_EQ(requestLine(server, 1), "GET /b.html HTTP/1.0");
  EXPECT_EQ(requestLine(server, 2), "GET /sub/c.html HTTP/1.0");
  EXPECT_EQ(requestLine(server, 3), "GET /d.html HTTP/1.0");
  EXPECT_TRUE(ui.logged("Redirecting to sub\\c.html"));
  EXPECT_FALSE(start->notFullyRetrieved);
}

TEST_F(RemoteCrawlTest, AFifthRedirectIsTooMany) {
  ScriptedServer server({redirectTo("/1"), redirectTo("/2"), redirectTo("/3"), redirectTo("/4"), redirectTo("/5"),
                         html(kPage)});
  crawlFrom(server, "/0");
  EXPECT_FALSE(start->converted);
  EXPECT_TRUE(start->brokenLink);
  EXPECT_EQ(start->failureText, "Too many redirects");
  EXPECT_TRUE(ui.errored("Error during GET of http://" + server.address() + "/4: Too many redirects"));
  EXPECT_EQ(server.connections(), 5u);
}

TEST_F(RemoteCrawlTest, FailuresCarryTheClientsReason) {
  struct Case {
    ServerScript script;
    std::string failure;
    bool badURL;
  };
  const std::vector<Case> cases = {
      {reply("HTTP/1.0 404 Whatever\r\nContent-Type: text/html\r\n", "<p>gone</p>"), "Not Found", false},
      {reply("HTTP/1.0 301 Moved\r\n"), "Location header not found for redirect", false},
      {redirectTo("file:///etc/passwd"), "", true},
      {redirectTo("ftp://example.com/x"), "", true},
  };
  for (const Case& c : cases) {
    context.urlTable().resetRun();
    ui.errors.clear();
    ScriptedServer server(c.script);
    crawlFrom(server, "/page.html");
    EXPECT_FALSE(start->converted) << c.failure;
    EXPECT_EQ(start->badURL, c.badURL) << c.failure;
    if (!c.badURL) {
      EXPECT_TRUE(start->brokenLink);
      EXPECT_EQ(start->failureText, c.failure);
    } else {
      ASSERT_FALSE(ui.errors.empty());
      EXPECT_TRUE(ui.errors.back().starts_with("Don't understand redirected URL '")) << ui.errors.back();
    }
  }
}

TEST_F(RemoteCrawlTest, ABodyShortOfItsLengthIsConvertedAndNoted) {
  // The announced length is far beyond what the server sends: the page is
  // kept, marked as not fully retrieved, and its buffer is not made at the
  // announced size.
  ScriptedServer server(html(kPage, "Content-Length: 2000000000\r\n"));
  crawlFrom(server, "/short.html");
  ASSERT_TRUE(start->converted) << start->failureText.value_or("");
  EXPECT_TRUE(start->notFullyRetrieved);
  EXPECT_TRUE(ui.logged("Reading HTML ... (2000000000 bytes expected) ... Parsing ... writing ... done"));
}

TEST_F(RemoteCrawlTest, APictureIsNotDownloadedAndTheNextPageStillArrives) {
  std::string pictureReply = "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\nContent-Length: 100000\r\n\r\n";
  pictureReply += std::string(100000, 'x');
  const std::string page = "<html><body><a href=\"/p.png\">picture</a> <a href=\"/next.html\">next</a></body></html>";
  ScriptedServer server({html(page), ServerScript().await("\r\n\r\n", 3000).send(pictureReply).close(), html(kPage)});
  crawlFrom(server, "/index.html");
  ASSERT_TRUE(start->converted);
  const qvURLStatus* picture = context.urlTable().find("http://" + server.address() + "/p.png");
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->isImage);
  const qvURLStatus* next = context.urlTable().find("http://" + server.address() + "/next.html");
  ASSERT_NE(next, nullptr);
  EXPECT_TRUE(next->converted) << next->failureText.value_or("");
  EXPECT_LT(tcp.bytesReceived(), 50000);
}

TEST_F(RemoteCrawlTest, SkipDuringTheTransferIsRecordedAsTheUsersChoice) {
  ScriptedServer server(ServerScript()
                            .await("\r\n\r\n", 3000)
                            .send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>")
                            .drip(std::string(200, 'x'), 20)
                            .close());
  int polls = 0;
  ui.onTcpStatus = [&] { return ++polls == 20 ? 0x1 : 0; };
  crawlFrom(server, "/slow.html");
  EXPECT_FALSE(start->converted);
  EXPECT_TRUE(start->cancelledBySkip);
  EXPECT_TRUE(start->brokenLink);
  EXPECT_FALSE(std::ifstream(work.path() / "url.dat").good());
}

TEST_F(RemoteCrawlTest, RobotsFileIsReadOnceAndItsPathsAreNeverAskedFor) {
  qvTCPRobotsFetcher robotsFetcher(tcp);
  NoRobots robots("Corvane v1.1", robotsFetcher);
  crawler.setRobotsCheck([&](const qvURL& url) { return robots.ok(url); });
  const std::string page =
      "<html><body><a href=\"/private/x.html\">x</a> <a href=\"/public.html\">public</a></body></html>";
  ScriptedServer server({reply("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n",
                               "# test\r\nUser-agent: Other\r\nDisallow: /\r\n\r\n"
                               "User-agent: Corvane*\r\nDisallow: /private\r\n"),
                         html(page), html(kPage)});
  crawlFrom(server, "/index.html");
  ASSERT_TRUE(start->converted) << start->failureText.value_or("");
  const qvURLStatus* barred = context.urlTable().find("http://" + server.address() + "/private/x.html");
  const qvURLStatus* allowed = context.urlTable().find("http://" + server.address() + "/public.html");
  ASSERT_NE(barred, nullptr);
  ASSERT_NE(allowed, nullptr);
  EXPECT_TRUE(barred->noRobots);
  EXPECT_TRUE(ui.errored("Robots are barred from http://" + server.address() + "/private/x.html"));
  EXPECT_TRUE(allowed->converted);
  ASSERT_EQ(server.connections(), 3u);
  EXPECT_EQ(requestLine(server, 0), "GET /robots.txt HTTP/1.0");
  EXPECT_EQ(requestLine(server, 1), "GET /index.html HTTP/1.0");
  EXPECT_EQ(requestLine(server, 2), "GET /public.html HTTP/1.0");
}

}  // namespace
