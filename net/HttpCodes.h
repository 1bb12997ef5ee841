#pragma once
// Result codes of the HTTP client besides the socket layer's (which pass
// through unchanged), with their fixed messages. The crawl reads these
// numbers, so they never change meaning.

namespace HttpCode {
enum : int {
  kCacheError = -230,
  kOfflineMiss = -231,
  kUserAbortedDiskError = -232,
  kDataFileError = -235,
  kInvalidResponse = -236,
  kInvalidHeader = -237,
  kCannotConnectProxy = -238,
  kBadUrl = -239,
  kCannotResolveProxy = -240,
  kNotConnected = -247,
  kCannotConnect = -248,
  kCannotResolveHost = -253,
};

inline constexpr const char* kInvalidResponseText = "Host returned invalid HTTP response";
inline constexpr const char* kInvalidHeaderText = "Host returned invalid HTTP header";
inline constexpr const char* kCannotConnectProxyText = "Cannot connect to the proxy server";
inline constexpr const char* kCannotResolveProxyText = "Cannot resolve proxy hostname";
inline constexpr const char* kCannotResolveHostText = "Cannot resolve hostname";
inline constexpr const char* kNotConnectedText = "Internal error - not connected";
inline constexpr const char* kUnexpectedCloseText = "Connection unexpectedly closed";
inline constexpr const char* kCreateDataFileText = "Error creating intermediate data file";
inline constexpr const char* kWriteDataFileText = "Error writing to intermediate data file";
inline constexpr const char* kUserAbortedText = "User aborted processing due to disk error";
}  // namespace HttpCode
