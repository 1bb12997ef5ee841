#pragma once
// Shared steps of the socket tests.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/TcpSocket.h"

inline ::testing::AssertionResult connectSocket(TcpSocket& socket, const std::string& address) {
  const std::optional<ResolvedAddress> peer = socket.resolve(address);
  if (!peer) return ::testing::AssertionFailure() << "resolve: " << socket.message();
  if (!socket.connectTo(*peer)) return ::testing::AssertionFailure() << "connect: " << socket.message();
  return ::testing::AssertionSuccess();
}

// Reads lines until the end of the stream or a failure; the last element
// is the final result's text ("<end>" or "<failed>").
inline std::vector<std::string> readAllLines(TcpSocket& socket, int bufferSize) {
  std::vector<std::string> lines;
  std::string buffer(static_cast<std::size_t>(bufferSize), '\x7f');
  for (;;) {
    const int got = socket.readln(buffer.data(), bufferSize);
    if (got <= 0) {
      lines.push_back(got == 0 ? "<end>" : "<failed>");
      return lines;
    }
    EXPECT_EQ(buffer[static_cast<std::size_t>(got)], '\0');
    lines.emplace_back(buffer.data(), static_cast<std::size_t>(got));
  }
}

inline long long millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
