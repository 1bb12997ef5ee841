#pragma once
// The console user interface: status text goes to standard output, nothing
// ever waits for the user and no button is ever pressed, so a run started
// from the command line goes straight through. Batch runs give it the
// user's saved settings (qvConsoleSettings) to answer the value getters with,
// and a run-time limit that acts as the enough button.

#include <iosfwd>
#include <string>

#include "ui/qvConsoleSettings.h"
#include "ui/qvLoggingUserInterface.h"

class qvPlainUserInterface : public qvLoggingUserInterface {
 public:
  // Creates the log; throws qvRuntimeException when it cannot. Text is
  // printed to `out`, warnings and boxes to `err`.
  qvPlainUserInterface(qvDriverSettings& settings, const std::string& logPath = "Corvane.log");
  qvPlainUserInterface(qvDriverSettings& settings, const std::string& logPath, std::ostream& out,
                       std::ostream& err);

  // The values the getters report from now on.
  void setConsoleSettings(const qvConsoleSettings& values) { values_ = values; }
  // Whether progress lines go to standard error (a terminal, normally).
  void setShowProgress(bool show) { showProgress_ = show; }
  // Whether the status line, which rewrites itself with carriage returns, is
  // printed; only a terminal shows it as intended, so on standard output it is
  // printed when that is a terminal. Finished lines are printed either way.
  void setShowStatusText(bool show) { showStatusText_ = show; }

  using qvUserInterface::showError;
  void showError(const std::string& text, bool toStatusLine) override;
  void showWarning(const std::string& text) override;
  int getToggles() override { return values_.toggles; }
  int getValue(int index) override { return values_.value(index); }
  // The console has no window to post cache commands, but the maintenance
  // thread still needs a word to take them from; tests and signals may set it.
  int* cacheCommandWord() override { return &cacheCommands_; }
  std::string getString(int index) override { return values_.text(index); }
  void setInfo(const char* primaryBase, const char* currentBase, const char* currentUrl,
               const char* currentFile) override;
  void updateCounts(int processed, int skipped, long bytes) override;
  void updateCounts(int found, int processed, int skipped, long bytes) override;
  void setStatusText(const std::string& text) override;
  void errorBox(const std::string& text) override;
  // Starts the compiler itself, lets it print to our streams, waits for it;
  // true when it ended with status 0.
  bool runHcRtf(const char* commandLine, const char* directory) override;
  // Sets the enough flag once the run-time limit has passed.
  void poll(bool flag) override;
  bool checkCancel() override;
  bool checkCancel(bool clear) override;

 protected:
  void showMessage(const std::string& text) override;
  void printLine(const std::string& text) override;

 private:
  void showProgress(int found, int processed, int skipped, long bytes);

  std::ostream& out_;
  std::ostream& err_;
  qvConsoleSettings values_;
  alignas(int) int cacheCommands_ = 0;
  bool showProgress_ = false;
  bool showStatusText_ = true;
  std::string currentUrl_;
  int found_ = 0;
};
