// The HTTP client over TLS against nginx with certificates from a throwaway
// CA that only this process trusts (SSL_CERT_FILE): good and bad
// certificates, a server that never answers the handshake, a skip during
// it, a proxy's tunnel, and the switch that keeps https out altogether.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "net/HttpCodes.h"
#include "net/SocketCodes.h"
#include "net/qvTCP.h"
#include "tests/net/HttpTestInterface.h"
#include "tests/net/SocketTestHelpers.h"
#include "tests/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TinyProxy.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// One set of certificates for the whole suite: making them takes a while.
class HttpsClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDirectory>();
    certificates_ = std::make_unique<TestCertificates>(folder_->path() / "certificates");
    fs::create_directories(folder_->path() / "site");
    std::ofstream(folder_->path() / "site" / "page.html") << "<html><body>over TLS</body></html>\n";
    if (certificates_->ok()) ::setenv("SSL_CERT_FILE", certificates_->trustedCa().c_str(), 1);
  }
  static void TearDownTestSuite() {
    ::unsetenv("SSL_CERT_FILE");
    certificates_.reset();
    folder_.reset();
  }
  void SetUp() override {
    if (!NginxServer::installed()) GTEST_SKIP() << "nginx is not installed";
    ASSERT_TRUE(certificates_->ok()) << readFile((folder_->path() / "certificates" / "openssl.log").string());
    ui.fetchHttps = true;
    ASSERT_TRUE(tcp.init("test"));
  }

  // nginx speaking TLS with the leaf `name`, its own folder per server.
  std::unique_ptr<NginxServer> serve(const std::string& name, const std::string& config = {}) {
    const TestCertificates::Pair pair = certificates_->leaf(name);
    const fs::path work = dir.path() / ("nginx-" + name + std::to_string(servers_++));
    fs::create_directories(work);
    auto server = std::make_unique<NginxServer>((folder_->path() / "site").string(), work.string(), config,
                                                pair.certificate, pair.key);
    EXPECT_TRUE(server->ready()) << server->errorLog();
    return server;
  }

  static std::unique_ptr<TempDirectory> folder_;
  static std::unique_ptr<TestCertificates> certificates_;
  HttpTestInterface ui;
  TempDirectory dir;
  qvTCP tcp{ui, dir.path().string()};
  int servers_ = 0;
};

std::unique_ptr<TempDirectory> HttpsClientTest::folder_;
std::unique_ptr<TestCertificates> HttpsClientTest::certificates_;

TEST_F(HttpsClientTest, FetchesOverTlsAndNamesOnlyOtherPortsInTheHost) {
  const auto server = serve("good");
  const std::optional<std::string> file = tcp.fetch(server->url("/page.html"), std::nullopt);
  ASSERT_TRUE(file) << tcp.errorText();
  EXPECT_EQ(readFile(*file), "<html><body>over TLS</body></html>\n");
  EXPECT_EQ(tcp.statusCode(), 0);
  const std::vector<std::string> requests = server->requestsOnceLogged(1);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], "GET /page.html HTTP/1.0");
  // The same name, through localhost, checks the certificate's DNS name.
  const std::string byName = "https://localhost:" + std::to_string(server->port()) + "/page.html";
  EXPECT_TRUE(tcp.fetch(byName, std::nullopt)) << tcp.errorText();
}

TEST_F(HttpsClientTest, RefusedCertificatesFailWithTheirReason) {
  const struct {
    const char* leaf;
    const char* host;
    const char* reason;
  } cases[] = {{"expired", "127.0.0.1", "certificate has expired"},
               {"otherhost", "localhost", "hostname mismatch"},
               {"otherhost", "127.0.0.1", "IP address mismatch"},
               {"selfsigned", "127.0.0.1", "self-signed certificate"},
               {"unknownca", "127.0.0.1", "unable to get local issuer certificate"}};
  for (const auto& c : cases) {
    const auto server = serve(c.leaf);
    const std::string url = std::string("https://") + c.host + ":" + std::to_string(server->port()) + "/page.html";
    EXPECT_FALSE(tcp.fetch(url, std::nullopt)) << c.leaf;
    EXPECT_EQ(tcp.statusCode(), SocketCode::kCertificateRefused) << c.leaf;
    EXPECT_EQ(tcp.errorText(), std::string("Certificate not trusted: ") + c.reason) << c.leaf;
    EXPECT_TRUE(server->requests().empty()) << c.leaf;
  }
}

TEST_F(HttpsClientTest, AHandshakeWithoutAnswerTimesOutAndASkipEndsIt) {
  ui.connectTimeout = 1;
  ScriptedServer silent({ServerScript().silent(), ServerScript().silent()});
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(tcp.fetch("https://" + silent.address() + "/", std::nullopt));
  EXPECT_EQ(tcp.statusCode(), SocketCode::kTimedOut);
  EXPECT_EQ(tcp.errorText(), "Connect timed out");
  EXPECT_LT(millisecondsSince(started), 3000);

  ui.connectTimeout = 30;
  ui.skipAfter(std::chrono::milliseconds(200));
  EXPECT_FALSE(tcp.fetch("https://" + silent.address() + "/", std::nullopt));
  EXPECT_EQ(tcp.statusCode(), SocketCode::kCancelled);
  EXPECT_EQ(tcp.errorText(), "Connect cancelled by user");
  EXPECT_LT(millisecondsSince(started), 5000);
}

TEST_F(HttpsClientTest, ANonTlsPeerFailsTheSecureConnection) {
  ScriptedServer plain(ServerScript().send("HTTP/1.0 200 OK\r\n\r\nnot TLS").close());
  EXPECT_FALSE(tcp.fetch("https://" + plain.address() + "/", std::nullopt));
  EXPECT_EQ(tcp.statusCode(), SocketCode::kSecureConnectionFailed);
  EXPECT_EQ(tcp.errorText().rfind("Secure connection failed: ", 0), 0u) << tcp.errorText();
}

TEST_F(HttpsClientTest, AProxyTunnelCarriesTheConnection) {
  if (!TinyProxy::available()) GTEST_SKIP() << "tinyproxy is not installed";
  const TinyProxy tinyproxy;
  ASSERT_TRUE(tinyproxy.running()) << tinyproxy.log();
  const auto server = serve("good");
  ui.proxyEnabled = true;
  ui.proxyHost = "127.0.0.1";
  ui.proxyPort = tinyproxy.port();
  const std::optional<std::string> file = tcp.fetch(server->url("/page.html"), std::nullopt);
  ASSERT_TRUE(file) << tcp.errorText() << "\n" << tinyproxy.log();
  EXPECT_EQ(readFile(*file), "<html><body>over TLS</body></html>\n");
  // The tunnel is refused: the proxy's status fails the request.
  EXPECT_FALSE(tcp.fetch("https://127.0.0.1:1/page.html", std::nullopt));
  EXPECT_GE(tcp.statusCode(), 400) << tcp.errorText();
}

TEST_F(HttpsClientTest, WithTheSwitchOffHttpsIsNotAUrlTheClientTakes) {
  const auto server = serve("good");
  ui.fetchHttps = false;
  EXPECT_FALSE(tcp.fetch(server->url("/page.html"), std::nullopt));
  EXPECT_EQ(tcp.statusCode(), HttpCode::kBadUrl);
  EXPECT_EQ(tcp.errorText(), "URL does not begin with http://");
  EXPECT_TRUE(server->requests().empty());
}

}  // namespace
