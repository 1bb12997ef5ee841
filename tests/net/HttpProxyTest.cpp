// Requests through a proxy: the exact proxy form (against a scripted server
// standing in for the proxy), a real tinyproxy, exceptions, and the two
// ways the proxy itself can be unusable.

#include <gtest/gtest.h>

#include <string>

#include "net/HttpCodes.h"
#include "net/qvTCP.h"
#include "platform/qvMessageBox.h"
#include "tests/net/HttpTestInterface.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/TinyProxy.h"

namespace {

struct Rig {
  HttpTestInterface ui;
  TempDirectory dir;
  qvTCP tcp{ui, dir.path().string()};
  explicit Rig(std::uint16_t proxyPort, const std::string& proxyHost = "127.0.0.1") {
    ui.proxyEnabled = true;
    ui.proxyHost = proxyHost;
    ui.proxyPort = proxyPort;
    EXPECT_TRUE(tcp.init("test"));
  }
};

ServerScript answer(const std::string& body) {
  return ServerScript().await("\r\n\r\n", 2000).send("HTTP/1.0 200 OK\r\n\r\n" + body).close();
}

std::string lastBoxText;
std::string lastBoxCaption;
int recordBox(const char* text, const char* caption, int) {
  lastBoxText = text;
  lastBoxCaption = caption;
  return qvMessageBox::kAnswerOk;
}

}  // namespace

TEST(HttpProxy, SendsTheFullUrlWithItsPortToTheProxy) {
  ScriptedServer proxy(answer("via proxy"));
  Rig rig(proxy.port(), "127.0.0.1:9");  // a port in the host text gives way to the port setting
  const std::optional<std::string> file = rig.tcp.fetch("http://Www.Example.com:8080/a/b.html", "http://r/");
  ASSERT_TRUE(file) << rig.tcp.errorText();
  EXPECT_EQ(proxy.received(0),
            "GET http://www.example.com:8080/a/b.html HTTP/1.0\r\nReferer: http://r/\r\nProxy-Connection: Close\r\n"
            "User-Agent: Corvane/1.1\r\nHost: www.example.com:8080\r\nAccept: image/gif, image/jpeg, */*\r\n\r\n");
  ASSERT_TRUE(rig.tcp.fetch("http://www.example.com/", std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(proxy.received(1),
            "GET http://www.example.com/ HTTP/1.0\r\nProxy-Connection: Close\r\n"
            "User-Agent: Corvane/1.1\r\nHost: www.example.com\r\nAccept: image/gif, image/jpeg, */*\r\n\r\n");
}

TEST(HttpProxy, SendsExceptionsDirect) {
  ScriptedServer proxy(answer("via proxy"));
  ScriptedServer origin(answer("direct"));
  Rig rig(proxy.port());
  rig.ui.noProxyFor = "example.com, 127.0.0.1";
  ASSERT_TRUE(rig.tcp.fetch("http://" + origin.address() + "/x", std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(origin.received(0).substr(0, 17), "GET /x HTTP/1.0\r\n");
  EXPECT_EQ(proxy.connections(), 0u);
  rig.ui.noProxyFor = "";
  ASSERT_TRUE(rig.tcp.fetch("http://" + origin.address() + "/y", std::nullopt)) << rig.tcp.errorText();
  EXPECT_EQ(proxy.connections(), 1u);
  EXPECT_EQ(origin.connections(), 1u);
}

TEST(HttpProxy, ReportsAProxyThatRefusesOrCannotBeFound) {
  const UnlistenedPort refused;
  const std::string port = refused.address().substr(refused.address().find(':') + 1);
  Rig rig(static_cast<std::uint16_t>(std::stoi(port)));
  EXPECT_FALSE(rig.tcp.fetch("http://www.example.com/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kCannotConnectProxy);
  EXPECT_EQ(rig.tcp.errorText(), "Cannot connect to the proxy server");
  ASSERT_FALSE(rig.ui.warnings.empty());
  EXPECT_EQ(rig.ui.warnings.back(), "Cannot connect to the proxy server");

  qvMessageBox::bind(recordBox);
  rig.ui.proxyHost = "proxy.invalid";
  lastBoxText.clear();
  EXPECT_FALSE(rig.tcp.fetch("http://www.example.com/", std::nullopt));
  EXPECT_EQ(rig.tcp.statusCode(), HttpCode::kCannotResolveProxy);
  EXPECT_EQ(rig.tcp.errorText(), "Cannot resolve proxy hostname");
  EXPECT_EQ(lastBoxText, "Cannot resolve proxy hostname");
  EXPECT_EQ(lastBoxCaption, "Corvane proxy settings error");
  EXPECT_FALSE(rig.tcp.readProxySettings());
  qvMessageBox::bind(nullptr);
}

TEST(HttpProxy, FetchesThroughARealProxyFromAnotherPort) {
  if (!TinyProxy::available()) GTEST_SKIP() << "tinyproxy is not installed (Debian package tinyproxy-bin)";
  const TinyProxy tinyproxy;
  ASSERT_TRUE(tinyproxy.running()) << tinyproxy.log();
  ScriptedServer origin(answer("from the origin"));
  Rig rig(tinyproxy.port());
  const std::optional<std::string> file = rig.tcp.fetch("http://" + origin.address() + "/page.html", std::nullopt);
  ASSERT_TRUE(file) << rig.tcp.errorText() << "\n" << tinyproxy.log();
  std::ifstream in(*file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "from the origin");
  EXPECT_EQ(origin.received(0).substr(0, 25), "GET /page.html HTTP/1.0\r\n");
}
