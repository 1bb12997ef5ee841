// The engine crawling a real documentation tree from nginx: every page the
// index reaches is converted, and the topics are the ones the same crawl
// writes from the disk, links aside. A link's target and look depend on
// where the page came from ("/x.html" is the site's root over HTTP, the file
// system's on disk), and so do the order in which pages are found and the
// topic numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <set>
#include <string>

#include "../support/NginxServer.h"
#include "CrawlTestSupport.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

const char* const kDocs = crawltest::kPythonDocs;

// Sanitizers make the engine several times slower: there a part of the tree
// makes the point.
#if defined(__SANITIZE_ADDRESS__)
constexpr const char* kPageLimit = "60";
#else
constexpr const char* kPageLimit = "0";
#endif

// Runs the engine in batch mode in `work` on `start`; returns its exit code.
int runEngine(const fs::path& work, const std::string& start) {
  const std::string command = "cd '" + work.string() + "' && CORVANE_REGISTRY='" + work.string() +
                              "/registry.reg' '" CORVANE_BINARY_DIR "/corvane' -batch -noim -maxurl " +
                              kPageLimit + " '" + start + "' >engine.out 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int topicCount(const fs::path& work) {
  int n = 0;
  while (fs::exists(work / "rtf" / ("out" + std::to_string(n) + ".rtf"))) ++n;
  return n;
}

// A topic without its links: hidden jump targets dropped, every hotspot
// underlined the same way, topic numbers left out of context strings, and
// the line that links to the page's own source gone.
std::string withoutLinks(const std::string& rtf) {
  static const std::string kHidden = "{\\v ";
  static const std::string kDoubleUnderline = "\\uldb";
  static const std::string kTopicName = "documentID";
  std::string out;
  std::size_t at = 0;
  while (at < rtf.size()) {
    if (rtf.compare(at, kHidden.size(), kHidden) == 0) {
      at = rtf.find('}', at);
      at = at == std::string::npos ? rtf.size() : at + 1;
    } else if (rtf.compare(at, kDoubleUnderline.size(), kDoubleUnderline) == 0) {
      out += "\\ul";
      at += kDoubleUnderline.size();
    } else if (rtf.compare(at, kTopicName.size(), kTopicName) == 0) {
      out += kTopicName;
      at += kTopicName.size();
      while (at < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[at]))) ++at;
    } else {
      out += rtf[at++];
    }
  }
  std::string lines;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    end = end == std::string::npos ? out.size() : end + 1;
    const std::string line = out.substr(start, end - start);
    if (!line.starts_with("{\\ul\\cf3 [")) lines += line;
    start = end;
  }
  return lines;
}

// The URLs of the log's "Error during GET of URL: reason" lines, with their
// reasons.
std::vector<std::pair<std::string, std::string>> failedGets(const std::string& log) {
  static const std::string kPrefix = "Error during GET of ";
  std::vector<std::pair<std::string, std::string>> out;
  for (auto at = log.find(kPrefix); at != std::string::npos; at = log.find(kPrefix, at + 1)) {
    const auto end = log.find("\r\n", at);
    const std::string line = log.substr(at + kPrefix.size(), end - at - kPrefix.size());
    const auto colon = line.find(": ");
    if (colon != std::string::npos) out.emplace_back(line.substr(0, colon), line.substr(colon + 2));
  }
  return out;
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
  ASSERT_GE(topics, 50);
  EXPECT_EQ(topicCount(work.path() / "remote"), topics);
  // Only the pages the tree lacks (dangling links of the package) fail.
  const std::string remoteLog = slurp(work.path() / "remote" / "Corvane.log");
  const std::string siteRoot = server.url("");
  for (const auto& [url, reason] : failedGets(remoteLog)) {
    EXPECT_EQ(reason, "Not Found") << url;
    ASSERT_TRUE(url.starts_with(siteRoot)) << url;
    EXPECT_FALSE(fs::exists(std::string(kDocs) + url.substr(siteRoot.size()))) << url;
  }
  EXPECT_EQ(remoteLog.find("NP Exception"), std::string::npos);
  // Every page is asked for once.
  const std::vector<std::string> requests = server.requests();
  EXPECT_GE(requests.size(), static_cast<std::size_t>(topics));
  EXPECT_EQ(std::set<std::string>(requests.begin(), requests.end()).size(), requests.size());

  std::multiset<std::string> fromDisk;
  std::multiset<std::string> fromSite;
  for (int n = 0; n < topics; ++n) {
    const std::string name = "out" + std::to_string(n) + ".rtf";
    fromDisk.insert(withoutLinks(slurp(work.path() / "local" / "rtf" / name)));
    fromSite.insert(withoutLinks(slurp(work.path() / "remote" / "rtf" / name)));
  }
  std::vector<std::string> missing;
  std::set_difference(fromDisk.begin(), fromDisk.end(), fromSite.begin(), fromSite.end(),
                      std::back_inserter(missing));
  EXPECT_TRUE(missing.empty()) << missing.size() << " topics from disk have no equal over HTTP; the first:\n"
                               << (missing.empty() ? std::string() : missing.front().substr(0, 2000));
}
