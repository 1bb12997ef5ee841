#include "ui/qvLoggingUserInterface.h"

#include "base/qvDriverSettings.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

qvLoggingUserInterface::qvLoggingUserInterface(qvDriverSettings& settings, const std::string& logPath)
    : settings_(settings), log_(logPath), debugLog_(settings) {}

void qvLoggingUserInterface::statusMessage(const std::string& text, bool logOnly) {
  logLine(text);
  if (!logOnly) showMessage(text);
  afterReport();
}

void qvLoggingUserInterface::beginStatusLine(const std::string& text) {
  statusLine_ = text;
  setStatusText(statusLine_);
  afterReport();
}

void qvLoggingUserInterface::appendStatusLine(const std::string& text, bool append) {
  statusLine_ = append ? statusLine_ + text : text;
  setStatusText(statusLine_);
  afterReport();
}

void qvLoggingUserInterface::endStatusLine(const std::string& text, bool append, bool log) {
  statusLine_ = append ? statusLine_ + text : text;
  setStatusText(statusLine_);
  if (log) {
    logLine(statusLine_);
    printLine(statusLine_);
  }
  statusLine_.clear();
  afterReport();
}

std::string qvLoggingUserInterface::readToggles() {
  int toggles = getToggles();
  settings_.siteWide = (toggles & qvToggleBit::kSiteWide) != 0;
  settings_.noImages = (toggles & qvToggleBit::kNoImages) != 0;
  settings_.checkRobots = (toggles & qvToggleBit::kNoRobots) == 0;
  settings_.plainTextInMemory = (toggles & qvToggleBit::kPlainTextInMemory) != 0;
  settings_.dontSkipCGI = (toggles & qvToggleBit::kRetrieveCgi) != 0;
  return std::string("SiteWide=") + boolText(settings_.siteWide) + ", NoImages=" + boolText(settings_.noImages) +
         ", CheckRobots=" + boolText(settings_.checkRobots) + ", Don'tSkipCGI=" + boolText(settings_.dontSkipCGI);
}

std::string qvLoggingUserInterface::readValues() {
  settings_.maxURLs = getValue(qvValueIndex::kMaxUrls);
  settings_.maxDepth = getValue(qvValueIndex::kMaxDepth);
  settings_.fetchHttps = getValue(qvValueIndex::kFetchHttps) != 0;
  return "MaxURLs=" + std::to_string(settings_.maxURLs) + ", MaxDepth=" + std::to_string(settings_.maxDepth);
}
