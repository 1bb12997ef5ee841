#include "ui/qvConsoleSettings.h"

#include <algorithm>
#include <cstdint>

#include "base/qvProfileName.h"
#include "platform/qvRegistry.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {


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
  s.toggles = qvToggleBit::kSettingsLoaded;
  s.values = {{qvValueIndex::kReadWriteTimeout, 30}, {qvValueIndex::kLookupTimeout, 30}, {qvValueIndex::kConnectRetries, 1},
              {qvValueIndex::kConnectTimeout, 30},   {qvValueIndex::kCacheEnabled, 1},  {qvValueIndex::kCacheSizeLimit, 20},
              {qvValueIndex::kValidateCache, 1},     {qvValueIndex::kCacheDays, 30}};
  s.strings[qvStringIndex::kUserAgent] = "Corvane/1.1";
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
  if (registry.keyExists(kCorvaneSettingsKey)) {
    flag(kCorvaneSettingsKey, "EnableCache", qvValueIndex::kCacheEnabled);
    flag(kCorvaneSettingsKey, "ValidateFiles", qvValueIndex::kValidateCache);
    flag(kCorvaneSettingsKey, "CacheCGI", qvValueIndex::kCacheCgi);
    flag(kCorvaneSettingsKey, "EnableProxy", qvValueIndex::kProxyEnabled);
    flag(kCorvaneSettingsKey, "FetchHttps", qvValueIndex::kFetchHttps);
    number(kCorvaneSettingsKey, "MaxCacheSize", qvValueIndex::kCacheSizeLimit);
    number(kCorvaneSettingsKey, "CacheExpiresIn", qvValueIndex::kCacheDays);
    if (auto host = registry.readString(kCorvaneSettingsKey, "HttpProxyName")) strings[qvStringIndex::kProxyHost] = *host;
    if (auto port = registry.readString(kCorvaneSettingsKey, "HttpProxyPort")) {
      // A port that is not a number switches the proxy off, as the window does.
      if (isNumber(*port)) {
        values[qvValueIndex::kProxyPort] = std::stoi(*port);
      } else {
        values[qvValueIndex::kProxyPort] = 0;
        values[qvValueIndex::kProxyEnabled] = 0;
      }
    }
    if (auto list = registry.readBinary(kCorvaneSettingsKey, "NoProxyFor")) strings[qvStringIndex::kNoProxyFor] = commaList(*list);
    if (auto agent = registry.readString(kCorvaneSettingsKey, "UserAgent"); agent && !agent->empty()) strings[qvStringIndex::kUserAgent] = *agent;
  }
  std::string profile = kCorvaneProfilesKey + qvProfileName::of(startPoint);
  if (startPoint.empty() || !registry.keyExists(profile)) profile = std::string(kCorvaneProfilesKey) + qvProfileName::kDefault;
  if (!registry.keyExists(profile)) return;
  number(profile, "MaxUrls", qvValueIndex::kMaxUrls);
  number(profile, "MaxDepth", qvValueIndex::kMaxDepth);
  if (auto colour = registry.readDword(profile, "BackgroundColour")) values[qvValueIndex::kColourChoice] = *colour <= 3 ? static_cast<int>(*colour) : 0;
  flag(profile, "BrowseButtons", qvValueIndex::kBrowseButtons);
  flag(profile, "OfflineMode", qvValueIndex::kOffline);
  toggle(profile, "SiteWide", qvToggleBit::kSiteWide);
  toggle(profile, "NoImages", qvToggleBit::kNoImages);
  toggle(profile, "RetrieveCGI", qvToggleBit::kRetrieveCgi);
  if (auto name = registry.readString(profile, "OutputName"); name && !name->empty()) strings[qvStringIndex::kHelpFileName] = *name;
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
