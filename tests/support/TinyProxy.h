#pragma once
// A real HTTP proxy for tests: tinyproxy started as a child process on a
// free port of 127.0.0.1, in the foreground, with a small configuration in
// its own temporary directory, and stopped when the object goes. Tests
// check available() first and skip when the program is not installed.
//
// The port is found by binding port 0 and releasing it; should another
// process take it in between, the start is tried again on a new port.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/support/TempDirectory.h"

class TinyProxy {
 public:
  static constexpr const char* kProgram = "/usr/bin/tinyproxy";

  static bool available() { return ::access(kProgram, X_OK) == 0; }

  TinyProxy() {
    for (int attempt = 0; attempt < 5 && pid_ <= 0; ++attempt) start();
  }
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;
  ~TinyProxy() { stop(); }

  // True once the proxy accepts connections.
  bool running() const { return pid_ > 0; }
  std::uint16_t port() const { return port_; }
  // What the proxy wrote about itself, for a failing test's message.
  std::string log() const {
    std::ifstream in(directory_ / "tinyproxy.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
    if (fd >= 0) ::close(fd);
    return port;
  }

  static bool accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
  }

  void writeConfig() const {
    std::ofstream config(directory_ / "tinyproxy.conf");
    config << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 10\nAllow 127.0.0.1\n"
           << "LogFile \"" << directory_ / "tinyproxy.log" << "\"\n";
    // As root tinyproxy drops its rights and wants to be told to whom.
    if (::geteuid() == 0) config << "User nobody\nGroup nogroup\n";
  }

  void start() {
    port_ = freePort();
    if (port_ == 0) return;
    writeConfig();
    if (::geteuid() == 0) {
      // The unprivileged user must be able to write its log.
      ::chmod(directory_.path().c_str(), 0777);
      std::ofstream(directory_ / "tinyproxy.log").close();
      ::chmod((directory_ / "tinyproxy.log").c_str(), 0666);
    }
    const std::string config = directory_ / "tinyproxy.conf";
    const pid_t child = ::fork();
    if (child == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execl(kProgram, kProgram, "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (child < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(child, &status, WNOHANG) == child) return;  // it gave up: the port was taken
      if (accepts(port_)) {
        pid_ = child;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }

  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  TempDirectory directory_;
  std::uint16_t port_ = 0;
  pid_t pid_ = -1;
};
