#include "ui/qvGuiUserInterface.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include "base/qvDriverSettings.h"
#include "base/qvHelpFileName.h"
#include "platform/qvMessageBox.h"
#include "platform/qvProcessExit.h"
#include "platform/qvSystemInfo.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvStartOptions.h"
#include "ui/qvStartPoints.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

using Buffer = char[qvGuiUserInterface::kTextBufferSize];

// One buffer per text argument position; the library may read a pointer
// long after the call that passed it.
Buffer statusTextBuffer;
Buffer warningBuffer;
Buffer infoBuffers[4];
Buffer commandLineBuffer;
Buffer directoryBuffer;
char fetchBuffer[qvGuiUserInterface::kFetchBufferSize];

// Guards poll() against being entered again from a report it triggers.
std::atomic<bool> pollBusy{false};

const char* copyText(Buffer& buffer, const char* text) {
  if (text == nullptr) return nullptr;
  std::memset(buffer, 0, sizeof buffer);
  std::strncpy(buffer, text, qvGuiUserInterface::kTextLimit);
  return buffer;
}

const char* copyText(Buffer& buffer, const std::string& text) { return copyText(buffer, text.c_str()); }

int clampToInt(long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

qvGuiUserInterface::qvGuiUserInterface(qvDriverSettings& settings, const std::string& logPath, std::string library)
    : qvLoggingUserInterface(settings, logPath), library_(std::move(library)) {}

bool qvGuiUserInterface::load() {
  qvSystemInfo::setThreadPriority(qvSystemInfo::ThreadPriority::BelowNormal);
  loaded_ = binding_.load(library_);
  if (loaded_ && binding_.messageBox() != nullptr) qvMessageBox::bind(binding_.messageBox());
  return loaded_;
}

void qvGuiUserInterface::showError(const std::string& text, bool toStatusLine) {
  debugLog().line(text);
  if (toStatusLine) endStatusLine(text, true, true);
  showWarning(text);
}

int qvGuiUserInterface::getToggles() { return entries() ? entries()->GetToggles() : 0; }

int qvGuiUserInterface::getValue(int index) {
  return entries() ? static_cast<int>(entries()->GetValue(index)) : 0;
}

int* qvGuiUserInterface::cacheCommandWord() {
  if (!entries()) return nullptr;
  return reinterpret_cast<int*>(entries()->GetValue(qvValueIndex::kCacheCommandWord));
}

void qvGuiUserInterface::setValues(int kind, std::intptr_t a, int b, int c, int d) {
  if (entries()) entries()->SetValues(kind, a, b, c, d);
}

std::string qvGuiUserInterface::getString(int index) {
  if (!entries()) return {};
  std::memset(fetchBuffer, 0, sizeof fetchBuffer);
  entries()->GetString(index, fetchBuffer, kFetchLimit);
  return std::string(fetchBuffer, strnlen(fetchBuffer, kFetchLimit));
}

int qvGuiUserInterface::getStatus() { return entries() ? entries()->GetStatus() : 0; }

void qvGuiUserInterface::setState(int state) {
  qvSystemInfo::setThreadPriority(state == 0 ? qvSystemInfo::ThreadPriority::BelowNormal
                                             : qvSystemInfo::ThreadPriority::Normal);
  if (entries()) entries()->SetState(state);
}

void qvGuiUserInterface::setInfo(const char* primaryBase, const char* currentBase, const char* currentUrl,
                                 const char* currentFile) {
  if (!entries()) return;
  entries()->SetInfo(copyText(infoBuffers[0], primaryBase), copyText(infoBuffers[1], currentBase),
                     copyText(infoBuffers[2], currentUrl), copyText(infoBuffers[3], currentFile));
}

std::string qvGuiUserInterface::getURL() {
  if (!entries()) return {};
  std::memset(fetchBuffer, 0, sizeof fetchBuffer);
  entries()->GetURL(fetchBuffer, kFetchLimit);
  return std::string(fetchBuffer, strnlen(fetchBuffer, kFetchLimit));
}

void qvGuiUserInterface::setStatusNumbers(int found, int processed, int skipped, long bytes) {
  if (entries()) entries()->SetStatusNumbers(found, processed, skipped, clampToInt(bytes));
}

void qvGuiUserInterface::updateCounts(int processed, int skipped, long bytes) {
  setStatusNumbers(-1, processed, skipped, bytes);
  poll(true);
}

void qvGuiUserInterface::updateCounts(int found, int processed, int skipped, long bytes) {
  setStatusNumbers(found, processed, skipped, bytes);
  poll(true);
}

void qvGuiUserInterface::setStatusText(const std::string& text) {
  if (entries()) entries()->SetStatusText(copyText(statusTextBuffer, text));
}

void qvGuiUserInterface::setProgress(int position) {
  setProgressPosition(position, true);
  setProgressPosition(position, false);
}

void qvGuiUserInterface::setProgressPosition(int position, bool secondary) {
  if (entries()) entries()->SetProgressPosition(position, secondary ? 0 : 1);
}

void qvGuiUserInterface::errorBox(const std::string& text) {
  qvMessageBox::show(text, "Corvane error", qvMessageBox::kOk | qvMessageBox::kIconStop);
}

bool qvGuiUserInterface::runHcRtf(const char* commandLine, const char* directory) {
  if (!entries()) return false;
  return entries()->RunHcRtf(copyText(commandLineBuffer, commandLine), copyText(directoryBuffer, directory)) != 0;
}

void qvGuiUserInterface::poll(bool /*flag*/) {
  if (pollBusy.exchange(true)) return;
  struct Release {
    ~Release() { pollBusy.store(false); }
  } release;
  pending_ |= getStatus();
  if (pending_ & qvStatusBit::kClosing) qvEndProcess(1);
  if (pending_ & qvStatusBit::kLimitsChanged) {
    pending_ &= ~qvStatusBit::kLimitsChanged;
    readValues();
  }
  if (pending_ & qvStatusBit::kTogglesChanged) {
    pending_ &= ~qvStatusBit::kTogglesChanged;
    readToggles();
  }
  if (pending_ & qvStatusBit::kEnough) {
    pending_ &= ~qvStatusBit::kEnough;
    settings().enough = true;
  }
}

bool qvGuiUserInterface::checkCancel() { return checkCancel(false); }

bool qvGuiUserInterface::checkCancel(bool clear) {
  poll(true);
  bool cancelled = (pending_ & qvStatusBit::kJustStop) != 0;
  if (clear) pending_ &= ~qvStatusBit::kJustStop;
  if (cancelled) throw qvCancelException();
  return false;
}

bool qvGuiUserInterface::acceptStart(qvStartPoints& starts) {
  std::string helpFile = qvHelpFileName::withExtension(getString(qvStringIndex::kHelpFileName));
  if (!qvStartOptions::canCreateHelpFile(helpFile)) {
    std::string text = "Cannot create file '" + helpFile + "'";
    statusMessage(text);
    errorBox(text);
    return false;
  }
  settings().helpFileName = helpFile;
  std::string url = getURL();
  if (url.empty()) {
    errorBox("Please enter a URL");
    return false;
  }
  if (qvStartOptions::isLocalPath(url)) {
    if (starts.addLocalStart(url) > 0) return true;
    statusMessage("No HTML files found");
    errorBox("No HTML files found");
    return false;
  }
  switch (starts.addStartUrl(url)) {
    case qvStartPoints::UrlResult::Accepted:
      return true;
    case qvStartPoints::UrlResult::Nothing:
      return false;
    case qvStartPoints::UrlResult::Rejected:
      break;
  }
  std::string text = "Don't understand URL '" + url + "'";
  statusMessage(text);
  errorBox(text);
  starts.clearStarts();
  return false;
}

void qvGuiUserInterface::waitForStart(qvStartPoints& starts) {
  beginStatusLine("Idle");
  setState(0);
  pending_ = 0;
  for (;;) {
    poll(false);
    if ((pending_ & qvStatusBit::kStart) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      continue;
    }
    pending_ &= ~qvStatusBit::kStart;
    if (acceptStart(starts)) break;
    setState(0);
  }
  pending_ = 0;
  setState(1);
  qvStartOptions::reportStartOptions(*this, starts, settings());
}

bool qvGuiUserInterface::init() {
  if (!entries()) return true;
  // The library gives up after a bounded wait when no display can be used.
  if (entries()->Init() == 0) {
    initError_ = "no window could be opened";
    return false;
  }
  windowHandle_ = entries()->GetWindowHandle();
  return true;
}

int qvGuiUserInterface::tcpGetStatus() { return entries() ? entries()->TcpGetStatus() : 0; }

bool qvGuiUserInterface::shouldExit() { return entries() && entries()->ShouldExit() != 0; }

void qvGuiUserInterface::showWarning(const std::string& text) {
  if (entries()) entries()->ShowWarning(copyText(warningBuffer, text));
}

void qvGuiUserInterface::messageBox(const std::string& text, const std::string& caption) {
  qvMessageBox::show(text, caption, qvMessageBox::kOk);
}
