#pragma once
// A real HTTP proxy for tests: tinyproxy started as a child process on a
// free port of 127.0.0.1, in the foreground, with a small configuration in
// its own temporary directory, and stopped when the object goes. Tests
// check available() first and skip when the program is not installed.
//
// Should another process take the chosen port before tinyproxy binds it,
// the start is tried again on a new port.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"

class TinyProxy {
 public:
  static constexpr const char* kProgram = "/usr/bin/tinyproxy";

  static bool available() { return ::access(kProgram, X_OK) == 0; }

  TinyProxy() {
    for (int attempt = 0; attempt < 5 && !running(); ++attempt) start();
  }
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;

  // True once the proxy accepts connections.
  bool running() const { return process_ != nullptr; }
  std::uint16_t port() const { return port_; }
  // What the proxy wrote about itself, for a failing test's message.
  std::string log() const {
    std::ifstream in(directory_ / "tinyproxy.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  void writeConfig() const {
    std::ofstream config(directory_ / "tinyproxy.conf");
    config << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 10\nAllow 127.0.0.1\n"
           << "LogFile \"" << directory_ / "tinyproxy.log" << "\"\n";
    // As root tinyproxy drops its rights and wants to be told to whom.
    if (::geteuid() == 0) config << "User nobody\nGroup nogroup\n";
  }

  void start() {
    port_ = ChildProcess::freePort();
    if (port_ == 0) return;
    writeConfig();
    if (::geteuid() == 0) {
      // The unprivileged user must be able to write its log.
      ::chmod(directory_.path().c_str(), 0777);
      std::ofstream(directory_ / "tinyproxy.log").close();
      ::chmod((directory_ / "tinyproxy.log").c_str(), 0666);
    }
    auto process = std::make_unique<ChildProcess>(
        kProgram, std::vector<std::string>{"-d", "-c", directory_ / "tinyproxy.conf"}, "/dev/null");
    if (process->waitForPort(port_, std::chrono::seconds(5))) process_ = std::move(process);
  }

  TempDirectory directory_;
  std::uint16_t port_ = 0;
  std::unique_ptr<ChildProcess> process_;
};
