#include "corvane2/qvSettingsStore.h"

#include <algorithm>

#include "base/qvProfileName.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

bool isPortNumber(const std::string& text) {
  return !text.empty() && text.size() <= 5 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }) &&
         std::stoi(text) <= 65535;
}

}  // namespace

qvSettingsStore::qvSettingsStore(qvRegistry& registry) : registry_(registry) {}

std::string qvSettingsStore::profileKey(const std::string& url) {
  return kCorvaneProfilesKey + qvProfileName::of(url);
}

std::optional<qvWindowSettings> qvSettingsStore::loadSettings(const std::string& outputLocation) {
  if (!registry_.OpenKey(kCorvaneSettingsKey, false)) return std::nullopt;
  qvWindowSettings s;
  registry_.ReadLines("UrlHistory", s.urlHistory);
  if (s.urlHistory.size() > kHistoryLimit) s.urlHistory.resize(kHistoryLimit);
  registry_.ReadLines("NoProxyFor", s.noProxyFor);
  s.lastUrl = registry_.ReadStringDef("LastURL", "");
  s.defaultOutputLocation = registry_.ReadStringDef("DefaultOutputLocation", outputLocation);
  s.hangUp = registry_.ReadBoolDef("HangUp", false);
  s.enableCache = registry_.ReadBoolDef("EnableCache", true);
  s.httpProxyName = registry_.ReadStringDef("HttpProxyName", "");
  s.httpProxyPort = registry_.ReadStringDef("HttpProxyPort", "0");
  s.enableProxy = registry_.ReadBoolDef("EnableProxy", false);
  s.userAgent = registry_.ReadStringDef("UserAgent", "Corvane/1.1");
  s.validateFiles = registry_.ReadBoolDef("ValidateFiles", true);
  s.cacheCgi = registry_.ReadBoolDef("CacheCGI", false);
  s.fetchHttps = registry_.ReadBoolDef("FetchHttps", false);
  s.firstRun = registry_.ReadBoolDef("FirstRun", false);
  if (!isPortNumber(s.httpProxyPort)) {
    s.enableProxy = false;
    s.httpProxyPort = "0";
  }
  s.maxCacheSize = registry_.ReadIntegerDef("MaxCacheSize", 20);
  s.cacheExpiresIn = registry_.ReadIntegerDef("CacheExpiresIn", 30);
  registry_.CloseKey();
  return s;
}

void qvSettingsStore::writeSettings(const qvWindowSettings& s) {
  registry_.OpenKey(kCorvaneSettingsKey, true);
  registry_.WriteString("LastURL", s.lastUrl);
  registry_.WriteString("DefaultOutputLocation", s.defaultOutputLocation);
  registry_.WriteString("HttpProxyName", s.httpProxyName);
  registry_.WriteString("HttpProxyPort", s.httpProxyPort);
  registry_.WriteBool("EnableProxy", s.enableProxy);
  registry_.WriteBool("HangUp", s.hangUp);
  registry_.WriteBool("EnableCache", s.enableCache);
  registry_.WriteBool("ValidateFiles", s.validateFiles);
  registry_.WriteBool("CacheCGI", s.cacheCgi);
  registry_.WriteBool("FetchHttps", s.fetchHttps);
  registry_.WriteInteger("MaxCacheSize", s.maxCacheSize);
  registry_.WriteInteger("CacheExpiresIn", s.cacheExpiresIn);
  // An empty history leaves the stored one: a window that failed to show
  // it must not wipe it. Exceptions the user deleted stay deleted.
  if (!s.urlHistory.empty()) registry_.WriteLines("UrlHistory", s.urlHistory);
  registry_.WriteLines("NoProxyFor", s.noProxyFor);
  registry_.CloseKey();
}

bool qvSettingsStore::saveSettingsOnly(const qvWindowSettings& settings) {
  writeSettings(settings);
  return registry_.Commit();
}

bool qvSettingsStore::saveSettings(const qvWindowSettings& settings, const std::string& profileUrl,
                                   const qvProfileOptions& options, bool forgetFirstRun) {
  writeSettings(settings);
  if (forgetFirstRun) {
    registry_.OpenKey(kCorvaneSettingsKey, true);
    registry_.DeleteValue("FirstRun");
    registry_.CloseKey();
  }
  if (!profileUrl.empty() && profileExists(profileUrl)) writeProfile(profileUrl, options);
  return registry_.Commit();
}

bool qvSettingsStore::profileExists(const std::string& url) { return registry_.KeyExists(profileKey(url)); }

qvProfileOptions qvSettingsStore::readProfile() {
  qvProfileOptions o;
  o.outputName = registry_.ReadStringDef("OutputName", "");
  o.backgroundColour = registry_.ReadIntegerDef("BackgroundColour", 0);
  if (o.backgroundColour < 0 || o.backgroundColour > 3) o.backgroundColour = 0;
  o.maxUrls = std::max(0, registry_.ReadIntegerDef("MaxUrls", 0));
  o.maxRunTime = std::max(0, registry_.ReadIntegerDef("MaxRunTime", 0));
  o.maxDepth = std::max(0, registry_.ReadIntegerDef("MaxDepth", 0));
  o.siteWide = registry_.ReadBoolDef("SiteWide", false);
  o.noImages = registry_.ReadBoolDef("NoImages", false);
  o.retrieveCgi = registry_.ReadBoolDef("RetrieveCGI", false);
  o.browseButtons = registry_.ReadBoolDef("BrowseButtons", false);
  o.offlineMode = registry_.ReadBoolDef("OfflineMode", false);
  return o;
}

std::optional<qvProfileOptions> qvSettingsStore::loadProfile(const std::string& url) {
  if (!registry_.OpenKey(profileKey(url), false) && !registry_.OpenKey(profileKey(qvProfileName::kDefault), false)) {
    return std::nullopt;
  }
  qvProfileOptions options = readProfile();
  registry_.CloseKey();
  return options;
}

void qvSettingsStore::writeProfile(const std::string& url, const qvProfileOptions& o) {
  registry_.OpenKey(profileKey(url), true);
  if (url != qvProfileName::kDefault) registry_.WriteString("OutputName", o.outputName);
  registry_.WriteInteger("BackgroundColour", o.backgroundColour);
  registry_.WriteInteger("MaxUrls", o.maxUrls);
  registry_.WriteInteger("MaxRunTime", o.maxRunTime);
  registry_.WriteInteger("MaxDepth", o.maxDepth);
  registry_.WriteBool("SiteWide", o.siteWide);
  registry_.WriteBool("NoImages", o.noImages);
  registry_.WriteBool("RetrieveCGI", o.retrieveCgi);
  registry_.WriteBool("BrowseButtons", o.browseButtons);
  registry_.WriteBool("OfflineMode", o.offlineMode);
  registry_.CloseKey();
}

bool qvSettingsStore::saveProfile(const std::string& url, const qvProfileOptions& options) {
  writeProfile(url, options);
  return registry_.Commit();
}

bool qvSettingsStore::deleteProfile(const std::string& url) {
  registry_.DeleteKey(profileKey(url));
  return registry_.Commit();
}

bool qvSettingsStore::addToHistory(std::vector<std::string>& history, const std::string& url,
                                   const qvProfileOptions& options) {
  history.erase(std::remove(history.begin(), history.end(), url), history.end());
  history.insert(history.begin(), url);
  while (history.size() > kHistoryLimit) {
    // Only a URL that has left the list entirely loses its profile.
    // and never the profile that serves every URL without one.
    const std::string& dropped = history.back();
    if (dropped != url && qvProfileName::of(dropped) != qvProfileName::kDefault) registry_.DeleteKey(profileKey(dropped));
    history.pop_back();
  }
  writeProfile(url, options);
  return registry_.Commit();
}
