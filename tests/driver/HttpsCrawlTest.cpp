// The engine crawling over TLS with -https, against nginx holding a
// certificate from a throwaway CA that only the engine trusts: a
// documentation tree gives the topics of its plain HTTP crawl; a small site
// shows links, a redirect from http to https and robots.txt over https; and
// without the switch https stays an outside link that is never fetched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "../support/NginxServer.h"
#include "../support/TestCertificates.h"
#include "CrawlTestSupport.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

const char* const kDocs = crawltest::kPythonDocs;

#if defined(__SANITIZE_ADDRESS__)
constexpr const char* kPageLimit = "15";
#else
constexpr const char* kPageLimit = "40";
#endif

class HttpsCrawlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NginxServer::installed()) GTEST_SKIP() << "nginx missing (package nginx)";
    certificates = std::make_unique<TestCertificates>(dir.path() / "certificates");
    ASSERT_TRUE(certificates->ok()) << slurp(dir.path() / "certificates" / "openssl.log");
  }

  std::unique_ptr<NginxServer> serve(const fs::path& root, const std::string& name, bool tls,
                                     const std::string& config = {}) {
    const fs::path work = dir.path() / ("nginx-" + name);
    fs::create_directories(work);
    const TestCertificates::Pair pair = certificates->leaf("good");
    auto server = tls ? std::make_unique<NginxServer>(root.string(), work.string(), config, pair.certificate, pair.key)
                      : std::make_unique<NginxServer>(root.string(), work.string(), config);
    EXPECT_TRUE(server->ready()) << server->errorLog();
    return server;
  }

  // Runs the engine in batch mode in its own folder `name`; its exit code.
  int runEngine(const std::string& name, const std::string& start, const std::string& options) {
    const fs::path work = dir.path() / name;
    fs::create_directories(work);
    const std::string command = "cd '" + work.string() + "' && SSL_CERT_FILE='" + certificates->trustedCa() +
                                "' CORVANE_REGISTRY='" + work.string() + "/registry.reg' '" CORVANE_BINARY_DIR
                                "/corvane' -batch -noim " + options + " '" + start + "' >engine.out 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string topic(const std::string& run, int n) const {
    return slurp(dir.path() / run / "rtf" / ("out" + std::to_string(n) + ".rtf"));
  }
  int topicCount(const std::string& run) const {
    int n = 0;
    while (fs::exists(dir.path() / run / "rtf" / ("out" + std::to_string(n) + ".rtf"))) ++n;
    return n;
  }
  std::string output(const std::string& run) const { return slurp(dir.path() / run / "engine.out"); }

  TempDir dir;
  std::unique_ptr<TestCertificates> certificates;
};

std::string replacedAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST_F(HttpsCrawlTest, PythonDocumentationOverHttpsGivesTheTopicsOfItsHttpCrawl) {
  if (!fs::is_directory(kDocs)) GTEST_SKIP() << kDocs << " missing (package python3.11-doc)";
  const auto plain = serve(kDocs, "plain", false);
  const auto secure = serve(kDocs, "secure", true);
  // Both with -https: the pages' own https links (python.org) are links of
  // the run then, not outside ones, in either crawl.
  const std::string options = std::string("-https -maxurl ") + kPageLimit;
  ASSERT_EQ(runEngine("http", plain->url("/index.html"), options), 0) << output("http");
  ASSERT_EQ(runEngine("https", secure->url("/index.html"), options), 0) << output("https");
  // Every page up to the limit is converted (the tree has hundreds).
  const int topics = topicCount("http");
  ASSERT_EQ(topics, std::stoi(kPageLimit));
  ASSERT_EQ(topicCount("https"), topics);
  for (int n = 0; n < topics; ++n) {
    EXPECT_EQ(replacedAll(topic("https", n), secure->url(""), plain->url("")), topic("http", n)) << "topic " << n;
  }
  EXPECT_EQ(output("https").find("Secure connection failed"), std::string::npos);
}

TEST_F(HttpsCrawlTest, LinksRedirectsAndRobotsOverHttps) {
  const fs::path site = dir.path() / "site";
  fs::create_directories(site / "secret");
  const auto secure = serve(site, "secure", true);
  const auto plain = serve(site, "plain", false, "location = /moved.html { return 301 " + secure->url("/a.html") + "; }");
  std::ofstream(site / "index.html") << "<html><head><title>Home</title></head><body>"
                                     << "<a href=\"" << secure->url("/b.html") << "\">B absolute</a> "
                                     << "<a href=\"https:c.html\">C relative</a> "
                                     << "<a href=\"secret/d.html\">D barred</a></body></html>\n";
  for (const char* name : {"a", "b", "c", "secret/d"}) {
    std::ofstream(site / (std::string(name) + ".html"))
        << "<html><head><title>Page " << name << "</title></head><body><p>Text of " << name
        << ".</p></body></html>\n";
  }
  std::ofstream(site / "robots.txt") << "User-agent: *\nDisallow: /secret/\n";

  ASSERT_EQ(runEngine("crawl", secure->url("/index.html"), "-https"), 0) << output("crawl");
  std::string all;
  for (int n = 0; n < topicCount("crawl"); ++n) all += topic("crawl", n);
  EXPECT_NE(all.find("Text of b."), std::string::npos) << output("crawl");
  EXPECT_NE(all.find("Text of c."), std::string::npos) << output("crawl");
  EXPECT_EQ(all.find("Text of secret/d."), std::string::npos);
  EXPECT_NE(output("crawl").find("Robots are barred from " + secure->url("/secret/d.html")), std::string::npos)
      << output("crawl");
  bool askedForRobots = false;
  for (const std::string& request : secure->requests()) askedForRobots |= request == "GET /robots.txt HTTP/1.0";
  EXPECT_TRUE(askedForRobots);

  // An http start point that the server sends on to https.
  ASSERT_EQ(runEngine("redirected", plain->url("/moved.html"), "-https"), 0) << output("redirected");
  ASSERT_EQ(topicCount("redirected"), 1);
  EXPECT_NE(topic("redirected", 0).find("Text of a."), std::string::npos);
}

TEST_F(HttpsCrawlTest, WithoutTheSwitchHttpsStaysAnOutsideLink) {
  const fs::path site = dir.path() / "site";
  fs::create_directories(site);
  const auto secure = serve(site, "secure", true);
  const auto plain = serve(site, "plain", false);
  std::ofstream(site / "index.html") << "<html><head><title>Home</title></head><body>"
                                     << "<a href=\"" << secure->url("/b.html") << "\">B</a></body></html>\n";
  std::ofstream(site / "b.html") << "<html><body><p>Text of b.</p></body></html>\n";

  ASSERT_EQ(runEngine("off", plain->url("/index.html"), ""), 0) << output("off");
  ASSERT_EQ(topicCount("off"), 1);
  EXPECT_NE(topic("off", 0).find("ExecFile(\"" + secure->url("/b.html") + "\")"), std::string::npos)
      << topic("off", 0);
  EXPECT_NE(runEngine("start", secure->url("/index.html"), ""), 0);
  EXPECT_NE(output("start").find("Don't understand URL '" + secure->url("/index.html") + "'"), std::string::npos)
      << output("start");
  EXPECT_TRUE(secure->requests().empty());
}

}  // namespace
