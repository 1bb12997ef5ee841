// The library's exported interface: the entry points the engine binds by
// name, and its message box. They run on the engine's threads and touch no
// widget, except where they hand work to the window thread and wait for it.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "corvane2/TGUIThread.h"
#include "corvane2/TqvNewStatus.h"
#include "corvane2/qvHcRtfRunner.h"
#include "corvane2/qvSharedBlock.h"
#include "corvane2/qvWindowBox.h"
#include "platform/qvMessageBox.h"
#include "ui/qvUserInterfaceCodes.h"

#define CORVANE2_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kInterfaceVersion = 272;
constexpr auto kInitLimit = std::chrono::seconds(10);

qvSharedBlock& block() { return qvSharedBlock::instance(); }

// Runs when the library is loaded, under the loader's lock: start the window
// thread and return without waiting for it.
__attribute__((constructor)) void startWindowThread() { TGUIThread::instance().start(); }

}  // namespace

CORVANE2_EXPORT int StatusGetVersion() { return kInterfaceVersion; }

CORVANE2_EXPORT int Init() {
  TGUIThread& thread = TGUIThread::instance();
  if (thread.waitUntilReady(kInitLimit) != TGUIThread::State::Ready) return 0;
  block().setValue(qvValueIndex::kReadWriteTimeout, 30);
  block().setValue(qvValueIndex::kLookupTimeout, 30);
  block().setValue(qvValueIndex::kConnectRetries, 1);
  block().setValue(qvValueIndex::kConnectTimeout, 30);
  if (!thread.secondCopy()) thread.invoke([&thread] { thread.window()->showAtStartUp(); });
  return 1;
}

CORVANE2_EXPORT void Run() {}
CORVANE2_EXPORT void SetVMInfo(int, int) {}
CORVANE2_EXPORT void SetShowing(int) {}

CORVANE2_EXPORT int GetStatus() { return block().takeStatus(); }
CORVANE2_EXPORT int TcpGetStatus() { return block().takeNetwork(); }
CORVANE2_EXPORT int ShouldExit() { return block().exitFlag(); }
CORVANE2_EXPORT void SetState(int state) {
  if (state >= 0 && state <= 2) block().requestState(state);
}
CORVANE2_EXPORT void* GetWindowHandle() { return TGUIThread::instance().window(); }

CORVANE2_EXPORT void ShowWarning(const char* text) { block().addWarning(text); }
CORVANE2_EXPORT void SetProgressPosition(int, int) {}
CORVANE2_EXPORT void SetStatusText(const char* text) { block().setStatusText(text); }

CORVANE2_EXPORT void SetStatusNumbers(int found, int processed, int skipped, int bytes) {
  const int numbers[] = {found, processed, skipped, bytes};
  for (int i = 0; i < qvSharedBlock::kCounterCount; ++i) block().setCounter(i, numbers[i]);
}

CORVANE2_EXPORT void SetInfo(const char* primaryBase, const char* currentBase, const char* currentUrl,
                             const char* currentFile) {
  const char* texts[] = {primaryBase, currentBase, currentUrl, currentFile};
  for (int i = 0; i < qvSharedBlock::kInfoCount; ++i) block().setInfo(i, texts[i]);
}

CORVANE2_EXPORT void SetValues(int kind, std::intptr_t p, int a, int b, int c) {
  if (kind == 0) {
    block().keepText(reinterpret_cast<const char*>(p));
  } else if (kind == 1) {
    const int statistics[] = {static_cast<int>(p), a, b, c};
    for (int i = 0; i < qvSharedBlock::kCounterCount; ++i) block().setCacheStatistic(i, statistics[i]);
  }
}

CORVANE2_EXPORT std::intptr_t GetValue(int index) {
  if (index == qvValueIndex::kCacheCommandWord) return reinterpret_cast<std::intptr_t>(&block().cacheCommandWord());
  return block().value(index);
}

CORVANE2_EXPORT int GetString(int index, char* buffer, int size) {
  block().copyText(index, buffer, size);
  return 0;
}

CORVANE2_EXPORT int GetToggles() { return block().toggles() & ~qvToggleBit::kNoRobots; }

CORVANE2_EXPORT int GetURL(char* buffer, int size) {
  block().copyUrl(buffer, size);
  return 0;
}

CORVANE2_EXPORT int RunHcRtf(const char* commandLine, const char* directory) {
  return qvHcRtfRunner::run(commandLine, directory);
}

CORVANE2_EXPORT int CvMessageBox(const char* text, const char* caption, int kind) {
  const std::string shownText = text != nullptr ? text : "";
  const std::string shownCaption = caption != nullptr ? caption : "";
  int answer = qvMessageBox::safeDefault(kind);
  const bool shown = TGUIThread::instance().invoke([&] {
    answer = qvShowWindowBox(TGUIThread::instance().window(), shownText, shownCaption, kind);
  });
  if (!shown) std::fprintf(stderr, "%s: %s\n", shownCaption.c_str(), shownText.c_str());
  return answer;
}
