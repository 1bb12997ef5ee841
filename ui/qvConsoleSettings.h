#pragma once
// The values a console run answers getToggles, getValue and getString with.
// They start from the library's defaults, take what the window last saved in
// the registry (the settings key and the start URL's profile, else the
// "default" profile), and finally what the command line says, so time-outs,
// cache and proxy settings of a batch run are the user's own.

#include <chrono>
#include <map>
#include <optional>
#include <string>

class qvRegistry;

struct qvConsoleSettings {
  int toggles = 0;
  std::map<int, int> values;
  std::map<int, std::string> strings;
  // When set, the run stops taking new URLs once this time has come.
  std::optional<std::chrono::steady_clock::time_point> deadline;

  // The library's defaults: time-outs 30 s, one connect retry, cache on
  // with 20 MB and 30 days, validation on, settings-loaded toggle set.
  static qvConsoleSettings defaults();

  // Overlays what the registry holds for `startPoint`'s profile.
  void readRegistry(qvRegistry& registry, const std::string& startPoint);

  int value(int index) const;
  std::string text(int index) const;
};
