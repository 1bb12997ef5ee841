#include "ui/qvPlainUserInterface.h"

#include <unistd.h>
#include <chrono>
#include <iostream>

#include "base/qvDriverSettings.h"
#include "platform/qvProcess.h"

qvPlainUserInterface::qvPlainUserInterface(qvDriverSettings& settings, const std::string& logPath)
    : qvPlainUserInterface(settings, logPath, std::cout, std::cerr) {
  showStatusText_ = isatty(STDOUT_FILENO) != 0;
}

qvPlainUserInterface::qvPlainUserInterface(qvDriverSettings& settings, const std::string& logPath,
                                           std::ostream& out, std::ostream& err)
    : qvLoggingUserInterface(settings, logPath), out_(out), err_(err) {}

void qvPlainUserInterface::showError(const std::string& text, bool toStatusLine) {
  // Nobody sees a warnings list on the console: warnings go to the error
  // stream, and to the log as the window's warnings do.
  debugLog().line(text);
  if (toStatusLine) logLine(text);
  err_ << text << '\n' << std::flush;
}

void qvPlainUserInterface::showWarning(const std::string& text) {
  debugLog().line(text);
  err_ << text << '\n' << std::flush;
}

void qvPlainUserInterface::setInfo(const char*, const char*, const char* currentUrl, const char*) {
  if (currentUrl != nullptr) currentUrl_ = currentUrl;
}

void qvPlainUserInterface::updateCounts(int processed, int skipped, long bytes) {
  if (!showStatusText_) return;
  out_ << '[' << processed << '/' << skipped << '/' << bytes << "] " << std::flush;
}

void qvPlainUserInterface::updateCounts(int found, int processed, int skipped, long bytes) {
  // -1 leaves a number as it was, as the window's counters do.
  if (found != -1) found_ = found;
  showProgress(found_, processed, skipped, bytes);
}

void qvPlainUserInterface::showProgress(int found, int processed, int skipped, long bytes) {
  if (!showProgress_) return;
  std::string line = "[" + std::to_string(found) + " found, " + std::to_string(processed) + " processed, " +
                     std::to_string(skipped) + " skipped, " + std::to_string(bytes) + " bytes] " + currentUrl_;
  if (line.size() > 100) line = line.substr(0, 97) + "...";
  err_ << '\r' << line << "\x1b[K" << std::flush;
}

void qvPlainUserInterface::setStatusText(const std::string& text) {
  if (!showStatusText_) return;
  out_ << text << '\r' << std::flush;
}

void qvPlainUserInterface::showMessage(const std::string& text) { printLine(text); }

void qvPlainUserInterface::printLine(const std::string& text) { out_ << text << '\n' << std::flush; }

void qvPlainUserInterface::errorBox(const std::string& text) { err_ << text << '\n' << std::flush; }

bool qvPlainUserInterface::runHcRtf(const char* commandLine, const char* directory) {
  if (commandLine == nullptr) return false;
  out_.flush();
  qvProcess compiler;
  if (!compiler.start(commandLine, directory)) {
    errorBox("Could not run help compiler: " + compiler.errorText());
    return false;
  }
  return compiler.wait() == 0;
}

void qvPlainUserInterface::poll(bool) {
  if (values_.deadline && std::chrono::steady_clock::now() >= *values_.deadline) settings().enough = true;
}

bool qvPlainUserInterface::checkCancel() { return checkCancel(false); }

bool qvPlainUserInterface::checkCancel(bool) {
  poll(true);
  return false;
}
