#pragma once
// The GNOME family's proxy settings (org.gnome.system.proxy), read through
// the gsettings program so that whichever settings backend the session uses
// answers. Blocks for up to the time bound: never call it on the window
// thread.

#include <optional>

#include "corvane2/qvProxySettings.h"

class qvGnomeProxySource {
 public:
  // The bound for all gsettings runs of one read together.
  static constexpr int kTimeoutMs = 2000;

  // Nothing when gsettings or the schema is missing, or does not answer in
  // time.
  static std::optional<qvProxySettings> read(int timeoutMs = kTimeoutMs);
};
