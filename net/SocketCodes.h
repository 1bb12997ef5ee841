#pragma once
// Result codes of the socket layer, kept in a TcpSocket's error code after
// each operation. The HTTP client passes them on to its own callers, so the
// numbers never change meaning.

namespace SocketCode {
enum : int {
  kOk = 0,
  kCannotSetAsync = -229,
  kTimedOut = -233,
  kCancelled = -234,
  kCertificateRefused = -241,
  kCannotResolve = -242,
  kSecureConnectionFailed = -243,
  kReadFailed = -245,
  kWriteFailed = -246,
  kNotConnected = -247,
  kCannotConnect = -248,
  kCannotAllocate = -249,
  kDatagramUnsupported = -251,
  kBadAddress = -253,
  kBadPort = -254,
  kBadProtocol = -255,
};
}  // namespace SocketCode
