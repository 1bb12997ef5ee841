#pragma once
// nginx serving a folder on 127.0.0.1 for a test: its own configuration,
// logs and temporary folders in a directory of the test's, in the
// foreground (never a daemon), on a free port. Skips the test when nginx is
// not installed (Debian package nginx).

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/ChildProcess.h"

class NginxServer {
 public:
  static constexpr const char* kProgram = "/usr/sbin/nginx";

  static bool installed() { return ::access(kProgram, X_OK) == 0; }

  // Serves `root` with nginx's configuration kept in `workDirectory`;
  // `serverConfig` is added to the server block (locations, headers). A
  // port taken between choosing and binding it is chosen again.
  // With `certificate` and `key` (PEM files) it speaks TLS only.
  NginxServer(const std::string& root, const std::string& workDirectory, std::string serverConfig = {},
              std::string certificate = {}, std::string key = {})
      : work_(workDirectory), serverConfig_(std::move(serverConfig)), certificate_(std::move(certificate)),
        key_(std::move(key)) {
    for (int attempt = 0; attempt < 5 && !ready(); ++attempt) start(root);
  }

  bool ready() const { return ready_; }
  std::uint16_t port() const { return port_; }
  // "http://127.0.0.1:port" + `path` ("https://" for a TLS server).
  std::string url(const std::string& path) const {
    return (certificate_.empty() ? "http://127.0.0.1:" : "https://127.0.0.1:") + std::to_string(port_) + path;
  }
  // The request lines ("GET /x HTTP/1.0") nginx has logged so far.
  std::vector<std::string> requests() const {
    std::ifstream log(work_ + "/access.log");
    std::vector<std::string> out;
    for (std::string line; std::getline(log, line);) {
      const auto open = line.find('"');
      const auto close = open == std::string::npos ? open : line.find('"', open + 1);
      if (close != std::string::npos) out.push_back(line.substr(open + 1, close - open - 1));
    }
    return out;
  }
  // The requests once at least `count` are logged: nginx logs a request
  // after its response has gone, so a client may be done before the line is.
  std::vector<std::string> requestsOnceLogged(std::size_t count) const {
    const auto latest = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> logged = requests();
    while (logged.size() < count && std::chrono::steady_clock::now() < latest) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      logged = requests();
    }
    return logged;
  }
  std::string errorLog() const {
    std::ifstream log(work_ + "/nginx.log");
    return std::string(std::istreambuf_iterator<char>(log), {});
  }

 private:
  void start(const std::string& root) {
    port_ = ChildProcess::freePort();
    writeConfig(root);
    process_ = std::make_unique<ChildProcess>(
        kProgram,
        std::vector<std::string>{"-p", work_, "-c", work_ + "/nginx.conf", "-e", work_ + "/nginx.log", "-g",
                                 "daemon off;"},
        work_ + "/nginx.log");
    ready_ = process_->waitForPort(port_, std::chrono::seconds(5));
    if (!ready_) process_.reset();
  }

  void writeConfig(const std::string& root) const {
    std::ofstream config(work_ + "/nginx.conf");
    // Run as root, nginx would hand its workers to "nobody", who cannot
    // read a test's private folders.
    if (::geteuid() == 0) config << "user root;\n";
    config << "worker_processes 1;\n"
           << "pid " << work_ << "/nginx.pid;\n"
           << "events { worker_connections 512; }\n"
           << "http {\n"
           << "  access_log " << work_ << "/access.log;\n"
           << "  client_body_temp_path " << work_ << "/body;\n"
           << "  proxy_temp_path " << work_ << "/proxy;\n"
           << "  fastcgi_temp_path " << work_ << "/fastcgi;\n"
           << "  uwsgi_temp_path " << work_ << "/uwsgi;\n"
           << "  scgi_temp_path " << work_ << "/scgi;\n"
           << "  types { text/html html htm; text/plain txt; text/css css; application/javascript js;\n"
           << "          image/png png; image/gif gif; image/jpeg jpg jpeg; image/svg+xml svg; }\n"
           << "  default_type application/octet-stream;\n"
           << "  server {\n"
           << "    listen 127.0.0.1:" << port_ << (certificate_.empty() ? "" : " ssl") << ";\n"
           << (certificate_.empty() ? "" : "    ssl_certificate " + certificate_ + ";\n    ssl_certificate_key " + key_ + ";\n")
           << "    root " << root << ";\n"
           << serverConfig_ << "\n"
           << "  }\n"
           << "}\n";
  }

  std::string work_;
  std::string serverConfig_;
  std::string certificate_;
  std::string key_;
  std::uint16_t port_ = 0;
  bool ready_ = false;
  std::unique_ptr<ChildProcess> process_;
};
