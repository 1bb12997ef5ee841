#pragma once
// The numbers the engine and the user-interface library agree on: the
// indices of getValue and getString, the toggle bits of getToggles, the
// status bits of getStatus, and the registry keys the library keeps its
// settings under. Both sides are built against these; a number here never
// changes meaning, since settings saved by one version are read by the next.

namespace qvValueIndex {
enum : int {
  kMaxUrls = 1,       // 0 = no limit
  kMaxDepth = 2,      // 0 = no limit
  kColourChoice = 3,  // 0 Auto, 1 Tan, 2 White, 3 Grey
  kProxyPort = 8,
  kProxyEnabled = 9,
  kReadWriteTimeout = 10,  // seconds
  kLookupTimeout = 11,     // seconds
  kConnectRetries = 12,
  kConnectTimeout = 15,  // seconds
  kBrowseButtons = 16,
  kCacheEnabled = 17,
  kCacheSizeLimit = 19,  // megabytes
  kOffline = 20,
  kValidateCache = 21,
  kCacheCgi = 22,
  kCacheDays = 23,
  kCacheCommandWord = 24,  // the address of the library's cache-command word
  kFetchHttps = 26,        // 1: https URLs are fetched; a library without it answers 0
};
}  // namespace qvValueIndex

namespace qvStringIndex {
enum : int {
  kHelpFileName = 4,  // as typed, maybe without ".hlp"
  kProxyHost = 7,
  kNoProxyFor = 14,  // one comma-separated list
  kUserAgent = 25,
};
}  // namespace qvStringIndex

namespace qvToggleBit {
enum : int {
  kSiteWide = 0x1,
  kNoImages = 0x2,
  kNoRobots = 0x4,
  kPlainTextInMemory = 0x8,  // never set by the library
  kRetrieveCgi = 0x10,
  kSettingsLoaded = 0x20,  // working files are deleted on exit
};
}  // namespace qvToggleBit

namespace qvStatusBit {
enum : int {
  kStart = 0x2,
  kEnough = 0x4,
  kJustStop = 0x8,
  kLimitsChanged = 0x10,
  kTogglesChanged = 0x20,
  kClosing = 0x40,
};
}  // namespace qvStatusBit

// Registry keys of the current user; a profile's key is kProfilesKey + name.
inline constexpr const char* kCorvaneSettingsKey = "Software\\Lorimund\\Corvane\\v1.1\\Settings";
inline constexpr const char* kCorvaneProfilesKey = "Software\\Lorimund\\Corvane\\v1.1\\Urls\\";
