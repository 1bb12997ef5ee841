#include "net/HttpUrl.h"

#include "base/qvTextUtil.h"

namespace {

HttpUrlParse failed(const char* message) {
  HttpUrlParse result;
  result.error = message;
  return result;
}

}  // namespace

std::string HttpUrl::authority() const {
  return port == defaultPort() ? host : host + ":" + std::to_string(port);
}

HttpUrlParse parseHttpUrl(std::string_view text, bool allowHttps) {
  if (text.empty()) return failed("Bad URL");
  if (text.size() >= HttpUrl::kLengthLimit) return failed("URL too long");
  HttpUrlParse result;
  const std::string scheme = qvLowerCase(text.substr(0, 4)) + std::string(text.substr(4, 3));
  const std::string secureScheme = qvLowerCase(text.substr(0, 5)) + std::string(text.substr(5, 3));
  if (allowHttps && secureScheme == "https://") {
    result.url.secure = true;
    result.url.port = 443;
  } else if (scheme != "http://") {
    return failed("URL does not begin with http://");
  }
  std::string_view rest = text.substr(result.url.secure ? 8 : 7);
  const std::size_t hostEnd = rest.find_first_of("/:");
  result.url.host = qvLowerCase(rest.substr(0, hostEnd));
  if (result.url.host.empty()) return failed("No hostname found in URL");
  rest = hostEnd == std::string_view::npos ? std::string_view() : rest.substr(hostEnd);

  if (!rest.empty() && rest.front() == ':') {
    rest.remove_prefix(1);
    long port = 0;
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
      port = port * 10 + (rest[digits] - '0');
      if (port > 65535) return failed("Bad port in URL");
      ++digits;
    }
    if (port == 0) return failed("Bad port in URL");
    result.url.port = static_cast<int>(port);
    rest.remove_prefix(digits);
  }
  if (!rest.empty()) {
    if (rest.front() != '/') return failed("Bad path in URL");
    result.url.path = std::string(rest);
  }
  result.ok = true;
  return result;
}
