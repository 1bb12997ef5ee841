#pragma once
// What the window keeps between starts: the program-wide settings and the
// options of one URL's profile, as plain values. qvSettingsStore moves them
// to and from the registry; TqvNewStatus moves them to and from its controls.

#include <string>
#include <vector>

struct qvProfileOptions {
  std::string outputName;    // not kept in the "default" profile
  int backgroundColour = 0;  // 0 Auto, 1 Tan, 2 White, 3 Grey
  int maxUrls = 0;
  int maxRunTime = 0;  // seconds
  int maxDepth = 0;
  bool siteWide = false;
  bool noImages = false;
  bool retrieveCgi = false;
  bool browseButtons = false;
  bool offlineMode = false;

  bool operator==(const qvProfileOptions&) const = default;
};

struct qvWindowSettings {
  std::string lastUrl;
  std::string defaultOutputLocation;
  std::string httpProxyName;
  std::string httpProxyPort = "0";
  bool enableProxy = false;
  bool hangUp = false;
  bool enableCache = true;
  bool validateFiles = true;
  bool cacheCgi = false;
  bool fetchHttps = false;
  int maxCacheSize = 20;
  int cacheExpiresIn = 30;
  std::vector<std::string> urlHistory;  // newest first
  std::vector<std::string> noProxyFor;
  std::string userAgent = "Corvane/1.1";
  bool firstRun = false;

  bool operator==(const qvWindowSettings&) const = default;
};
