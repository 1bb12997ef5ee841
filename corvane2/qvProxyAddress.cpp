#include "corvane2/qvProxyAddress.h"

#include <algorithm>
#include <cctype>

#include "base/qvTextUtil.h"

namespace {

std::string portText(std::string_view port) {
  port = qvTrim(port);
  if (port.empty()) return "80";
  bool digits = port.size() <= 5 && std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
  return digits ? std::string(port) : std::string();
}

}  // namespace

std::optional<qvProxyAddress> qvProxyAddress::parse(std::string_view url) {
  url = qvTrim(url);
  size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) {
    // The engine speaks HTTP to its proxy; a SOCKS server is no HTTP proxy.
    std::string name(url.substr(0, scheme));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name != "http" && name != "https") return std::nullopt;
    url.remove_prefix(scheme + 3);
  }
  // KDE separates the port with a blank; the rest of the text is the port.
  std::string_view blankPort;
  size_t blank = url.find_first_of(" \t");
  if (blank != std::string_view::npos) {
    blankPort = qvTrim(url.substr(blank));
    url = url.substr(0, blank);
  }
  url = url.substr(0, url.find_first_of("/?#"));
  size_t at = url.rfind('@');
  if (at != std::string_view::npos) url.remove_prefix(at + 1);

  qvProxyAddress address;
  std::string_view port;
  if (!url.empty() && url.front() == '[') {
    size_t close = url.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    address.host = std::string(url.substr(1, close - 1));
    std::string_view rest = url.substr(close + 1);
    if (!rest.empty() && rest.front() == ':') port = rest.substr(1);
  } else {
    size_t colon = url.find(':');
    address.host = std::string(url.substr(0, colon));
    if (colon != std::string_view::npos) port = url.substr(colon + 1);
  }
  if (address.host.empty()) return std::nullopt;
  address.port = portText(port.empty() ? blankPort : port);
  return address;
}
