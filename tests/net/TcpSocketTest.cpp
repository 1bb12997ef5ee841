#include "net/TcpSocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "net/SocketCodes.h"
#include "net/SystemError.h"
#include "tests/net/NetUserInterface.h"
#include "tests/net/SocketTestHelpers.h"
#include "tests/support/ScriptedServer.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(TcpSocket, ExchangesLinesWithAPeer) {
  ScriptedServer server(
      ServerScript().await("hello\r\n", 2000).send("first line\r\nsecond\n").close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  EXPECT_TRUE(socket.isConnected());
  EXPECT_EQ(socket.local().address, htonl(INADDR_LOOPBACK));
  EXPECT_NE(socket.local().port, 0);

  ASSERT_TRUE(socket.write("hello\r\n"));
  long progress = 5;
  char line[64];
  EXPECT_EQ(socket.readln(line, sizeof line, &progress), 12);
  EXPECT_STREQ(line, "first line\r\n");
  EXPECT_EQ(socket.readln(line, sizeof line, &progress), 7);
  EXPECT_STREQ(line, "second\n");
  EXPECT_EQ(socket.readln(line, sizeof line, &progress), 0);
  EXPECT_EQ(socket.errorCode(), SocketCode::kOk);
  EXPECT_EQ(socket.message(), "No error");
  EXPECT_EQ(progress, 5 + 19);
  EXPECT_EQ(ui.lastReportedBytes, progress);

  EXPECT_TRUE(socket.disconnect());
  EXPECT_FALSE(socket.isConnected());
  ASSERT_TRUE(server.waitForFinished(1, std::chrono::seconds(2)));
  EXPECT_EQ(server.received(0), "hello\r\n");
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(TcpSocket, WritesFormattedTextOfAnyLength) {
  const std::string path(5000, 'p');
  ScriptedServer server(ServerScript().await("\r\n\r\n", 2000).close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ASSERT_TRUE(socket.writeFormatted("GET /%s HTTP/1.0\r\nX-N: %d\r\n\r\n", path.c_str(), 42));
  ASSERT_TRUE(server.waitForFinished(1, std::chrono::seconds(2)));
  EXPECT_EQ(server.received(0), "GET /" + path + " HTTP/1.0\r\nX-N: 42\r\n\r\n");
}

TEST(TcpSocket, LongLinesComeInPiecesOfTheCallersBuffer) {
  const std::string longLine = std::string(3000, 'a') + "\n";
  ScriptedServer server(ServerScript().send(longLine + "tail\n").close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  const std::vector<std::string> lines = readAllLines(socket, 100);
  ASSERT_EQ(lines.size(), 31u + 2u);
  for (std::size_t i = 0; i + 3 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 99u) << i;
  EXPECT_EQ(std::accumulate(lines.begin(), lines.end() - 2, std::string()), longLine);
  EXPECT_EQ(lines[lines.size() - 2], "tail\n");
  EXPECT_EQ(lines.back(), "<end>");
}

TEST(TcpSocket, ALineLongerThanTheLineBufferArrivesWhole) {
  const std::string longLine = std::string(5000, 'b') + "\n";
  ScriptedServer server(ServerScript().send(longLine).close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  EXPECT_EQ(readAllLines(socket, 8000), (std::vector<std::string>{longLine, "<end>"}));
}

TEST(TcpSocket, DrippedBytesSplitIntoTheSameLines) {
  ScriptedServer server(ServerScript().drip("ab\ncd\r\n\nef", 3).close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  char tiny[1] = {'x'};
  EXPECT_EQ(socket.readln(tiny, 1), 0);
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_EQ(socket.readln(tiny, 0), 0);
  EXPECT_EQ(readAllLines(socket, 64), (std::vector<std::string>{"ab\n", "cd\r\n", "\n", "ef", "<end>"}));
}

TEST(TcpSocket, BlockReadsServeWhatLineReadsLeftFirst) {
  ScriptedServer server(ServerScript().send("line\nBLOCKDATA").pause(50).send("more").close());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  char line[16];
  ASSERT_EQ(socket.readln(line, sizeof line), 5);
  char block[64] = {};
  ASSERT_EQ(socket.read(block, 5), 5);
  EXPECT_EQ(std::string(block, 5), "BLOCK");
  ASSERT_EQ(socket.read(block, sizeof block), 4);
  EXPECT_EQ(std::string(block, 4), "DATA");
  std::string rest;
  for (int got; (got = socket.read(block, sizeof block)) > 0;) rest.append(block, static_cast<std::size_t>(got));
  EXPECT_EQ(rest, "more");
  EXPECT_EQ(socket.errorCode(), SocketCode::kOk);
}

TEST(TcpSocket, ASilentPeerTimesOutReadsAfterTheSetting) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  ui.readWriteTimeout = 1;
  TcpSocket socket("TCP", ui);
  socket.readTimeouts();
  ASSERT_TRUE(connectSocket(socket, server.address()));

  char line[64];
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(socket.readln(line, sizeof line), -1);
  const long long waited = millisecondsSince(start);
  EXPECT_GE(waited, 950);
  EXPECT_LT(waited, 1500);
  EXPECT_EQ(socket.errorCode(), SocketCode::kTimedOut);
  EXPECT_EQ(socket.message(), "Read timed out");
  EXPECT_EQ(socket.systemError(), SystemError::kTimedOut);

  EXPECT_EQ(socket.read(line, sizeof line), -1);
  EXPECT_EQ(socket.message(), "Read timed out");
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(TcpSocket, WritesToAPeerThatNeverReadsTimeOut) {
  ScriptedServer server(ServerScript().stall());
  NetUserInterface ui;
  ui.readWriteTimeout = 1;
  TcpSocket socket("TCP", ui);
  socket.readTimeouts();
  ASSERT_TRUE(connectSocket(socket, server.address()));
  const std::string block(1 << 20, 'w');
  bool written = true;
  Clock::time_point lastStart = Clock::now();
  for (int i = 0; i < 256 && written; ++i) {
    lastStart = Clock::now();
    written = socket.write(block);
  }
  ASSERT_FALSE(written);
  EXPECT_GE(millisecondsSince(lastStart), 950);
  EXPECT_EQ(socket.errorCode(), SocketCode::kTimedOut);
  EXPECT_EQ(socket.message(), "Write timed out");
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(TcpSocket, AZeroTimeOutFailsAWaitAtOnce) {
  ScriptedServer server(ServerScript().silent());
  NetUserInterface ui;
  ui.readWriteTimeout = 0;
  TcpSocket socket("TCP", ui);
  socket.readTimeouts();
  ASSERT_TRUE(connectSocket(socket, server.address()));
  char line[8];
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(socket.readln(line, sizeof line), -1);
  EXPECT_LT(millisecondsSince(start), 100);
  EXPECT_EQ(socket.message(), "Read timed out");
}

TEST(TcpSocket, ARefusedConnectionFailsAndLeavesTheSocketClosed) {
  const UnlistenedPort port;
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  EXPECT_FALSE(connectSocket(socket, port.address()));
  EXPECT_EQ(socket.errorCode(), SocketCode::kCannotConnect);
  EXPECT_EQ(socket.message(), "Cannot connect");
  EXPECT_EQ(socket.systemError(), SystemError::kConnectionRefused);
  EXPECT_FALSE(socket.isConnected());

  char line[8];
  EXPECT_EQ(socket.readln(line, sizeof line), -1);
  EXPECT_EQ(socket.errorCode(), SocketCode::kNotConnected);
  EXPECT_EQ(socket.message(), "Not connected");
  EXPECT_FALSE(socket.write("x"));
  EXPECT_EQ(socket.errorCode(), SocketCode::kNotConnected);
  EXPECT_EQ(socket.read(line, sizeof line), -1);
  EXPECT_EQ(socket.errorCode(), SocketCode::kNotConnected);
}

TEST(TcpSocket, AConnectThatIsNeverAcceptedTimesOut) {
  const FullBacklogPort port;
  NetUserInterface ui;
  ui.connectTimeout = 1;
  TcpSocket socket("TCP", ui);
  socket.readTimeouts();
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(connectSocket(socket, port.address()));
  const long long waited = millisecondsSince(start);
  EXPECT_GE(waited, 950);
  EXPECT_LT(waited, 1500);
  EXPECT_EQ(socket.errorCode(), SocketCode::kTimedOut);
  EXPECT_EQ(socket.message(), "Connect timed out");
  EXPECT_FALSE(socket.isConnected());
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(TcpSocket, AResetInTheMiddleOfAReadFailsIt) {
  ScriptedServer server(ServerScript().send("partial").pause(100).reset());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  char line[64];
  EXPECT_EQ(socket.readln(line, sizeof line), -1);
  EXPECT_EQ(socket.errorCode(), SocketCode::kReadFailed);
  EXPECT_EQ(socket.message(), "Connection reset by peer");
  EXPECT_EQ(socket.systemError(), SystemError::kConnectionReset);
  EXPECT_TRUE(ui.warnings.empty());
}

TEST(TcpSocket, WritingToAPeerThatHasGoneFailsWithoutASignal) {
  // The peer resets only once it has heard from us: a reset before then could
  // reach the connect itself.
  ScriptedServer server(ServerScript().await("hello", 2000).reset());
  NetUserInterface ui;
  TcpSocket socket("TCP", ui);
  ASSERT_TRUE(connectSocket(socket, server.address()));
  ASSERT_TRUE(socket.write("hello"));
  ASSERT_TRUE(server.waitForFinished(1, std::chrono::seconds(2)));
  const std::string block(64 * 1024, 'w');
  bool written = true;
  for (int i = 0; i < 100 && written; ++i) written = socket.write(block);
  ASSERT_FALSE(written);
  EXPECT_EQ(socket.errorCode(), SocketCode::kWriteFailed);
  EXPECT_TRUE(socket.message() == "Connection reset by peer" || socket.message() == "Connection unexpectedly closed")
      << socket.message();
}

}  // namespace
