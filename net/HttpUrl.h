#pragma once
// The parts of an "http://host[:port][/path]" URL the client connects with.
// Parsing either gives host (lower case), port and path, or one of the
// client's "Bad URL" family of messages.

#include <cstddef>
#include <string>
#include <string_view>

struct HttpUrl {
  static constexpr std::size_t kLengthLimit = 1024;

  std::string host;
  std::string path = "/";
  int port = 80;

  // host, or host:port when the port is not 80: what a request names.
  std::string authority() const;
};

struct HttpUrlParse {
  bool ok = false;
  HttpUrl url;
  // Empty when ok.
  std::string error;
};

HttpUrlParse parseHttpUrl(std::string_view text);
