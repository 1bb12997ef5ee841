#include "corvane2/qvGnomeProxySource.h"

#include <chrono>
#include <string>

#include "corvane2/qvBoundedCommand.h"
#include "corvane2/qvGsettingsOutput.h"
#include "corvane2/qvProxyExceptions.h"

namespace {

using Clock = std::chrono::steady_clock;

class GsettingsReader {
 public:
  explicit GsettingsReader(int timeoutMs) : deadline_(Clock::now() + std::chrono::milliseconds(timeoutMs)) {}

  std::optional<std::string> get(const std::string& schema, const std::string& key) const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    if (left <= 0) return std::nullopt;
    return qvBoundedCommand::run("gsettings get " + schema + " " + key, static_cast<int>(left));
  }

 private:
  Clock::time_point deadline_;
};

}  // namespace

std::optional<qvProxySettings> qvGnomeProxySource::read(int timeoutMs) {
  const GsettingsReader gsettings(timeoutMs);
  std::optional<std::string> modeText = gsettings.get("org.gnome.system.proxy", "mode");
  if (!modeText) return std::nullopt;
  std::optional<std::string> mode = qvGsettingsOutput::toString(*modeText);
  if (!mode) return std::nullopt;

  qvProxySettings settings;
  settings.serverGiven = true;
  if (std::optional<std::string> host = gsettings.get("org.gnome.system.proxy.http", "host")) {
    settings.host = qvGsettingsOutput::toString(*host).value_or("");
  }
  if (std::optional<std::string> port = gsettings.get("org.gnome.system.proxy.http", "port")) {
    if (std::optional<std::int64_t> number = qvGsettingsOutput::toInteger(*port)) {
      settings.port = std::to_string(*number);
    }
  }
  settings.enabled = *mode == "manual" && !settings.host.empty();
  if (std::optional<std::string> hosts = gsettings.get("org.gnome.system.proxy", "ignore-hosts")) {
    settings.exceptions = qvProxyExceptions::fromItems(qvGsettingsOutput::toStringList(*hosts).value_or(
        std::vector<std::string>{}));
  }
  return settings;
}
