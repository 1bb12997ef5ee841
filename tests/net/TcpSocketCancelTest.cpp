#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "net/SocketCodes.h"
#include "net/SystemError.h"
#include "net/TcpSocket.h"
#include "tests/net/NetUserInterface.h"
#include "tests/net/SocketTestHelpers.h"
#include "tests/support/ScriptedServer.h"

namespace {

using Clock = std::chrono::steady_clock;

void expectCancelled(const TcpSocket& socket, const NetUserInterface& ui, const std::string& text) {
  EXPECT_EQ(socket.errorCode(), SocketCode::kCancelled);
  EXPECT_EQ(socket.message(), text);
  EXPECT_EQ(socket.systemError(), SystemError::kInterrupted);
  EXPECT_EQ(ui.warnings, std::vector<std::string>{text});
}

TEST(TcpSocketCancel, ASkipEndsAWaitingReadPromptly) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ui.skipOnPoll(8);
  char line[64];
  EXPECT_EQ(socket.readln(line, sizeof line), -1);
  EXPECT_LT(millisecondsSince(ui.skipTime()), 100);
  expectCancelled(socket, ui, "Read cancelled by user");
  EXPECT_FALSE(socket.isConnected());
  EXPECT_TRUE(socket.disconnect());
}

TEST(TcpSocketCancel, ASkipEndsABlockRead) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ui.skipOnPoll(3);
  char block[64];
  EXPECT_EQ(socket.read(block, sizeof block), -1);
  EXPECT_LT(millisecondsSince(ui.skipTime()), 100);
  expectCancelled(socket, ui, "User cancelled read");
}

// Data that is always ready never makes a read wait, so the skip must be
// heeded before each receive as well as during waits.
TEST(TcpSocketCancel, ASkipEndsAReadWhileDataFlows) {
  ScriptedServer server(ServerScript().send(std::string(32 << 20, 'x')).close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ui.skipOnPoll(200);
  std::string buffer(1 << 16, '\0');
  long total = 0;
  int got = 0;
  while ((got = socket.readln(buffer.data(), static_cast<int>(buffer.size()), &total)) > 0) {
  }
  EXPECT_EQ(got, -1);
  EXPECT_LT(millisecondsSince(ui.skipTime()), 100);
  EXPECT_LT(total, 32L << 20);
  expectCancelled(socket, ui, "Read cancelled by user");
}

TEST(TcpSocketCancel, ASkipEndsAWrite) {
  ScriptedServer server(ServerScript().stall());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ui.skipOnPoll(10);
  EXPECT_FALSE(socket.write(std::string(64 << 20, 'w')));
  EXPECT_LT(millisecondsSince(ui.skipTime()), 100);
  expectCancelled(socket, ui, "Write cancelled by user");
  EXPECT_FALSE(socket.isConnected());
}

TEST(TcpSocketCancel, ASkipEndsAWaitingConnect) {
  const FullBacklogPort port;
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  const std::optional<ResolvedAddress> peer = socket.resolve(port.address());
  ASSERT_TRUE(peer);
  ui.skipOnPoll(4);
  EXPECT_FALSE(socket.connectTo(*peer));
  EXPECT_LT(millisecondsSince(ui.skipTime()), 100);
  expectCancelled(socket, ui, "Connect cancelled by user");
  EXPECT_FALSE(socket.isConnected());
}

TEST(TcpSocketCancel, ASkipBeforeConnectOrLookupCancelsThem) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  const std::optional<ResolvedAddress> peer = socket.resolve(server.address());
  ASSERT_TRUE(peer);
  ui.skipOnPoll(1);
  EXPECT_FALSE(socket.connectTo(*peer));
  expectCancelled(socket, ui, "Connect cancelled by user");
  EXPECT_FALSE(socket.isConnected());

  NetUserInterface lookupUi;
  TcpSocket lookupSocket("TCP", lookupUi);
  lookupUi.skipOnPoll(1);
  EXPECT_FALSE(lookupSocket.resolve("corvane-test.invalid:80"));
  expectCancelled(lookupSocket, lookupUi, "User cancelled hostname lookup");
}

TEST(TcpSocketCancel, TheEndOfTheRunCancelsAWait) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ui.exiting = true;
  char line[8];
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(socket.readln(line, sizeof line), -1);
  EXPECT_LT(millisecondsSince(start), 100);
  expectCancelled(socket, ui, "Read cancelled by user");
}

// After a cancel the descriptor's number is free for the next file opened;
// disconnecting must not close that file.
TEST(TcpSocketCancel, DisconnectAfterACancelLeavesOtherFilesOpen) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ui.skipOnPoll(1);
  char line[8];
  ASSERT_EQ(socket.readln(line, sizeof line), -1);
  const int file = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(file, 0);
  EXPECT_TRUE(socket.disconnect());
  EXPECT_NE(::fcntl(file, F_GETFD), -1);
  ::close(file);
}

}  // namespace
