#pragma once
// The two browsers' proxy keys in the current user's registry file, read the
// way the window has always cloned them. They exist on machines whose
// registry file was carried over, or written by hand.

#include <optional>

#include "corvane2/qvProxySettings.h"

class qvRegistry;

class qvRegistryProxySource {
 public:
  static constexpr const char* kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  static constexpr const char* kNavigatorKey = "Software\\Netscape\\Netscape Navigator\\Proxy Information";

  explicit qvRegistryProxySource(qvRegistry& registry) : registry_(registry) {}

  // Nothing when the key does not exist (it is never created).
  std::optional<qvProxySettings> explorer();
  std::optional<qvProxySettings> navigator();

 private:
  qvRegistry& registry_;
};
