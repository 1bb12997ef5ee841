#pragma once
// The parts of an "http://host[:port][/path]" URL the client connects with
// (or "https://", when fetching those is switched on). Parsing either gives
// host (lower case), port and path, or one of the client's "Bad URL" family
// of messages.

#include <cstddef>
#include <string>
#include <string_view>

struct HttpUrl {
  static constexpr std::size_t kLengthLimit = 1024;

  std::string host;
  std::string path = "/";
  int port = 80;
  bool secure = false;  // https: TLS on the connection, port 443 by default

  int defaultPort() const { return secure ? 443 : 80; }
  // host, or host:port when the port is not the scheme's: what a request names.
  std::string authority() const;
};

struct HttpUrlParse {
  bool ok = false;
  HttpUrl url;
  // Empty when ok.
  std::string error;
};

// `allowHttps` lets "https://" URLs through; without it they are refused as
// any other scheme is.
HttpUrlParse parseHttpUrl(std::string_view text, bool allowHttps = false);
