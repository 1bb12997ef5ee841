#include "corvane2/qvFirefoxProxySource.h"

#include <cstdlib>

#include "corvane2/qvFirefoxPrefs.h"
#include "corvane2/qvFirefoxProfiles.h"
#include "corvane2/qvProxyExceptions.h"
#include "corvane2/qvTextFile.h"

namespace {

constexpr std::int64_t kManual = 1;
constexpr std::int64_t kSystem = 5;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::vector<std::string> qvFirefoxProxySource::firefoxFolders() {
  const std::string home = environment("HOME");
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = home + "/.config";
  std::vector<std::string> folders;
  if (!home.empty()) folders.push_back(home + "/.mozilla/firefox");
  if (!config.empty() && config != "/.config") folders.push_back(config + "/mozilla/firefox");
  if (!home.empty()) {
    folders.push_back(home + "/snap/firefox/common/.mozilla/firefox");
    folders.push_back(home + "/.var/app/org.mozilla.firefox/.mozilla/firefox");
  }
  return folders;
}

std::string qvFirefoxProxySource::prefsPath() {
  for (const std::string& folder : firefoxFolders()) {
    std::optional<std::string> ini = qvTextFile::read(folder + "/profiles.ini");
    if (!ini) continue;
    std::optional<std::string> profile = qvFirefoxProfiles::defaultProfile(*ini, folder);
    if (profile && qvTextFile::isRegularFile(*profile + "/prefs.js")) return *profile + "/prefs.js";
  }
  return {};
}

bool qvFirefoxProxySource::followsSystem(const qvFirefoxPrefs& prefs) {
  return prefs.integer("network.proxy.type").value_or(kSystem) == kSystem;
}

qvProxySettings qvFirefoxProxySource::fromPrefs(const qvFirefoxPrefs& prefs) {
  qvProxySettings settings;
  settings.serverGiven = true;
  settings.host = prefs.text("network.proxy.http").value_or("");
  const std::int64_t port = prefs.integer("network.proxy.http_port").value_or(0);
  settings.port = port >= 0 && port <= 65535 ? std::to_string(port) : std::string();
  // Firefox sends plain HTTP straight out when the manual setting names no
  // HTTP proxy; automatic configuration (2, 4) cannot be followed here.
  settings.enabled = prefs.integer("network.proxy.type") == kManual && !settings.host.empty();
  settings.exceptions = qvProxyExceptions::fromList(prefs.text("network.proxy.no_proxies_on").value_or(""));
  return settings;
}

std::optional<qvProxySettings> qvFirefoxProxySource::read(const SystemSettings& system) {
  const std::string prefsFile = prefsPath();
  if (prefsFile.empty()) return std::nullopt;
  qvFirefoxPrefs prefs;
  prefs.parse(qvTextFile::read(prefsFile).value_or(""));
  const std::string userFile = prefsFile.substr(0, prefsFile.size() - 8) + "user.js";
  if (std::optional<std::string> user = qvTextFile::read(userFile)) prefs.parse(*user);
  if (followsSystem(prefs)) {
    if (std::optional<qvProxySettings> settings = system()) return settings;
  }
  return fromPrefs(prefs);
}
