#pragma once
// "CVDebug.log": checkpoints and error texts written while full debugging is
// on. Each entry opens the file, appends one line and closes it again, so the
// file survives a crash and can be read while the engine runs; the engine
// never empties it.

#include <string>

struct qvDriverSettings;

class qvDebugLog {
 public:
  // Writes nothing unless settings.fullDebug is set at the time of writing.
  explicit qvDebugLog(const qvDriverSettings& settings, std::string path = "CVDebug.log");

  // "Debug : reached location " + number.
  void checkpoint(int number) const;
  // The text as one line.
  void line(const std::string& text) const;

  // Appends `text` + `lineEnd` to `path`, creating it; failures are ignored.
  static void append(const std::string& path, const std::string& text, const char* lineEnd = "\r\n");

 private:
  const qvDriverSettings& settings_;
  std::string path_;
};
