#pragma once
// Runs a short helper program and collects what it prints, within a time
// bound: a program still running at the bound is killed, and whatever it
// printed is discarded. For settings tools such as gsettings, which a
// broken session bus can leave hanging.

#include <optional>
#include <string>

class qvBoundedCommand {
 public:
  // The standard output and error of `commandLine` (split at blanks) when
  // it exits with status 0 within `timeoutMs`; nothing when the program is
  // missing, fails, or runs too long. Output beyond `maxBytes` is dropped.
  static std::optional<std::string> run(const std::string& commandLine, int timeoutMs,
                                        size_t maxBytes = 1 << 20);
};
