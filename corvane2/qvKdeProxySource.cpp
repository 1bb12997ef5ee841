#include "corvane2/qvKdeProxySource.h"

#include <cstdlib>

#include "corvane2/qvEnvironmentProxySource.h"
#include "corvane2/qvIniFile.h"
#include "corvane2/qvProxyAddress.h"
#include "corvane2/qvProxyExceptions.h"
#include "corvane2/qvTextFile.h"

namespace {

constexpr const char* kManual = "1";
constexpr const char* kEnvironment = "4";

}  // namespace

std::string qvKdeProxySource::configPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return std::string(config) + "/kioslaverc";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return std::string(home) + "/.config/kioslaverc";
}

std::optional<qvProxySettings> qvKdeProxySource::read() {
  const std::string path = configPath();
  if (path.empty()) return std::nullopt;
  std::optional<std::string> text = qvTextFile::read(path);
  if (!text) return std::nullopt;
  return fromText(*text);
}

std::optional<qvProxySettings> qvKdeProxySource::fromText(std::string_view kioslaverc) {
  const qvIniFile file = qvIniFile::parse(kioslaverc);
  const qvIniFile::Section* group = file.section("Proxy Settings");
  if (group == nullptr) return std::nullopt;
  std::optional<std::string> type = group->value("ProxyType");
  if (!type) return std::nullopt;
  if (*type == kEnvironment) return qvEnvironmentProxySource::read();

  qvProxySettings settings;
  settings.serverGiven = true;
  if (std::optional<qvProxyAddress> address = qvProxyAddress::parse(group->value("httpProxy").value_or(""))) {
    settings.host = address->host;
    settings.port = address->port;
  }
  settings.enabled = *type == kManual && !settings.host.empty();
  // With ReversedException the list names the only hosts that use the
  // proxy, which the engine cannot express; no exceptions is the nearer.
  if (group->value("ReversedException").value_or("false") != "true") {
    settings.exceptions = qvProxyExceptions::fromList(group->value("NoProxyFor").value_or(""));
  }
  return settings;
}
