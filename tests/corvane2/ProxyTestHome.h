#pragma once
// A made-up user for the proxy tests: a temporary home with its own
// configuration folder, GSettings kept in a key file inside it, a registry
// file of its own, and none of the real user's desktop or proxy variables.
// Everything is put back when the object goes.

#include <stdlib.h>
#include <sys/stat.h>

#include <map>
#include <optional>
#include <string>

#include "tests/support/TempDirectory.h"

class ProxyTestHome {
 public:
  ProxyTestHome() {
    for (const char* name : kVariables) {
      const char* value = ::getenv(name);
      if (value != nullptr) saved_[name] = value;
      ::unsetenv(name);
    }
    // PATH is only saved: tests add to it.
    if (saved_.count("PATH")) set("PATH", saved_["PATH"]);
    set("HOME", home());
    set("XDG_CONFIG_HOME", config());
    set("GSETTINGS_BACKEND", "keyfile");
    set("CORVANE_REGISTRY", registryPath());
  }
  ~ProxyTestHome() {
    for (const char* name : kVariables) {
      auto found = saved_.find(name);
      if (found == saved_.end()) {
        ::unsetenv(name);
      } else {
        ::setenv(name, found->second.c_str(), 1);
      }
    }
  }
  ProxyTestHome(const ProxyTestHome&) = delete;
  ProxyTestHome& operator=(const ProxyTestHome&) = delete;

  static void set(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

  std::string home() const { return dir_ / "home"; }
  std::string config() const { return dir_ / "home/.config"; }
  std::string registryPath() const { return dir_ / "registry.reg"; }
  // Writes `text` to `relative` under the home folder.
  void write(const std::string& relative, const std::string& text) const { dir_.write("home/" + relative, text); }

  // Puts an executable shell script called `name` in a folder that comes
  // first on PATH.
  void installProgram(const std::string& name, const std::string& script) {
    const std::string path = dir_.write("bin/" + name, "#!/bin/sh\n" + script).string();
    ::chmod(path.c_str(), 0755);
    const char* oldPath = ::getenv("PATH");
    set("PATH", (dir_ / "bin") + ":" + (oldPath ? oldPath : "/usr/bin:/bin"));
  }

  const TempDirectory& dir() const { return dir_; }

 private:
  static constexpr const char* kVariables[] = {
      "HOME",          "XDG_CONFIG_HOME", "XDG_CURRENT_DESKTOP", "XDG_DATA_DIRS",    "GSETTINGS_BACKEND",
      "GSETTINGS_SCHEMA_DIR", "http_proxy", "HTTP_PROXY",          "no_proxy",         "NO_PROXY",
      "CORVANE_REGISTRY", "PATH"};
  TempDirectory dir_;
  std::map<std::string, std::string> saved_;
};
