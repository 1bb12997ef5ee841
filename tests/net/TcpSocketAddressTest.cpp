#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "net/SocketCodes.h"
#include "net/TcpSocket.h"
#include "tests/net/NetUserInterface.h"
#include "tests/net/SocketTestHelpers.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(TcpSocketAddress, DottedAddressesAndPortsAreConvertedDirectly) {
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  const std::optional<ResolvedAddress> plain = socket.resolve("10.1.2.3");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->address, htonl(0x0a010203));
  EXPECT_EQ(plain->port, 0);
  const std::optional<ResolvedAddress> withPort = socket.resolve("127.0.0.1:8080");
  ASSERT_TRUE(withPort);
  EXPECT_EQ(withPort->address, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(withPort->port, htons(8080));
  EXPECT_EQ(socket.message(), "No error");
  EXPECT_EQ(ui.polls(), 0);
}

TEST(TcpSocketAddress, MalformedAddressTextsAreRefused) {
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  for (const char* text : {"host:", "host:abc", "10.1.2.3:80x", "10.1.2.3:65536", "10.1.2.3:-1", "h:99999999999"}) {
    EXPECT_FALSE(socket.resolve(text)) << text;
    EXPECT_EQ(socket.errorCode(), SocketCode::kBadPort) << text;
    EXPECT_EQ(socket.message(), "Bad port number in address string") << text;
  }
  for (const char* text : {"255.255.255.255", "255.255.255.255:80", "300.1.1.1", ":80"}) {
    EXPECT_FALSE(socket.resolve(text)) << text;
    EXPECT_EQ(socket.errorCode(), SocketCode::kBadAddress) << text;
    EXPECT_EQ(socket.message(), "Bad address or hostname in address string") << text;
  }
}

TEST(TcpSocketAddress, AnUnknownNameFailsWithinTheLookupTimeOut) {
  NetUserInterface ui;
  ui.lookupTimeout = 2;
  TcpSocket socket("TCP", ui);
  socket.readTimeouts();
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(socket.resolve("no-such-host.corvane.invalid:80"));
  EXPECT_LT(millisecondsSince(start), 2500);
  EXPECT_EQ(socket.errorCode(), SocketCode::kCannotResolve);
  EXPECT_EQ(socket.message(), "Cannot resolve hostname in address string");
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(TcpSocketAddress, TheLocalHostNameResolves) {
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  const std::optional<ResolvedAddress> local = socket.resolve("localhost:81");
  ASSERT_TRUE(local) << socket.message();
  EXPECT_EQ(local->address, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(local->port, htons(81));
}

TEST(TcpSocketAddress, ProtocolsOtherThanStreamsAreRefused) {
  NetUserInterface ui;
  const TcpSocket bad("SCTP", ui);
  EXPECT_EQ(bad.errorCode(), SocketCode::kBadProtocol);
  EXPECT_EQ(bad.message(), "Bad Protocol");

  TcpSocket datagram("UDP", ui);
  EXPECT_EQ(datagram.errorCode(), SocketCode::kOk);
  EXPECT_FALSE(datagram.connectTo(ResolvedAddress{htonl(INADDR_LOOPBACK), htons(9)}));
  EXPECT_EQ(datagram.errorCode(), SocketCode::kDatagramUnsupported);
  EXPECT_EQ(datagram.message(), "UDP socket connections not implemented");
  char line[8];
  EXPECT_EQ(datagram.readln(line, sizeof line), -1);
  EXPECT_EQ(datagram.message(), "Cannot readln on a UDP socket");
  EXPECT_FALSE(datagram.disconnect());
  EXPECT_EQ(datagram.message(), "Cannot disconnect a UDP socket");
}

}  // namespace
