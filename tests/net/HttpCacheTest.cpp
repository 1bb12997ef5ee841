// The HTTP client with the disk cache: only whole bodies are kept, a kept
// body is served only while its file is whole, and a "not modified" answer
// serves the kept copy.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "net/qvTCP.h"
#include "tests/net/HttpTestInterface.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDirectory.h"

namespace {

class CachingInterface : public HttpTestInterface {
 public:
  bool revalidate = false;
  int getValue(int index) override {
    switch (index) {
      case qvValueIndex::kCacheEnabled:
        return 1;
      case qvValueIndex::kValidateCache:
        return revalidate ? 1 : 0;
      case qvValueIndex::kCacheDays:
        return 30;
      case qvValueIndex::kCacheSizeLimit:
        return 100;
      default:
        return HttpTestInterface::getValue(index);
    }
  }
};

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kBody(100, 'x');

std::string whole() { return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100\r\n\r\n" + kBody; }

struct Rig {
  CachingInterface ui;
  TempDirectory dir;
  qvTCP tcp{ui, dir.path().string(), (dir.path() / "Cache").string()};
  Rig() { EXPECT_TRUE(tcp.init("test")); }
};

TEST(HttpCache, ABodyCutShortIsHandedOnButNeverKept) {
  ScriptedServer server({ServerScript()
                             .await("\r\n\r\n", 2000)
                             .send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + kBody.substr(0, 50))
                             .close(),
                         ServerScript().await("\r\n\r\n", 2000).send(whole()).close()});
  Rig rig;
  const std::string url = "http://" + server.address() + "/page";
  std::optional<std::string> file = rig.tcp.fetch(url, std::nullopt);
  ASSERT_TRUE(file) << rig.tcp.errorText();
  EXPECT_EQ(readAll(*file).size(), 50u);
  EXPECT_FALSE(rig.tcp.lastBodyComplete());
  EXPECT_FALSE(rig.tcp.isCached(url));

  file = rig.tcp.fetch(url, std::nullopt);
  ASSERT_TRUE(file) << rig.tcp.errorText();
  EXPECT_EQ(readAll(*file), kBody);
  EXPECT_TRUE(rig.tcp.isCached(url));
  EXPECT_EQ(server.connections(), 2u);

  // The third time the kept copy answers: no connection, a hit.
  const int hits = rig.tcp.cacheHits();
  file = rig.tcp.fetch(url, std::nullopt);
  ASSERT_TRUE(file) << rig.tcp.errorText();
  EXPECT_EQ(readAll(*file), kBody);
  EXPECT_EQ(rig.tcp.headerValue("X-Cached-By:"), "Corvane 1.1");
  EXPECT_EQ(rig.tcp.headerValue("Content-Length:"), "100");
  EXPECT_EQ(rig.tcp.cacheHits(), hits + 1);
  EXPECT_EQ(server.connections(), 2u);
}

TEST(HttpCache, AKeptBodyWhoseFileWasCutShortIsFetchedAgain) {
  ScriptedServer server(ServerScript().await("\r\n\r\n", 2000).send(whole()).close());
  Rig rig;
  const std::string url = "http://" + server.address() + "/page";
  const std::optional<std::string> kept = rig.tcp.fetch(url, std::nullopt);
  ASSERT_TRUE(kept) << rig.tcp.errorText();
  ASSERT_TRUE(rig.tcp.isCached(url));
  std::filesystem::resize_file(*kept, 40);
  EXPECT_FALSE(rig.tcp.isCached(url));
  const std::optional<std::string> again = rig.tcp.fetch(url, std::nullopt);
  ASSERT_TRUE(again) << rig.tcp.errorText();
  EXPECT_EQ(readAll(*again), kBody);
  EXPECT_EQ(server.connections(), 2u);
}

TEST(HttpCache, NotModifiedServesTheKeptCopyAndAnUnaskedOneStaysAnError) {
  ScriptedServer server({ServerScript().await("\r\n\r\n", 2000).send(whole()).close(),
                         ServerScript().await("\r\n\r\n", 2000).send("HTTP/1.0 304 Not Modified\r\n\r\n").close()});
  Rig rig;
  rig.ui.revalidate = true;
  const std::string url = "http://" + server.address() + "/page";
  ASSERT_TRUE(rig.tcp.fetch(url, std::nullopt)) << rig.tcp.errorText();
  const int hits = rig.tcp.cacheHits();
  const std::optional<std::string> served = rig.tcp.fetch(url, std::nullopt);
  ASSERT_TRUE(served) << rig.tcp.errorText();
  EXPECT_EQ(readAll(*served), kBody);
  EXPECT_EQ(rig.tcp.cacheHits(), hits + 1);
  EXPECT_EQ(server.connections(), 2u);
  EXPECT_NE(server.received(1).find("\r\nIf-Modified-Since: "), std::string::npos) << server.received(1);
  EXPECT_EQ(server.received(1).find(" GMT\r\n") - server.received(1).find("If-Modified-Since: "), 44u);

  // Nothing kept for this one: the 304 answers a question never asked.
  EXPECT_FALSE(rig.tcp.fetch("http://" + server.address() + "/other", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), -230);
  EXPECT_EQ(rig.ui.warnings.back(), "Cache error #1 : please lodge bug report");
}

}  // namespace
