#pragma once
// What the crawl, final-pass and project tests share: a user interface that
// records everything it is told, and a temporary directory tree.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../support/TempDirectory.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace crawltest {

// The python3.11-doc tree: a real documentation site the crawl tests convert.
inline constexpr const char* kPythonDocs = "/usr/share/doc/python3.11/html";

// Records messages, errors and finished status lines, in order; can be told
// to cancel, to freeze links, or to report a user-interface value.
class RecordingUi : public qvUserInterface {
 public:
  using qvUserInterface::checkCancel;
  using qvUserInterface::showError;
  using qvUserInterface::statusMessage;
  void showError(const std::string& text, bool) override { errors.push_back(text); }
  void statusMessage(const std::string& text, bool) override {
    messages.push_back(text);
    if (onMessage) onMessage(text);
  }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  void beginStatusLine(const std::string& text) override { line = text; }
  void appendStatusLine(const std::string& text, bool append) override { line = append ? line + text : text; }
  void endStatusLine(const std::string& text, bool append, bool log) override {
    line = append ? line + text : text;
    if (log) lines.push_back(line);
  }
  bool checkCancel() override {
    if (onCheck) onCheck();
    if (++checks >= cancelAfter) throw qvCancelException();
    return false;
  }
  // The caller clears a cancel; with clearCancel the next checks pass again.
  bool checkCancel(bool clear) override {
    if (clear && clearCancel) cancelAfter = 1L << 40;
    return false;
  }
  int getValue(int index) override {
    switch (index) {
      case qvValueIndex::kOffline:
        return offline;
      case qvValueIndex::kBrowseButtons:
        return browseButtons;
      case qvValueIndex::kReadWriteTimeout:
      case qvValueIndex::kLookupTimeout:
      case qvValueIndex::kConnectTimeout:
        return networkTimeout;
      default:
        return 0;
    }
  }
  int tcpGetStatus() override { return onTcpStatus ? onTcpStatus() : 0; }
  bool runHcRtf(const char* commandLine, const char* directory) override {
    command = commandLine ? commandLine : "";
    hadDirectory = directory != nullptr;
    return compilerStarts;
  }
  void setInfo(const char*, const char*, const char*, const char* currentFile) override {
    if (currentFile != nullptr && *currentFile != '\0') files.push_back(currentFile);
  }

  // True when some logged status line equals `text`.
  bool logged(const std::string& text) const {
    for (const auto& l : lines) {
      if (l == text) return true;
    }
    return false;
  }
  bool errored(const std::string& text) const {
    for (const auto& e : errors) {
      if (e == text) return true;
    }
    return false;
  }

  std::function<void(const std::string&)> onMessage;
  std::function<void()> onCheck;  // called at every check for cancel
  long checks = 0;
  bool clearCancel = false;
  long cancelAfter = 1L << 40;
  int offline = 0;
  int networkTimeout = 5;  // seconds, for every wait of the network layer
  std::function<int()> onTcpStatus;  // the skip and stop bits of the network layer
  int browseButtons = 0;
  bool compilerStarts = true;
  bool hadDirectory = true;
  std::string command, line;
  std::vector<std::string> errors, messages, lines, files, warnings;
};

using TempDir = ::TempDirectory;

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace crawltest
