#pragma once
// What the library binding and the console have in common: the main log,
// the status line built piece by piece, the debug log for error texts, and
// the reading of the user's toggles and limits into the driver's settings.
// Subclasses decide how a text is shown and whether a report polls.

#include <string>

#include "ui/qvDebugLog.h"
#include "ui/qvPrintWriter.h"
#include "ui/qvUserInterface.h"

struct qvDriverSettings;

class qvLoggingUserInterface : public qvUserInterface {
 public:
  // Creates the log at `logPath`; throws qvRuntimeException with the system's
  // reason when it cannot. `settings` must outlive the object.
  qvLoggingUserInterface(qvDriverSettings& settings, const std::string& logPath);

  using qvUserInterface::statusMessage;
  void statusMessage(const std::string& text, bool logOnly) override;
  void beginStatusLine(const std::string& text) override;
  void appendStatusLine(const std::string& text, bool append) override;
  void endStatusLine(const std::string& text, bool append, bool log) override;

  // Apply getToggles() / getValue(1), getValue(2) to the settings and
  // describe what they set ("SiteWide=true, ..." / "MaxURLs=5, MaxDepth=0").
  std::string readToggles() override;
  std::string readValues() override;

  // Closes the main log (the exit watcher does this when the user quits).
  void closeLog() { log_.close(); }
  const std::string& statusLine() const { return statusLine_; }
  qvDriverSettings& settings() const { return settings_; }

 protected:
  void logLine(const std::string& text) { log_.writeLine(text); }
  // Shows a logged status message (the library puts it on its status bar).
  virtual void showMessage(const std::string& text) { setStatusText(text); }
  // A finished status line that was logged (the console prints it).
  virtual void printLine(const std::string& /*text*/) {}
  // Called after each report; the library binding polls here.
  virtual void afterReport() {}

  const qvDebugLog& debugLog() const { return debugLog_; }

 private:
  qvDriverSettings& settings_;
  qvPrintWriter log_;
  qvDebugLog debugLog_;
  std::string statusLine_;
};
