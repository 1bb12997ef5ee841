// A stand-in for libcorvane2.so: exports the library's entry points with
// behaviour the tests script through the CvDouble* functions. Built three
// times: complete, without SetValues, and without StatusGetVersion.

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

namespace {

int version = 272;
std::deque<int> statusQueue;
std::deque<std::string> urlQueue;
std::deque<std::pair<int, std::string>> stringQueue;
int toggles = 0;
std::intptr_t values[32] = {};
std::string strings[32];
std::string url;
int exitFlag = 0;
const char* lastStatusText = nullptr;
const char* lastWarning = nullptr;
const char* lastInfo[4] = {};
const char* lastCommandLine = nullptr;
const char* lastDirectory = nullptr;
int lastFetchSize = -1;
int lastState = -1;
int initCalls = 0;
int numbers[4] = {};
std::string boxTexts;

void copyBounded(const std::string& text, char* buffer, int size, bool plusTerminator) {
  if (buffer == nullptr || size <= 0) return;
  size_t limit = plusTerminator ? static_cast<size_t>(size) : static_cast<size_t>(size) - 1;
  size_t n = text.size() < limit ? text.size() : limit;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

extern "C" {

// ---- scripting ----
void CvDoubleReset() {
  version = 272;
  statusQueue.clear();
  urlQueue.clear();
  stringQueue.clear();
  toggles = 0;
  for (auto& v : values) v = 0;
  for (auto& s : strings) s.clear();
  url.clear();
  exitFlag = 0;
  lastStatusText = lastWarning = lastCommandLine = lastDirectory = nullptr;
  for (auto& p : lastInfo) p = nullptr;
  lastFetchSize = lastState = -1;
  initCalls = 0;
  for (auto& n : numbers) n = 0;
  boxTexts.clear();
}
void CvDoubleSetVersion(int v) { version = v; }
void CvDoublePushStatus(int bits) { statusQueue.push_back(bits); }
void CvDoubleSetToggles(int t) { toggles = t; }
void CvDoubleSetValue(int index, int value) { values[index & 31] = value; }
void CvDoubleSetString(int index, const char* text) { strings[index & 31] = text; }
void CvDoublePushString(int index, const char* text) { stringQueue.emplace_back(index & 31, text); }
void CvDoublePushURL(const char* text) { urlQueue.push_back(text); }
void CvDoubleSetExit(int flag) { exitFlag = flag; }
const char* CvDoubleLastStatusText() { return lastStatusText; }
const char* CvDoubleLastWarning() { return lastWarning; }
const char* CvDoubleLastInfo(int i) { return lastInfo[i & 3]; }
const char* CvDoubleLastCommandLine() { return lastCommandLine; }
const char* CvDoubleLastDirectory() { return lastDirectory; }
int CvDoubleLastFetchSize() { return lastFetchSize; }
int CvDoubleLastState() { return lastState; }
int CvDoubleInitCalls() { return initCalls; }
int CvDoubleNumber(int i) { return numbers[i & 3]; }
const char* CvDoubleBoxTexts() { return boxTexts.c_str(); }

// ---- the library's entry points ----
#ifndef CV_DOUBLE_NO_VERSION
int StatusGetVersion() { return version; }
#endif
int GetToggles() { return toggles; }
std::intptr_t GetValue(int index) { return (index >= 0 && index < 32) ? values[index] : 0; }
int GetString(int index, char* buffer, int size) {
  lastFetchSize = size;
  if (!stringQueue.empty() && stringQueue.front().first == index) {
    strings[index & 31] = stringQueue.front().second;
    stringQueue.pop_front();
  }
  if (index >= 0 && index < 32 && !strings[index].empty()) copyBounded(strings[index], buffer, size, false);
  return 0;
}
int GetStatus() {
  if (statusQueue.empty()) return 0;
  int bits = statusQueue.front();
  statusQueue.pop_front();
  return bits;
}
int TcpGetStatus() { return 0; }
int GetURL(char* buffer, int size) {
  lastFetchSize = size;
  if (!urlQueue.empty()) {
    url = urlQueue.front();
    urlQueue.pop_front();
  }
  copyBounded(url, buffer, size, true);
  return 0;
}
void ShowWarning(const char* text) { lastWarning = text; }
void Run() {}
void SetStatusNumbers(int found, int processed, int skipped, int bytes) {
  int in[4] = {found, processed, skipped, bytes};
  for (int i = 0; i < 4; ++i) {
    if (in[i] != -1) numbers[i] = in[i];
  }
}
void SetStatusText(const char* text) { lastStatusText = text; }
void SetProgressPosition(int, int) {}
void* GetWindowHandle() { return &initCalls; }
void SetState(int state) { lastState = state; }
void SetInfo(const char* a, const char* b, const char* c, const char* d) {
  const char* in[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) {
    if (in[i] != nullptr) lastInfo[i] = in[i];
  }
}
void SetVMInfo(int, int) {}
int RunHcRtf(const char* commandLine, const char* directory) {
  lastCommandLine = commandLine;
  lastDirectory = directory;
  return 1;
}
int Init() {
  ++initCalls;
  return 1;
}
void SetShowing(int) {}
int ShouldExit() { return exitFlag; }
#ifndef CV_DOUBLE_NO_SETVALUES
void SetValues(int, std::intptr_t, int, int, int) {}
#endif
int CvMessageBox(const char* text, const char* caption, int) {
  boxTexts += std::string(caption) + ": " + text + "\n";
  return 1;
}

}  // extern "C"
