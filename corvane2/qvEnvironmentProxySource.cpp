#include "corvane2/qvEnvironmentProxySource.h"

#include <cstdlib>
#include <string>

#include "corvane2/qvProxyAddress.h"
#include "corvane2/qvProxyExceptions.h"

namespace {

std::string variable(const char* lower, const char* upper) {
  for (const char* name : {lower, upper}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

bool allHosts(const std::string& noProxy) {
  size_t first = noProxy.find_first_not_of(" \t");
  size_t last = noProxy.find_last_not_of(" \t");
  return first != std::string::npos && noProxy.substr(first, last - first + 1) == "*";
}

}  // namespace

std::optional<qvProxySettings> qvEnvironmentProxySource::read() {
  std::optional<qvProxyAddress> address = qvProxyAddress::parse(variable("http_proxy", "HTTP_PROXY"));
  if (!address) return std::nullopt;
  const std::string noProxy = variable("no_proxy", "NO_PROXY");
  qvProxySettings settings;
  settings.serverGiven = true;
  settings.host = address->host;
  settings.port = address->port;
  settings.enabled = !allHosts(noProxy);
  settings.exceptions = qvProxyExceptions::fromList(noProxy);
  return settings;
}
