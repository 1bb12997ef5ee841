#pragma once
// The desktop's own proxy settings, the place of the system-wide browser
// settings: KDE's when XDG_CURRENT_DESKTOP names KDE, GNOME's (through
// gsettings) on the GNOME family of desktops, else the environment, which
// also stands in when the desktop's settings cannot be read.

#include <optional>
#include <string_view>

#include "corvane2/qvProxySettings.h"

class qvSystemProxySource {
 public:
  enum class Desktop { Kde, Gnome, Other };

  // The desktop a colon-separated XDG_CURRENT_DESKTOP names.
  static Desktop desktop(std::string_view currentDesktop);
  // Blocks for up to the gsettings bound on GNOME desktops.
  static std::optional<qvProxySettings> read();
};
