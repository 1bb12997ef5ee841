#include "ui/qvConsoleSettings.h"

#include <algorithm>
#include <cstdint>

#include "platform/qvRegistry.h"

namespace {

const char* const kSettingsKey = "Software\\Lorimund\\Corvane\\v1.1\\Settings";
const char* const kProfilesKey = "Software\\Lorimund\\Corvane\\v1.1\\Urls\\";

// The list values hold their lines, each ended by CR LF.
std::string commaList(const std::vector<std::uint8_t>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    if (!out.empty()) out += ',';
    if (item.find_first_of(" ,\"") != std::string::npos || item.empty()) {
      std::string quoted = "\"";
      for (char c : item) {
        quoted += c;
        if (c == '"') quoted += '"';
      }
      item = quoted + "\"";
    }
    out += item;
    start = end + 2;
  }
  return out;
}

bool isNumber(const std::string& text) {
  return !text.empty() && text.size() < 10 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

qvConsoleSettings qvConsoleSettings::defaults() {
  qvConsoleSettings s;
  s.toggles = 0x20;
  s.values = {{10, 30}, {11, 30}, {12, 1}, {15, 30}, {17, 1}, {19, 20}, {21, 1}, {23, 30}};
  s.strings[25] = "Corvane/1.1";
  return s;
}

void qvConsoleSettings::readRegistry(qvRegistry& registry, const std::string& startPoint) {
  auto flag = [&](const std::string& key, const char* name, int index) {
    if (auto v = registry.readDword(key, name)) values[index] = *v != 0;
  };
  auto number = [&](const std::string& key, const char* name, int index) {
    if (auto v = registry.readDword(key, name)) values[index] = static_cast<int>(*v);
  };
  auto toggle = [&](const std::string& key, const char* name, int bit) {
    if (auto v = registry.readDword(key, name)) toggles = *v ? (toggles | bit) : (toggles & ~bit);
  };
  if (registry.keyExists(kSettingsKey)) {
    flag(kSettingsKey, "EnableCache", 17);
    flag(kSettingsKey, "ValidateFiles", 21);
    flag(kSettingsKey, "CacheCGI", 22);
    flag(kSettingsKey, "EnableProxy", 9);
    number(kSettingsKey, "MaxCacheSize", 19);
    number(kSettingsKey, "CacheExpiresIn", 23);
    if (auto host = registry.readString(kSettingsKey, "HttpProxyName")) strings[7] = *host;
    if (auto port = registry.readString(kSettingsKey, "HttpProxyPort")) {
      // A port that is not a number switches the proxy off, as the window does.
      if (isNumber(*port)) {
        values[8] = std::stoi(*port);
      } else {
        values[8] = 0;
        values[9] = 0;
      }
    }
    if (auto list = registry.readBinary(kSettingsKey, "NoProxyFor")) strings[14] = commaList(*list);
    if (auto agent = registry.readString(kSettingsKey, "UserAgent"); agent && !agent->empty()) strings[25] = *agent;
  }
  std::string profileName = startPoint;
  std::replace(profileName.begin(), profileName.end(), '\\', '/');
  std::string profile = kProfilesKey + profileName;
  if (profileName.empty() || !registry.keyExists(profile)) profile = std::string(kProfilesKey) + "default";
  if (!registry.keyExists(profile)) return;
  number(profile, "MaxUrls", 1);
  number(profile, "MaxDepth", 2);
  if (auto colour = registry.readDword(profile, "BackgroundColour")) values[3] = *colour <= 3 ? static_cast<int>(*colour) : 0;
  flag(profile, "BrowseButtons", 16);
  flag(profile, "OfflineMode", 20);
  toggle(profile, "SiteWide", 0x1);
  toggle(profile, "NoImages", 0x2);
  toggle(profile, "RetrieveCGI", 0x10);
  if (auto name = registry.readString(profile, "OutputName"); name && !name->empty()) strings[4] = *name;
  if (auto seconds = registry.readDword(profile, "MaxRunTime"); seconds && *seconds > 0) {
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(*seconds);
  }
}

int qvConsoleSettings::value(int index) const {
  auto it = values.find(index);
  return it == values.end() ? 0 : it->second;
}

std::string qvConsoleSettings::text(int index) const {
  auto it = strings.find(index);
  return it == strings.end() ? std::string() : it->second;
}
