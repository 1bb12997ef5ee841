#pragma once
// The settings behind the two clone buttons. "Use Fi&refox Settings" reads
// the Navigator key of the registry file when it is there, else Firefox;
// "Use Sys&tem Settings" reads the Explorer key when it is there, else the
// desktop's settings or the environment. The environment is read at the
// time of each call.

#include "corvane2/qvProxySettings.h"

class qvRegistry;

class qvProxySources {
 public:
  explicit qvProxySources(qvRegistry& registry) : registry_(registry) {}

  // Blocks for up to the gsettings bound: never call it on the window
  // thread.
  qvProxySnapshot read();

 private:
  qvRegistry& registry_;
};
