#pragma once
// System error numbers as the socket layer records them. They follow the
// Winsock numbering (10000 plus the BSD number), which describeError and the
// HTTP client's messages are written against; errno values are translated.

namespace SystemError {
enum : int {
  kNone = 0,
  kInterrupted = 10004,  // also: the user cancelled the wait
  kNetworkDown = 10050,
  kNetworkUnreachable = 10051,
  kConnectionReset = 10054,
  kNoBuffers = 10055,
  kNotConnected = 10057,
  kTimedOut = 10060,
  kConnectionRefused = 10061,
  kHostUnreachable = 10065,
  kHostNotFound = 11001,
};

// The number recorded for an errno value. Errors without a Winsock
// counterpart become 10000 + errno, so that describeError's fallback
// ("errorcode N") shows the errno itself.
int fromErrno(int error);
}  // namespace SystemError
