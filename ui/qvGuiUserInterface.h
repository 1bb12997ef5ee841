#pragma once
// The user-interface object that forwards to libcorvane2.so. The library
// keeps the text pointers it is given and reads them on its own display tick,
// so every text goes through a static buffer of this class, one per argument
// position, that outlives any call. Button presses arrive as status bits that
// poll() collects; every report polls.

#include <string>

#include "ui/qvCorvane2Binding.h"
#include "ui/qvLoggingUserInterface.h"

class qvGuiUserInterface : public qvLoggingUserInterface {
 public:
  // Size of each static text buffer and the longest text copied into one.
  static constexpr int kTextBufferSize = 520;
  static constexpr int kTextLimit = 512;
  // Size of the buffer fetched texts are read into, and what the library is
  // told it holds.
  static constexpr int kFetchBufferSize = 1024;
  static constexpr int kFetchLimit = 1023;

  // Creates the log; throws qvRuntimeException when it cannot. `library` is
  // the file load() binds.
  qvGuiUserInterface(qvDriverSettings& settings, const std::string& logPath = "Corvane.log",
                     std::string library = "libcorvane2.so");

  std::string getErrorText() override { return initError_.empty() ? binding_.resultText() : initError_; }
  // Binds the library; on success its message box serves every later box.
  bool load() override;
  using qvUserInterface::showError;
  void showError(const std::string& text, bool toStatusLine) override;
  int getToggles() override;
  int getValue(int index) override;
  int* cacheCommandWord() override;
  void setValues(int kind, std::intptr_t a, int b, int c, int d) override;
  std::string getString(int index) override;
  int getStatus() override;
  int tcpGetStatus() override;
  void setState(int state) override;
  void setInfo(const char* primaryBase, const char* currentBase, const char* currentUrl,
               const char* currentFile) override;
  std::string getURL() override;
  void setStatusNumbers(int found, int processed, int skipped, long bytes) override;
  void updateCounts(int processed, int skipped, long bytes) override;
  void updateCounts(int found, int processed, int skipped, long bytes) override;
  void setStatusText(const std::string& text) override;
  void setProgress(int position) override;
  void setProgressPosition(int position, bool secondary) override;
  void errorBox(const std::string& text) override;
  bool runHcRtf(const char* commandLine, const char* directory) override;
  // Collects status bits; 0x40 ends the process with status 1, 0x10 and 0x20
  // re-read the limits and toggles, 0x4 sets the enough flag; 0x2 (start) and
  // 0x8 (cancel) stay pending. A poll from inside a poll returns at once.
  void poll(bool flag) override;
  bool checkCancel() override;
  bool checkCancel(bool clear) override;
  // Waits for an accepted Start with a usable help file name and start point.
  void waitForStart(qvStartPoints& starts) override;
  bool init() override;
  bool shouldExit() override;
  void showWarning(const std::string& text) override;

  // Status bits collected and not yet acted on.
  int pendingBits() const { return pending_; }
  // The main window's handle as Init reported it.
  void* windowHandle() const { return windowHandle_; }

  // An owner-less box, for failures before the library is bound.
  static void messageBox(const std::string& text, const std::string& caption);

 protected:
  void afterReport() override { poll(true); }

 private:
  const qvCorvane2Entries* entries() const { return loaded_ ? &binding_.entries() : nullptr; }
  // Handles one press of Start; true when the run may begin.
  bool acceptStart(qvStartPoints& starts);

  std::string library_;
  qvCorvane2Binding binding_;
  bool loaded_ = false;
  int pending_ = 0;
  void* windowHandle_ = nullptr;
  // Set when the library could not open its window.
  std::string initError_;
};
