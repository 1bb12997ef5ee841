#pragma once
// The proxy the shell environment names: http_proxy (or HTTP_PROXY) and
// no_proxy (or NO_PROXY), read at the time of the call. no_proxy "*" means
// that nothing goes through the proxy.

#include <optional>

#include "corvane2/qvProxySettings.h"

class qvEnvironmentProxySource {
 public:
  // Nothing when no proxy server is named.
  static std::optional<qvProxySettings> read();
};
