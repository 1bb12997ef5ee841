#include "net/SystemError.h"

#include <cerrno>

namespace SystemError {

int fromErrno(int error) {
  switch (error) {
    case 0:
      return kNone;
    case EINTR:
      return kInterrupted;
    case ENETDOWN:
      return kNetworkDown;
    case ENETUNREACH:
      return kNetworkUnreachable;
    case ECONNRESET:
      return kConnectionReset;
    case ENOBUFS:
      return kNoBuffers;
    case ENOTCONN:
    case EPIPE:
      return kNotConnected;
    case ETIMEDOUT:
      return kTimedOut;
    case ECONNREFUSED:
      return kConnectionRefused;
    case EHOSTUNREACH:
      return kHostUnreachable;
    default:
      return 10000 + error;
  }
}

}  // namespace SystemError
