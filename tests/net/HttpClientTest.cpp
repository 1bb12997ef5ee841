// The HTTP client through the engine's network object, against a scripted
// server on 127.0.0.1: the request bytes, the header phase, bodies, and
// every way a connection can fail or be skipped.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "net/HttpCodes.h"
#include "net/SocketCodes.h"
#include "net/qvTCP.h"
#include "tests/net/HttpTestInterface.h"
#include "tests/net/SocketTestHelpers.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDirectory.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string page(const std::string& head, const std::string& body) { return head + "\r\n\r\n" + body; }

// One client in a fresh work directory.
struct Rig {
  HttpTestInterface ui;
  TempDirectory dir;
  qvTCP tcp{ui, dir.path().string()};
  Rig() { EXPECT_TRUE(tcp.init("test")); }
  std::string dataFile() const { return dir / "url.dat"; }
  bool dataFileExists() const { return std::filesystem::exists(dataFile()); }
};

// A script that first takes the whole request, as a real server does: one
// that closes with the request unread resets the connection.
ServerScript afterRequest() { return ServerScript().await("\r\n\r\n", 2000); }

std::string urlOf(const ScriptedServer& server, const std::string& path) {
  return "http://" + server.address() + path;
}

}  // namespace

TEST(HttpClient, SendsTheDirectRequestAndWritesTheBody) {
  ScriptedServer server({afterRequest()
                             .send(page("HTTP/1.0 200 OK\r\nContent-Length: 5", "hello"))
                             .close(),
                         afterRequest().send(page("HTTP/1.0 200 OK", "again")).close()});
  Rig rig;
  const std::optional<std::string> file = rig.tcp.fetch(urlOf(server, "/dir/a.html?x=1"), "http://ref/erer.html");
  ASSERT_TRUE(file) << rig.tcp.errorText();
  EXPECT_EQ(*file, rig.dataFile());
  EXPECT_EQ(readFile(*file), "hello");
  EXPECT_TRUE(rig.tcp.lastBodyComplete());
  EXPECT_EQ(rig.tcp.statusCode(), 0);
  EXPECT_EQ(rig.tcp.errorText(), "");
  const std::string host = server.address();
  EXPECT_EQ(server.received(0),
            "GET /dir/a.html?x=1 HTTP/1.0\r\nReferer: http://ref/erer.html\r\nConnection: Close\r\n"
            "User-Agent: Corvane/1.1\r\nHost: " + host + "\r\nAccept: image/gif, image/jpeg, */*\r\n\r\n");
  // The whole response was counted once, though the headers' read also
  // received the body.
  const long responseSize = static_cast<long>(page("HTTP/1.0 200 OK\r\nContent-Length: 5", "hello").size());
  EXPECT_EQ(rig.tcp.bytesReceived(), responseSize);
  EXPECT_EQ(rig.ui.lastReportedBytes, responseSize);

  // Without a referrer there is no Referer line; a URL ending after the
  // host asks for "/"; a body without a length is read to the close.
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, ""), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(server.received(1), "GET / HTTP/1.0\r\nConnection: Close\r\nUser-Agent: Corvane/1.1\r\nHost: " + host +
                                    "\r\nAccept: image/gif, image/jpeg, */*\r\n\r\n");
  EXPECT_EQ(readFile(rig.dataFile()), "again");
  rig.tcp.reset();
  EXPECT_EQ(rig.tcp.bytesReceived(), 0);
}

TEST(HttpClient, FailsRedirectsAndErrorsWithTheirStatusAndKeepsTheirHeaders) {
  ScriptedServer server({
      afterRequest().send(page("HTTP/1.0 301 Whatever\r\nLocation: http://h/new.html", "moved")).close(),
      afterRequest().send(page("HTTP/1.0 302 Found\r\nServer: x", "")).close(),
      afterRequest().send(page("HTTP/1.0 302 Found\r\nLocation: ../b.html", "")).close(),
      afterRequest().send(page("HTTP/1.0 404 Nothing Here\r\nContent-Length: 9", "not found")).close(),
      afterRequest().send(page("HTTP/1.0 500 Oops", "<html>broken</html>")).close(),
      afterRequest().send(page("HTTP/1.0 304 Not Modified", "")).close(),
  });
  Rig rig;
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/old.html"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), 301);
  EXPECT_EQ(rig.tcp.errorText(), "Moved Permanently");
  EXPECT_EQ(rig.tcp.headerValue("LOCATION:"), "http://h/new.html");

  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), 302);
  EXPECT_FALSE(rig.tcp.headerValue("Location:"));
  EXPECT_EQ(rig.tcp.headerValue("Server:"), "x");

  EXPECT_FALSE(rig.tcp.get(urlOf(server, "/a/"), std::nullopt, "Location:"));
  EXPECT_EQ(rig.tcp.headerValue("Location:"), "../b.html");

  const std::pair<int, std::string> errors[] = {{404, "Not Found"}, {500, "Internal Server Error"},
                                                {304, "Not Modified"}};
  for (const auto& [status, phrase] : errors) {
    EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/e"), std::nullopt));
    EXPECT_EQ(rig.tcp.statusCode(), status);
    EXPECT_EQ(rig.tcp.errorText(), phrase);
    EXPECT_FALSE(rig.dataFileExists());
  }
}

TEST(HttpClient, RefusesResponsesWithoutAUsableStatusLine) {
  ScriptedServer server({
      afterRequest().send("<html>no head</html>\r\n").close(),
      afterRequest().send(page("HTTP/1.0 2000 OK", "x")).close(),
      afterRequest().send(page("HTTP/1.0 OK", "x")).close(),
      afterRequest().send(page("HTTP/1.0", "x")).close(),
      afterRequest().send(page("HTTP/1.0 200 " + std::string(5000, 'r'), "long")).close(),
      afterRequest().send(page("HTTP/1.0 200 OK", "fine")).close(),
      afterRequest().close(),
      afterRequest().send("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n").close(),
  });
  Rig rig;
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << i;
    EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kInvalidResponse) << i;
    EXPECT_EQ(rig.tcp.errorText(), "Host returned invalid HTTP response") << i;
  }
  EXPECT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "long");
  EXPECT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  // A connection closed before any status line, or before the empty line,
  // is a failure in either mode, never the last reply's success.
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kReadFailed);
  EXPECT_EQ(rig.tcp.errorText(), "Connection unexpectedly closed");
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kReadFailed);
  EXPECT_FALSE(rig.tcp.get(urlOf(server, "/"), std::nullopt, "Content-Length:"));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kReadFailed);
  EXPECT_EQ(rig.tcp.errorText(), "Connection unexpectedly closed");
}

TEST(HttpClient, ReadsFoldedLfOnlyAndOverLongHeaderLines) {
  ScriptedServer server({
      afterRequest().send("HTTP/1.0 301 Moved\nLocation:\n   http://h/x\n\t/y\n\nbody").close(),
      afterRequest()
          .send("HTTP/1.0 200 OK\r\nX-Huge: " + std::string(64 * 1024, 'h') +
                "\r\nContent-Length: 4\r\nContent-Type: text/plain\r\n\r\nbodyEXTRA")
          .close(),
  });
  Rig rig;
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), 301);
  EXPECT_EQ(rig.tcp.headerValue("Location:"), "http://h/x /y");
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "body");
  EXPECT_EQ(rig.tcp.headerValue("content-type:"), "text/plain");
  EXPECT_LT(rig.tcp.headerValue("X-Huge:")->size(), 4096u);
}

TEST(HttpClient, StopsEndlessHeadersBySizeAndByTime) {
  std::string flood = "HTTP/1.0 200 OK\r\n";
  while (flood.size() < 300 * 1024) flood += "X-Flood: " + std::string(90, 'f') + "\r\n";
  std::string blanks = "HTTP/1.0 200 OK\r\n";
  std::string slow;
  for (int i = 0; i < 40; ++i) slow += "X: " + std::to_string(i) + "\r\n";
  ScriptedServer server({
      afterRequest().send(flood).silent(),
      afterRequest().send("\r\n").send(std::string(300 * 1024, '\n')).silent(),
      afterRequest().send("HTTP/1.0 200 OK\r\n").drip(slow, 10).silent(),
  });
  Rig rig;
  rig.ui.readWriteTimeout = 1;
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kInvalidHeader);
  EXPECT_EQ(rig.tcp.errorText(), "Host returned invalid HTTP header");
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kInvalidHeader);
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kTimedOut);
  EXPECT_EQ(rig.tcp.errorText(), "Read timed out");
  EXPECT_LT(millisecondsSince(start), 2500);
}

TEST(HttpClient, ReadsBodiesShortOfLongerThanOrWithoutTheirLength) {
  ScriptedServer server({
      afterRequest().send(page("HTTP/1.0 200 OK\r\nContent-Length: 20", "only ten b")).close(),
      afterRequest().send(page("HTTP/1.0 200 OK\r\ncontent-length: 5", "five and more")).close(),
      afterRequest().send(page("HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999999", "huge")).close(),
      afterRequest().send(page("HTTP/1.0 200 OK\r\nContent-Length: 0", "ignored")).close(),
  });
  Rig rig;
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "only ten b");
  EXPECT_FALSE(rig.tcp.lastBodyComplete());
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "five ");
  EXPECT_TRUE(rig.tcp.lastBodyComplete());
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "huge");
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "");
  EXPECT_TRUE(rig.tcp.lastBodyComplete());
}

TEST(HttpClient, KeepsTheConnectionBetweenGetAndBodyFile) {
  std::string headers = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n";
  for (int i = 0; i < 70; ++i) headers += "H" + std::to_string(i) + ": v\r\n";
  ScriptedServer server(afterRequest().send(page(headers + "Content-Length: 3", "abc")).close());
  Rig rig;
  EXPECT_FALSE(rig.tcp.bodyFile());
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kNotConnected);
  EXPECT_EQ(rig.tcp.errorText(), "Internal error - not connected");
  EXPECT_EQ(rig.tcp.get(urlOf(server, "/"), std::nullopt, "content-type:"), "text/html");
  EXPECT_EQ(rig.tcp.headerValue("H62:"), "v");
  EXPECT_FALSE(rig.tcp.headerValue("H63:"));  // the 65th line
  const std::optional<std::string> file = rig.tcp.bodyFile();
  ASSERT_TRUE(file) << rig.tcp.errorText();
  // The 65th header was dropped, so the length is unknown: read to the close.
  EXPECT_EQ(readFile(*file), "abc");
  EXPECT_FALSE(rig.tcp.bodyFile());
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kNotConnected);
}

TEST(HttpClient, RefusesBadUrlsUnknownHostsAndOfflineMode) {
  Rig rig;
  EXPECT_FALSE(rig.tcp.fetch("ftp://h/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kBadUrl);
  EXPECT_EQ(rig.tcp.errorText(), "URL does not begin with http://");
  EXPECT_FALSE(rig.tcp.get("http://h:0/", std::nullopt, "X:"));
  EXPECT_EQ(rig.tcp.errorText(), "Bad port in URL");
  EXPECT_FALSE(rig.tcp.fetch("http://no-such-host.invalid/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kCannotResolveHost);
  EXPECT_EQ(rig.tcp.errorText(), "Cannot resolve hostname");
  rig.ui.offline = true;
  EXPECT_FALSE(rig.tcp.fetch("http://127.0.0.1:1/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kOfflineMiss);
  EXPECT_EQ(rig.tcp.errorText(), "URL not in cache and Offline Mode is selected");
}

TEST(HttpClient, FailsConnectsAndRetriesOnlyTimeOuts) {
  Rig rig;
  rig.ui.retries = 3;
  const UnlistenedPort refused;
  EXPECT_FALSE(rig.tcp.fetch("http://" + refused.address() + "/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kCannotConnect);
  EXPECT_EQ(rig.tcp.errorText(), "Cannot connect");
  EXPECT_TRUE(rig.ui.statusTexts.empty());

  rig.ui.retries = 1;
  rig.ui.connectTimeout = 1;
  const FullBacklogPort full;
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(rig.tcp.fetch("http://" + full.address() + "/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kCannotConnect);
  EXPECT_EQ(rig.tcp.errorText(), "Connect timed out");
  EXPECT_EQ(rig.ui.statusTexts, std::vector<std::string>{"Retrying ..."});
  EXPECT_GE(millisecondsSince(start), 1900);
}

TEST(HttpClient, TimesOutOnSilenceButNotOnASlowSteadyBody) {
  ScriptedServer server({
      afterRequest().silent(),
      afterRequest().send("HTTP/1.0 200 OK\r\n\r\n").drip("abc", 1000).close(),
      afterRequest().send("HTTP/1.0 200 OK\r\n\r\nab").pause(3000).send("c").close(),
      afterRequest().send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(50, 'x')).reset(),
  });
  Rig rig;
  rig.ui.readWriteTimeout = 1;
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kTimedOut);
  EXPECT_EQ(rig.tcp.errorText(), "Read timed out");

  rig.ui.readWriteTimeout = 2;
  ASSERT_TRUE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(readFile(rig.dataFile()), "abc");
  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kTimedOut);
  EXPECT_FALSE(rig.dataFileExists());

  EXPECT_FALSE(rig.tcp.fetch(urlOf(server, "/"), std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kReadFailed);
  EXPECT_FALSE(rig.dataFileExists());
}

TEST(HttpClient, EndsEveryWaitWhenTheUserSkips) {
  ScriptedServer server({
      afterRequest().silent(),
      afterRequest().send("HTTP/1.0 200 OK\r\n\r\npart").silent(),
  });
  const FullBacklogPort full;
  Rig rig;
  rig.ui.readWriteTimeout = 5;
  rig.ui.connectTimeout = 5;
  const struct {
    std::string url;
    std::string message;
  } cases[] = {
      {"http://" + full.address() + "/", "Connect cancelled by user"},
      {urlOf(server, "/"), "Read cancelled by user"},
      {urlOf(server, "/"), "User cancelled read"},
  };
  for (const auto& [url, message] : cases) {
    rig.ui.skipAfter(std::chrono::milliseconds(300));
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(rig.tcp.fetch(url, std::nullopt));
    EXPECT_EQ(rig.tcp.statusCode(), SocketCode::kCancelled) << message;
    EXPECT_EQ(rig.tcp.errorText(), message);
    EXPECT_LT(millisecondsSince(start), 2000);
    EXPECT_FALSE(rig.dataFileExists());
  }
}
