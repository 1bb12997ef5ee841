// The engine crawling a real documentation tree from nginx: every page the
// index reaches is converted, and each topic is the one the same crawl
// writes from the disk, save for what names the page's own location.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../support/NginxServer.h"
#include "CrawlTestSupport.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

const char* const kDocs = "/usr/share/doc/python3.11/html";

// Runs the engine in batch mode in `work` on `start`; returns its exit code.
int runEngine(const fs::path& work, const std::string& start) {
  const std::string command = "cd '" + work.string() + "' && CORVANE_REGISTRY='" + work.string() +
                              "/registry.reg' '" CORVANE_BINARY_DIR "/corvane' -batch -noim '" + start +
                              "' >engine.out 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int topicCount(const fs::path& work) {
  int n = 0;
  while (fs::exists(work / "rtf" / ("out" + std::to_string(n) + ".rtf"))) ++n;
  return n;
}

// A topic with every occurrence of the page's site location replaced by a
// marker, so that a page read from disk and the same page read from the
// server compare equal.
std::string withoutLocation(std::string rtf, const std::string& location) {
  for (auto at = rtf.find(location); at != std::string::npos; at = rtf.find(location, at)) {
    rtf.replace(at, location.size(), "SITE/");
    at += 5;
  }
  return rtf;
}

}  // namespace

TEST(HttpCrawlTest, PythonDocumentationOverHttpGivesTheTopicsOfTheLocalTree) {
  if (!fs::is_directory(kDocs)) GTEST_SKIP() << kDocs << " missing (package python3.11-doc)";
  if (!NginxServer::installed()) GTEST_SKIP() << "nginx missing (package nginx)";
  TempDir work;
  fs::create_directories(work.path() / "nginx");
  fs::create_directories(work.path() / "local");
  fs::create_directories(work.path() / "remote");
  NginxServer server(kDocs, (work.path() / "nginx").string());
  ASSERT_TRUE(server.ready()) << server.errorLog();

  const int local = runEngine(work.path() / "local", std::string(kDocs) + "/index.html");
  const int remote = runEngine(work.path() / "remote", server.url("/index.html"));
  ASSERT_TRUE(local == 0 || local == 2) << slurp(work.path() / "local" / "engine.out");
  ASSERT_TRUE(remote == 0 || remote == 2) << slurp(work.path() / "remote" / "engine.out");
  EXPECT_EQ(remote, local);

  const int topics = topicCount(work.path() / "local");
  ASSERT_GT(topics, 400);
  EXPECT_EQ(topicCount(work.path() / "remote"), topics);
  const std::string log = slurp(work.path() / "remote" / "Corvane.log");
  EXPECT_EQ(log.find("Error during GET"), std::string::npos);
  EXPECT_EQ(log.find("NP Exception"), std::string::npos);
  // Every page and the robots file of the site, and nothing twice.
  EXPECT_LE(server.requests(), static_cast<std::size_t>(topics) + 1);

  const std::string diskLocation = "file://" + std::string(kDocs) + "/";
  const std::string siteLocation = server.url("/");
  int differing = 0;
  for (int n = 0; n < topics; ++n) {
    const std::string name = "out" + std::to_string(n) + ".rtf";
    const std::string fromDisk = withoutLocation(slurp(work.path() / "local" / "rtf" / name), diskLocation);
    const std::string fromSite = withoutLocation(slurp(work.path() / "remote" / "rtf" / name), siteLocation);
    if (fromDisk != fromSite && ++differing <= 3) ADD_FAILURE() << name << " differs";
  }
  EXPECT_EQ(differing, 0);
}
