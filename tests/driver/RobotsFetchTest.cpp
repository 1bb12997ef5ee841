// NoRobots over the engine's real HTTP client, against scripted servers on
// 127.0.0.1: redirects (relative ones included) and their limit, failures
// remembered per site, and the answers ok() gives from what was fetched.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "driver/qvTCPRobotsFetcher.h"
#include "net/qvTCP.h"
#include "tests/net/HttpTestInterface.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDirectory.h"
#include "url/NoRobots.h"
#include "url/qvURL.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kRobot = "Corvane v1.1";

ServerScript answer(const std::string& response) {
  return ServerScript().await("\r\n\r\n", 5000).send(response).close();
}

ServerScript robotsFile(const std::string& body) {
  return answer("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\n\r\n" + body);
}

ServerScript redirect(const std::string& location) {
  return answer("HTTP/1.0 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n");
}

ServerScript status(const std::string& line) { return answer("HTTP/1.0 " + line + "\r\nContent-Length: 0\r\n\r\n"); }

// The request line each connection sent.
std::vector<std::string> requests(const ScriptedServer& server) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < server.connections(); ++i) {
    const std::string received = server.received(i);
    lines.push_back(received.substr(0, received.find("\r\n")));
  }
  return lines;
}

class RobotsFetch : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tcp_.init("1.1")); }

  qvURL url(const ScriptedServer& server, const std::string& file) const {
    return *qvURL::parse("http://" + server.address() + file);
  }

  HttpTestInterface ui_;
  TempDirectory work_;
  qvTCP tcp_{ui_, work_.path().string()};
  qvTCPRobotsFetcher fetcher_{tcp_};
  NoRobots robots_{kRobot, fetcher_};
};

TEST_F(RobotsFetch, AnswersByPlainPrefixAndAsksEachSiteOnce) {
  ScriptedServer server(robotsFile("User-agent: Lynx\nDisallow: /\n\nUser-agent: *\nDisallow: /private\n"));
  EXPECT_FALSE(robots_.ok(url(server, "/private/x.html")));
  EXPECT_FALSE(robots_.ok(url(server, "/privateer.html")));
  EXPECT_TRUE(robots_.ok(url(server, "/public.html")));
  EXPECT_TRUE(robots_.ok(url(server, "/a/private")));
  EXPECT_EQ(robots_.disallowed("http", "127.0.0.1", server.port()), std::vector<std::string>{"/private"});
  EXPECT_EQ(requests(server), std::vector<std::string>{"GET /robots.txt HTTP/1.0"});
}

TEST_F(RobotsFetch, TheRootOfASiteIsItsEmptyPath) {
  ScriptedServer server(robotsFile("User-agent: *\nDisallow: /\n"));
  EXPECT_FALSE(robots_.ok(url(server, "")));
  EXPECT_FALSE(robots_.ok(url(server, "?q=1")));
  EXPECT_FALSE(robots_.ok(url(server, "/index.html")));
}

TEST_F(RobotsFetch, FourRedirectsAreFollowedWhateverFormTheLocationTakes) {
  ScriptedServer target(robotsFile("User-agent: Corvane*\nDisallow: /cgi-bin/\n"));
  ScriptedServer site({redirect("/first/robots.txt"), redirect(" second.txt "), redirect("../third.txt"),
                       redirect("http://" + target.address() + "/fourth.txt")});
  EXPECT_FALSE(robots_.ok(url(site, "/cgi-bin/search")));
  EXPECT_TRUE(robots_.ok(url(site, "/index.html")));
  EXPECT_EQ(requests(site), (std::vector<std::string>{"GET /robots.txt HTTP/1.0", "GET /first/robots.txt HTTP/1.0",
                                                      "GET /first/second.txt HTTP/1.0", "GET /third.txt HTTP/1.0"}));
  EXPECT_EQ(requests(target), std::vector<std::string>{"GET /fourth.txt HTTP/1.0"});
}

TEST_F(RobotsFetch, AFifthRedirectLeavesTheSiteUnrestricted) {
  std::vector<ServerScript> scripts;
  for (int i = 1; i <= 5; ++i) scripts.push_back(redirect("/r" + std::to_string(i) + ".txt"));
  scripts.push_back(robotsFile("User-agent: *\nDisallow: /\n"));
  ScriptedServer site(std::move(scripts));
  EXPECT_TRUE(robots_.ok(url(site, "/index.html")));
  EXPECT_TRUE(robots_.ok(url(site, "/other.html")));
  EXPECT_TRUE(robots_.disallowed("http", "127.0.0.1", site.port()).empty());
  EXPECT_EQ(site.connections(), 5u);
}

TEST_F(RobotsFetch, AFailedSiteIsUnrestrictedAndAskedOnlyOnce) {
  ScriptedServer missing(status("404 Not Found"));
  ScriptedServer broken(status("500 Internal Server Error"));
  ScriptedServer nowhere(status("301 Moved Permanently"));
  ScriptedServer unusable(redirect("http://[::1/robots.txt"));
  ScriptedServer reset(ServerScript().await("\r\n\r\n", 5000).reset());
  for (const ScriptedServer* server : {&missing, &broken, &nowhere, &unusable, &reset}) {
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(robots_.ok(url(*server, "/page.html"))) << server->address();
    EXPECT_EQ(server->connections(), 1u) << server->address();
  }
}

TEST_F(RobotsFetch, EachPortIsASiteOfItsOwn) {
  ScriptedServer strict(robotsFile("User-agent: *\nDisallow: /\n"));
  ScriptedServer open(robotsFile("User-agent: Lynx\nDisallow: /\n"));
  EXPECT_FALSE(robots_.ok(url(strict, "/a.html")));
  EXPECT_TRUE(robots_.ok(url(open, "/a.html")));
  EXPECT_FALSE(robots_.ok(url(strict, "/b.html")));
  EXPECT_EQ(strict.connections(), 1u);
  EXPECT_EQ(open.connections(), 1u);
}

}  // namespace
