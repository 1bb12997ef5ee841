#pragma once
// A proxy setting as one of the clone buttons would copy it into the
// "Proxy and Cache" page, and the pair of settings behind the two buttons.

#include <optional>
#include <string>
#include <vector>

struct qvProxySettings {
  // False: the source names no HTTP server, so host, port and the switch
  // stay as the user left them; only the exception list is replaced.
  bool serverGiven = false;
  std::string host;
  // As the port box shows it; may be empty.
  std::string port;
  bool enabled = false;
  // Hosts reached without the proxy, in the form the engine matches.
  std::vector<std::string> exceptions;

  bool operator==(const qvProxySettings&) const = default;
};

struct qvProxySnapshot {
  // nullopt: the source does not exist here and its button is disabled.
  std::optional<qvProxySettings> navigator;  // "Use Fi&refox Settings"
  std::optional<qvProxySettings> explorer;   // "Use Sys&tem Settings"

  bool operator==(const qvProxySnapshot&) const = default;
};
