#pragma once
// Firefox's proxy settings, from the default profile's prefs.js with its
// user.js read over it. Firefox folders are looked for in the home folder,
// in the XDG configuration folder, and in the snap and flatpak places. A
// profile that follows the system settings (network.proxy.type 5, the
// default) gives the system's settings.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "corvane2/qvProxySettings.h"

class qvFirefoxPrefs;

class qvFirefoxProxySource {
 public:
  // The folders that may hold a profiles.ini, in the order they are tried.
  static std::vector<std::string> firefoxFolders();
  // The prefs.js of the first default profile that has one; empty if none.
  static std::string prefsPath();
  // Nothing when no default profile has a prefs.js. `system` gives the
  // system's settings when the profile defers to them.
  using SystemSettings = std::function<std::optional<qvProxySettings>()>;
  static std::optional<qvProxySettings> read(const SystemSettings& system);
  // The settings of preferences that do not defer to the system.
  static qvProxySettings fromPrefs(const qvFirefoxPrefs& prefs);
  // True when the preferences defer to the system settings.
  static bool followsSystem(const qvFirefoxPrefs& prefs);
};
