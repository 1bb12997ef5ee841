#include "corvane2/qvHostList.h"

namespace {

std::string quotedIfNeeded(const std::string& host) {
  const bool needsQuotes = host.empty() || host.find_first_of(" ,\"") != std::string::npos;
  if (!needsQuotes) return host;
  std::string quoted = "\"";
  for (char c : host) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::string qvJoinHostList(const std::vector<std::string>& hosts) {
  std::string joined;
  for (std::size_t i = 0; i < hosts.size(); ++i) {
    if (i > 0) joined += ',';
    joined += quotedIfNeeded(hosts[i]);
  }
  return joined;
}
