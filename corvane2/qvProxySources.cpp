#include "corvane2/qvProxySources.h"

#include "corvane2/qvFirefoxProxySource.h"
#include "corvane2/qvRegistryProxySource.h"
#include "corvane2/qvSystemProxySource.h"

qvProxySnapshot qvProxySources::read() {
  // Both buttons may need the system settings; gsettings runs once.
  std::optional<std::optional<qvProxySettings>> system;
  auto systemSettings = [&system]() {
    if (!system) system = qvSystemProxySource::read();
    return *system;
  };
  qvRegistryProxySource registry(registry_);
  qvProxySnapshot snapshot;
  snapshot.navigator = registry.navigator();
  if (!snapshot.navigator) snapshot.navigator = qvFirefoxProxySource::read(systemSettings);
  snapshot.explorer = registry.explorer();
  if (!snapshot.explorer) snapshot.explorer = systemSettings();
  return snapshot;
}
