// Batch runs over a small site on nginx with the disk cache: a second run
// takes stored pages from the cache (asking the server nothing, or only
// whether they changed), an offline run needs no server at all, and pages
// the server forbids to keep are fetched every time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../support/NginxServer.h"
#include "CrawlTestSupport.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

// Every page links to the next ones; "old.html" redirects to "moved.html".
// The mixed site adds pages the cache must not keep or must check each time.
void writeSite(const fs::path& root, bool mixed) {
  fs::create_directories(root);
  std::string links = "<a href=\"a.html\">A</a> <a href=\"b.html\">B</a> <a href=\"old.html\">Old</a>";
  if (mixed) {
    links += " <a href=\"nostore.html\">N</a> <a href=\"pragma.html\">P</a> <a href=\"mustrev.html\">M</a>";
  }
  std::ofstream(root / "index.html") << "<html><head><title>Home</title></head><body><h1>Home</h1>" << links
                                     << "</body></html>\n";
  for (const char* name : {"a", "b", "moved", "nostore", "pragma", "mustrev"}) {
    std::ofstream(root / (std::string(name) + ".html"))
        << "<html><head><title>Page " << name << "</title></head><body><p>Text of " << name
        << ".</p><a href=\"index.html\">Home</a></body></html>\n";
  }
}

const char* const kServerConfig = R"(
    if_modified_since before;
    expires 1h;
    location = /old.html { return 301 /moved.html; }
    location = /nostore.html { expires off; add_header Cache-Control "No-Cache, no-store"; }
    location = /pragma.html { expires off; add_header Pragma "no-cache"; }
    location = /mustrev.html { expires off; add_header Cache-Control "max-age=0, Must-Revalidate"; }
)";

void writeRegistry(const fs::path& work, bool validate) {
  std::ofstream(work / "registry.reg") << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lorimund\\Corvane\\v1.1\\"
                                          "Settings]\r\n\"ValidateFiles\"=dword:0000000"
                                       << (validate ? 1 : 0) << "\r\n";
}

// Runs the engine in batch mode in `work`; its exit code.
int runEngine(const fs::path& work, const std::string& start, const std::string& options = {},
              const std::string& environment = {}) {
  const std::string command = "cd '" + work.string() + "' && " + environment + " CORVANE_REGISTRY='" +
                              work.string() + "/registry.reg' '" CORVANE_BINARY_DIR "/corvane' -batch -noim " +
                              options + " '" + start + "' >engine.out 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The topics a run wrote, by file name.
std::map<std::string, std::string> topics(const fs::path& work) {
  std::map<std::string, std::string> out;
  for (int n = 0; fs::exists(work / "rtf" / ("out" + std::to_string(n) + ".rtf")); ++n) {
    const std::string name = "out" + std::to_string(n) + ".rtf";
    out[name] = slurp(work / "rtf" / name);
  }
  return out;
}

// The topic files that differ between two runs' topics, or that only one has:
// a short message where a whole site's text would drown the failure.
std::string differingTopics(const std::map<std::string, std::string>& a,
                            const std::map<std::string, std::string>& b) {
  std::string names;
  for (const auto& [name, text] : a) {
    const auto other = b.find(name);
    if (other == b.end() || other->second != text) names += name + " ";
  }
  for (const auto& [name, text] : b) {
    if (!a.contains(name)) names += name + " ";
  }
  return names;
}

// The access log's requests from line `from` on, as request path and status.
std::vector<std::pair<std::string, std::string>> requestsSince(const fs::path& nginxWork, std::size_t from) {
  std::ifstream log(nginxWork / "access.log");
  std::vector<std::pair<std::string, std::string>> out;
  std::size_t n = 0;
  for (std::string line; std::getline(log, line); ++n) {
    if (n < from) continue;
    const auto open = line.find("\"GET ");
    const auto close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) continue;
    const std::string request = line.substr(open + 5, close - open - 5);
    const std::string path = request.substr(0, request.find(' '));
    const std::string status = line.substr(close + 2, 3);
    out.emplace_back(path, status);
  }
  return out;
}

std::size_t logLines(const fs::path& nginxWork) { return requestsSince(nginxWork, 0).size(); }

class CacheCrawlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NginxServer::installed()) GTEST_SKIP() << "nginx missing (package nginx)";
    fs::create_directories(dir.path() / "nginx");
    fs::create_directories(work());
  }
  void startServer(bool mixed) {
    writeSite(site(), mixed);
    // Every file older than any run, so that "unchanged" is plain to nginx.
    for (const auto& entry : fs::directory_iterator(site())) {
      fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::hours(2));
    }
    server = std::make_unique<NginxServer>(site().string(), nginxWork().string(), kServerConfig);
    ASSERT_TRUE(server->ready()) << server->errorLog();
  }
  fs::path site() const { return dir.path() / "site"; }
  fs::path work() const { return dir.path() / "work"; }
  fs::path nginxWork() const { return dir.path() / "nginx"; }
  std::string log() const { return slurp(work() / "Corvane.log"); }

  TempDir dir;
  std::unique_ptr<NginxServer> server;
};

TEST_F(CacheCrawlTest, SecondRunTakesStoredPagesWithoutAskingAndWritesTheSameTopics) {
  startServer(true);
  writeRegistry(work(), false);
  ASSERT_EQ(runEngine(work(), server->url("/index.html")), 0) << slurp(work() / "engine.out");
  const auto first = topics(work());
  ASSERT_GE(first.size(), 7u) << log();
  const std::size_t before = logLines(nginxWork());

  ASSERT_EQ(runEngine(work(), server->url("/index.html")), 0) << slurp(work() / "engine.out");
  EXPECT_EQ(topics(work()), first);
  std::map<std::string, std::string> asked;
  for (const auto& [path, status] : requestsSince(nginxWork(), before)) asked[path] = status;
  for (const char* stored : {"/index.html", "/a.html", "/b.html", "/old.html", "/moved.html"}) {
    EXPECT_EQ(asked.count(stored), 0u) << stored;
  }
  // Kept out of the cache by the server, so asked again; the page to be
  // checked each time is asked whether it changed.
  for (const char* fetched : {"/nostore.html", "/pragma.html"}) {
    EXPECT_EQ(asked[fetched], "200") << fetched;
  }
  EXPECT_EQ(asked["/mustrev.html"], "304");
}

TEST_F(CacheCrawlTest, RevalidatingRunGetsNotModifiedAndAChangedPageAnew) {
  startServer(true);
  writeRegistry(work(), true);
  // A zone far from UTC: a date sent hours off would pass a changed page.
  const std::string zone = "TZ=America/New_York";
  ASSERT_EQ(runEngine(work(), server->url("/index.html"), {}, zone), 0) << slurp(work() / "engine.out");
  const auto first = topics(work());
  const std::size_t before = logLines(nginxWork());
  std::ofstream(site() / "b.html") << "<html><head><title>Page b</title></head><body><p>Changed b.</p></body></html>\n";
  fs::last_write_time(site() / "b.html", fs::file_time_type::clock::now() + std::chrono::seconds(5));

  ASSERT_EQ(runEngine(work(), server->url("/index.html"), {}, zone), 0) << slurp(work() / "engine.out");
  std::map<std::string, std::string> asked;
  for (const auto& [path, status] : requestsSince(nginxWork(), before)) asked[path] = status;
  for (const char* unchanged : {"/index.html", "/a.html", "/moved.html", "/mustrev.html"}) {
    EXPECT_EQ(asked[unchanged], "304") << unchanged;
  }
  EXPECT_EQ(asked["/b.html"], "200");
  const auto second = topics(work());
  ASSERT_EQ(second.size(), first.size());
  int changed = 0;
  for (const auto& [name, text] : second) {
    if (text == first.at(name)) continue;
    ++changed;
    EXPECT_NE(text.find("Changed b."), std::string::npos) << name;
  }
  EXPECT_EQ(changed, 1);
}

TEST_F(CacheCrawlTest, OfflineRunNeedsNoServerAndFollowsTheStoredRedirect) {
  startServer(false);
  writeRegistry(work(), false);
  const std::string start = server->url("/index.html");
  ASSERT_EQ(runEngine(work(), start), 0) << slurp(work() / "engine.out");
  const auto first = topics(work());
  ASSERT_GE(first.size(), 4u) << log();
  server.reset();

  ASSERT_EQ(runEngine(work(), start, "-offline"), 0) << slurp(work() / "engine.out");
  const auto second = topics(work());
  EXPECT_EQ(second, first);
  bool moved = false;
  for (const auto& [name, text] : second) moved = moved || text.find("Text of moved.") != std::string::npos;
  EXPECT_TRUE(moved);
  EXPECT_EQ(log().find("not in cache"), std::string::npos) << log();
}

TEST_F(CacheCrawlTest, OfflineRunWithAnEmptyCacheTakesNothing) {
  startServer(false);
  writeRegistry(work(), false);
  const std::string start = server->url("/index.html");
  runEngine(work(), start, "-offline");
  EXPECT_NE(log().find("offline mode set and not in cache"), std::string::npos) << log();
  EXPECT_EQ(logLines(nginxWork()), 0u);
}

TEST_F(CacheCrawlTest, NoCacheRunKeepsNothing) {
  startServer(false);
  writeRegistry(work(), false);
  ASSERT_EQ(runEngine(work(), server->url("/index.html"), "-nocache"), 0) << slurp(work() / "engine.out");
  std::size_t dataFiles = 0;
  if (fs::exists(work() / "Cache")) {
    for (const auto& entry : fs::directory_iterator(work() / "Cache")) dataFiles += entry.path().extension() == ".cvc";
  }
  EXPECT_EQ(dataFiles, 0u);
  const std::size_t before = logLines(nginxWork());
  ASSERT_EQ(runEngine(work(), server->url("/index.html"), "-nocache"), 0) << slurp(work() / "engine.out");
  EXPECT_GE(logLines(nginxWork()) - before, 4u);
}

// Two engines crawling at once into one shared Cache folder, then a third
// offline: every page comes back from the cache as each of them wrote it, so
// neither engine lost the other's entries or gave a URL another's body.
TEST_F(CacheCrawlTest, TwoRunsAtOnceShareOneCache) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kPages = 100;
#else
  constexpr int kPages = 400;
#endif
  fs::create_directories(site());
  for (int i = 0; i < kPages; ++i) {
    std::ofstream page(site() / ("p" + std::to_string(i) + ".html"));
    page << "<html><head><title>Page " << i << "</title></head><body><p>Only page " << i << " says "
         << std::string(200 + i, static_cast<char>('a' + i % 26)) << ".</p>";
    for (int next = i + 1; next <= i + 3 && next < kPages; ++next) page << "<a href=\"p" << next << ".html\">" << next << "</a> ";
    page << "</body></html>\n";
  }
  server = std::make_unique<NginxServer>(site().string(), nginxWork().string(), kServerConfig);
  ASSERT_TRUE(server->ready()) << server->errorLog();
  const fs::path shared = dir.path() / "shared-cache";
  fs::create_directories(shared);
  const std::vector<fs::path> works{dir.path() / "one", dir.path() / "two", dir.path() / "offline"};
  for (const fs::path& w : works) {
    fs::create_directories(w);
    fs::create_directory_symlink(shared, w / "Cache");
    writeRegistry(w, false);
  }
  const std::string start = server->url("/p0.html");
  const std::string both = "(cd '" + works[1].string() + "' && CORVANE_REGISTRY='" + works[1].string() +
                           "/registry.reg' '" CORVANE_BINARY_DIR "/corvane' -batch -noim '" + start +
                           "' >engine.out 2>&1) & " + "(cd '" + works[0].string() + "' && CORVANE_REGISTRY='" +
                           works[0].string() + "/registry.reg' '" CORVANE_BINARY_DIR "/corvane' -batch -noim '" +
                           start + "' >engine.out 2>&1); wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  const auto one = topics(works[0]);
  ASSERT_EQ(one.size(), static_cast<std::size_t>(kPages)) << slurp(works[0] / "Corvane.log");
  EXPECT_EQ(differingTopics(topics(works[1]), one), "") << slurp(works[1] / "Corvane.log");
  server.reset();

  ASSERT_EQ(runEngine(works[2], start, "-offline"), 0) << slurp(works[2] / "engine.out");
  EXPECT_EQ(differingTopics(topics(works[2]), one), "") << slurp(works[2] / "Corvane.log");
  EXPECT_EQ(slurp(works[2] / "Corvane.log").find("corrupted"), std::string::npos);
}


// The cache folder on a file system of its own, made for the test in a
// private mount namespace: another device than the working folder, a full
// one, a read-only one. Needs the right to mount (root, as in CI).
class CacheFolderFileSystemTest : public CacheCrawlTest {
 protected:
  static constexpr int kPages = 30;

  void SetUp() override {
    if (std::system("unshare --mount --propagation private true >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "no right to mount a file system here";
    }
    for (const fs::path& folder : {site(), nginxWork(), work()}) fs::create_directories(folder);
    for (int i = 0; i < kPages; ++i) {
      std::ofstream page(site() / ("p" + std::to_string(i) + ".html"));
      page << "<html><head><title>Page " << i << "</title></head><body><p>Page " << i << ": "
           << std::string(20000, static_cast<char>('a' + i % 26)) << "</p>";
      if (i + 1 < kPages) page << "<a href=\"p" << i + 1 << ".html\">next</a>";
      page << "</body></html>\n";
    }
    server = std::make_unique<NginxServer>(site().string(), nginxWork().string(), kServerConfig);
    ASSERT_TRUE(server->ready()) << server->errorLog();
    fs::create_directories(work() / "Cache");
    writeRegistry(work(), false);
  }

  // Runs `steps` (shell lines, the engine as $ENGINE) in a mount namespace
  // where work/Cache is a tmpfs of `size`; the script's exit status.
  int inOwnMount(const std::string& size, const std::vector<std::string>& steps) {
    std::ofstream script(work() / "steps.sh");
    script << "set -e\ncd '" << work().string() << "'\nexport CORVANE_REGISTRY='" << work().string()
           << "/registry.reg'\nENGINE='" CORVANE_BINARY_DIR "/corvane'\nmount -t tmpfs -o size=" << size
           << " tmpfs Cache\n";
    for (const std::string& step : steps) script << step << "\n";
    script.close();
    const std::string command = "unshare --mount --propagation private sh '" + (work() / "steps.sh").string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string start() const { return server->url("/p0.html"); }

  static std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
  }
};

TEST_F(CacheFolderFileSystemTest, ACacheOnAnotherDeviceKeepsCopies) {
  ASSERT_EQ(inOwnMount("16m", {"$ENGINE -batch -noim '" + start() + "' >online.out 2>&1",
                               "cp -r rtf online-rtf",
                               "$ENGINE -batch -noim -offline '" + start() + "' >engine.out 2>&1"}),
            0)
      << slurp(work() / "online.out") << slurp(work() / "engine.out");
  const auto offline = topics(work());
  EXPECT_EQ(offline.size(), static_cast<std::size_t>(kPages)) << log();
  std::map<std::string, std::string> online;
  for (const auto& [name, text] : offline) online[name] = slurp(work() / "online-rtf" / name);
  EXPECT_EQ(differingTopics(offline, online), "");
  EXPECT_EQ(slurp(work() / "online.out").find("Cannot write"), std::string::npos);
}

// A full cache folder costs the cache, never a page: every page is
// converted, the failure is reported once, and what was stored before the
// folder filled up is whole.
TEST_F(CacheFolderFileSystemTest, AFullCacheFolderIsReportedOnceAndCostsNoPage) {
  ASSERT_EQ(inOwnMount("1400k", {"$ENGINE -batch -noim '" + start() + "' >online.out 2>&1",
                                 "$ENGINE -batch -noim -offline '" + start() + "' >engine.out 2>&1 || true"}),
            0);
  const std::string online = slurp(work() / "online.out");
  EXPECT_NE(online.find("with " + std::to_string(kPages) + " topics"), std::string::npos) << online;
  EXPECT_EQ(occurrences(online, "Cannot write to the cache folder: No space left on device"), 1u) << online;
  // The offline run follows the chain as far as the cache holds it.
  const auto offline = topics(work());
  EXPECT_GT(offline.size(), 0u);
  EXPECT_LT(offline.size(), static_cast<std::size_t>(kPages));
  for (const auto& [name, text] : offline) EXPECT_NE(text.find("Page "), std::string::npos) << name;
  EXPECT_EQ(log().find("corrupted"), std::string::npos) << log();
}

// A cache folder made read-only between runs: the run goes on without a
// cache and says so once.
TEST_F(CacheFolderFileSystemTest, AReadOnlyCacheFolderLeavesTheRunWithoutACache) {
  ASSERT_EQ(inOwnMount("16m", {"$ENGINE -batch -noim '" + start() + "' >first.out 2>&1",
                               "mount -o remount,ro Cache",
                               "$ENGINE -batch -noim '" + start() + "' >engine.out 2>&1"}),
            0)
      << slurp(work() / "engine.out");
  const std::string second = slurp(work() / "engine.out");
  EXPECT_NE(second.find("with " + std::to_string(kPages) + " topics"), std::string::npos) << second;
  EXPECT_EQ(occurrences(second, "Cannot open or create cache index file"), 1u) << second;
}

}  // namespace
