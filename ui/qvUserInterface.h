#pragma once
// The engine's only path to the user. Everything shown to the user and every
// command the user gives passes through one object of this class, created at
// start-up and kept for the life of the process. Two implementations:
// qvGuiUserInterface (forwards to libcorvane2.so) and qvPlainUserInterface
// (the console). The virtual operations are declared in the order of the
// class's slots; where an implementation does not override, the behaviour
// here holds.

#include <cstdint>
#include <string>

class qvStartPoints;

class qvUserInterface {
 public:
  virtual ~qvUserInterface() = default;

  // Text describing the outcome of load(); empty where there is nothing to say.
  virtual std::string getErrorText() { return {}; }
  // Binds the user-interface library; false when it cannot be used.
  virtual bool load() { return true; }
  // Shows a warning; the one-argument form also ends the status line with it.
  virtual void showError(const std::string& text) { showError(text, true); }
  virtual void showError(const std::string& /*text*/, bool /*toStatusLine*/) {}
  virtual int getToggles() { return 0; }
  virtual int getValue(int /*index*/) { return 0; }
  virtual std::string getString(int /*index*/) { return {}; }
  // The word the user's cache commands are posted in (the pointer getValue 24
  // stands for); the cache maintenance thread takes and clears it. Null where
  // nobody can post commands.
  virtual int* cacheCommandWord() { return nullptr; }
  // Status bits set by the user since the last call (cleared by the call).
  virtual int getStatus() { return 0; }
  // Network status bits set by the user since the last call (cleared by the
  // call); bit 0 asks to skip the transfer in progress.
  virtual int tcpGetStatus() { return 0; }
  // 0 idle, 1 fetching, 2 final processing.
  virtual void setState(int /*state*/) {}
  // Four information fields; a null pointer leaves that field unchanged.
  virtual void setInfo(const char* /*primaryBase*/, const char* /*currentBase*/,
                       const char* /*currentUrl*/, const char* /*currentFile*/) {}
  virtual void setVMInfo(int /*a*/, int /*b*/) {}
  virtual std::string getURL() { return {}; }
  virtual void run() {}
  // -1 leaves a number unchanged.
  virtual void setStatusNumbers(int /*found*/, int /*processed*/, int /*skipped*/, long /*bytes*/) {}
  virtual void updateCounts(int /*processed*/, int /*skipped*/, long /*bytes*/) {}
  virtual void updateCounts(int /*found*/, int /*processed*/, int /*skipped*/, long /*bytes*/) {}
  virtual void setStatusText(const std::string& /*text*/) {}
  virtual void setProgress(int /*position*/) {}
  virtual void setProgressPosition(int /*position*/, bool /*secondary*/) {}
  virtual void errorBox(const std::string& /*text*/) {}
  // Starts the help compiler; `directory` may be null (current directory).
  virtual bool runHcRtf(const char* /*commandLine*/, const char* /*directory*/) { return false; }
  // Collects the user's button presses and acts on them.
  virtual void poll(bool /*flag*/) {}
  // Logs the text and shows it; with logOnly it is only logged.
  virtual void statusMessage(const std::string& text) { statusMessage(text, false); }
  virtual void statusMessage(const std::string& /*text*/, bool /*logOnly*/) {}
  virtual void beginStatusLine(const std::string& /*text*/) {}
  virtual void appendStatusLine(const std::string& /*text*/, bool /*append*/) {}
  virtual void endStatusLine(const std::string& /*text*/, bool /*append*/, bool /*log*/) {}
  // Throws qvCancelException once the user pressed "Just Stop!"; the flag stays
  // set (every later check throws) until checkCancel(true) clears it.
  virtual bool checkCancel() { return false; }
  virtual bool checkCancel(bool /*clear*/) { return false; }
  // Blocks until the user started a run with a usable start point.
  virtual void waitForStart(qvStartPoints& /*starts*/) {}
  virtual bool init() { return true; }
  virtual void setShowing(bool /*flag*/) {}
  virtual bool shouldExit() { return false; }
  virtual void showWarning(const std::string& /*text*/) {}
  virtual std::string readToggles() { return {}; }
  virtual std::string readValues() { return {}; }
  // Figures for the window; kind 1 is the cache: entries, bytes, hits, misses.
  virtual void setValues(int /*kind*/, std::intptr_t /*a*/, int /*b*/, int /*c*/, int /*d*/) {}
};
