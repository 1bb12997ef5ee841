#include "corvane2/qvRegistryProxySource.h"

#include <string>
#include <vector>

#include "platform/qvRegistry.h"

namespace {

// An empty item names no host; kept, it would show as a blank line in the
// list for the user to delete (a key without "ProxyOverride" would give one).
void addItem(std::vector<std::string>& list, std::string item) {
  if (!item.empty()) list.push_back(std::move(item));
}

std::vector<std::string> overrideList(const std::string& text) {
  std::vector<std::string> list;
  size_t start = 0;
  size_t semicolon;
  while ((semicolon = text.find(';', start)) != std::string::npos) {
    addItem(list, text.substr(start, semicolon - start));
    start = semicolon + 1;
  }
  std::string last = text.substr(start);
  if (last != "<local>") addItem(list, std::move(last));
  return list;
}

std::vector<std::string> lineList(const std::string& text) {
  std::vector<std::string> list;
  size_t start = 0;
  while (start <= text.size()) {
    size_t newline = text.find('\n', start);
    if (newline == std::string::npos) newline = text.size();
    std::string line = text.substr(start, newline - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    addItem(list, std::move(line));
    start = newline + 1;
  }
  return list;
}

}  // namespace

std::optional<qvProxySettings> qvRegistryProxySource::explorer() {
  if (!registry_.keyExists(kExplorerKey)) return std::nullopt;
  qvProxySettings settings;
  std::string server = registry_.readString(kExplorerKey, "ProxyServer").value_or("");
  size_t http = server.find("http=");
  if (http != std::string::npos) {
    server = server.substr(http + 5);
    server = server.substr(0, server.find(';'));
    size_t colon = server.find(':');
    if (colon != std::string::npos) {
      settings.serverGiven = true;
      settings.host = server.substr(0, colon);
      settings.port = server.substr(colon + 1, 5);
      settings.enabled = registry_.readDword(kExplorerKey, "ProxyEnable").value_or(0) != 0;
    }
  }
  settings.exceptions = overrideList(registry_.readString(kExplorerKey, "ProxyOverride").value_or(""));
  return settings;
}

std::optional<qvProxySettings> qvRegistryProxySource::navigator() {
  if (!registry_.keyExists(kNavigatorKey)) return std::nullopt;
  qvProxySettings settings;
  settings.serverGiven = true;
  settings.host = registry_.readString(kNavigatorKey, "HTTP_Proxy").value_or("");
  settings.port = std::to_string(registry_.readDword(kNavigatorKey, "HTTP_ProxyPort").value_or(0));
  settings.enabled = registry_.readDword(kNavigatorKey, "Proxy Type").value_or(0) != 0;
  settings.exceptions = lineList(registry_.readString(kNavigatorKey, "No_Proxy").value_or(""));
  return settings;
}
