#pragma once
// A user interface for HTTP client tests: the network test interface plus
// the proxy, retry and offline settings, and a record of status texts.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/net/NetUserInterface.h"

class HttpTestInterface : public NetUserInterface {
 public:
  bool proxyEnabled = false;
  std::string proxyHost;
  int proxyPort = 0;
  std::string noProxyFor;
  int retries = 0;
  bool offline = false;
  bool fetchHttps = false;
  std::vector<std::string> statusTexts;

  HttpTestInterface() {
    readWriteTimeout = 2;
    lookupTimeout = 2;
    connectTimeout = 2;
  }

  int getValue(int index) override {
    switch (index) {
      case qvValueIndex::kProxyEnabled:
        return proxyEnabled ? 1 : 0;
      case qvValueIndex::kProxyPort:
        return proxyPort;
      case qvValueIndex::kConnectRetries:
        return retries;
      case qvValueIndex::kOffline:
        return offline ? 1 : 0;
      case qvValueIndex::kFetchHttps:
        return fetchHttps ? 1 : 0;
      default:
        return NetUserInterface::getValue(index);
    }
  }
  std::string getString(int index) override {
    if (index == qvStringIndex::kProxyHost) return proxyHost;
    if (index == qvStringIndex::kNoProxyFor) return noProxyFor;
    return {};
  }
  void setStatusText(const std::string& text) override { statusTexts.push_back(text); }

  // Every poll of the network status from `delay` on asks for a skip.
  void skipAfter(std::chrono::milliseconds delay) { skipFrom_ = Clock::now() + delay; }
  int tcpGetStatus() override {
    if (skipFrom_ && Clock::now() >= *skipFrom_) return 0x1;
    return NetUserInterface::tcpGetStatus();
  }

 private:
  std::optional<Clock::time_point> skipFrom_;
};
