#pragma once
// KDE's proxy settings: the [Proxy Settings] group of kioslaverc in the
// user's configuration folder. ProxyType 1 is a manual proxy, 4 defers to
// the environment; automatic configuration and "none" read as off.

#include <optional>
#include <string>
#include <string_view>

#include "corvane2/qvProxySettings.h"

class qvKdeProxySource {
 public:
  // $XDG_CONFIG_HOME/kioslaverc, else ~/.config/kioslaverc.
  static std::string configPath();
  // Nothing when the file holds no proxy type.
  static std::optional<qvProxySettings> read();
  // The same from the file's text.
  static std::optional<qvProxySettings> fromText(std::string_view kioslaverc);
};
