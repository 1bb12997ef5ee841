// The real libcorvane2.so, loaded into a child process as the engine loads
// it, driven through its exported entry points.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "../support/TempDirectory.h"
#include "corvane2/qvSharedBlock.h"
#include "tests/corvane2/LibraryChild.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

constexpr unsigned char kCanary = 0xA5;
constexpr int kSlack = 32;

template <typename T>
T* child(QWidget* window, const char* name) {
  return window->findChild<T*>(name);
}

QString textOf(QWidget* window, const char* name) {
  QString text;
  onWindowThread(window, [&] {
    if (auto* label = child<QLabel>(window, name)) text = label->text();
    if (auto* edit = child<QPlainTextEdit>(window, name)) text = edit->toPlainText();
    if (auto* button = child<QPushButton>(window, name)) text = button->text();
  });
  return text;
}

// Fills the buffer's tail beyond `size` with canaries, calls `fetch` and
// checks that only the first `size` bytes changed and the text is cut and
// terminated inside them.
void checkBounded(ChildChecks& checks, const std::string& expected, int size,
                  const std::function<void(char*, int)>& fetch, const std::string& what) {
  std::vector<unsigned char> buffer(static_cast<std::size_t>(size) + kSlack, kCanary);
  fetch(reinterpret_cast<char*>(buffer.data()), size);
  for (std::size_t i = static_cast<std::size_t>(size); i < buffer.size(); ++i) {
    checks.check(buffer[i] == kCanary, what + ": byte " + std::to_string(i) + " beyond the buffer was written");
  }
  if (size == 0) return;
  const std::size_t kept = std::min(expected.size(), static_cast<std::size_t>(size) - 1);
  checks.equal(std::string(reinterpret_cast<char*>(buffer.data())), expected.substr(0, kept),
               what + ": text of size " + std::to_string(size));
}

TEST(Corvane2Library, HandshakeInitAndGetters) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [](ChildChecks& checks) {
    LoadedLibrary loaded = loadCorvane2();
    checks.check(loaded.complete, "all 21 entry points and CvMessageBox are exported");
    if (!loaded.complete) return;
    const qvCorvane2Entries& e = loaded.entries;
    checks.equal(e.StatusGetVersion(), 272, "interface version");
    checks.equal(e.Init(), 1, "Init on the offscreen platform the test asked for");
    checks.equal(e.GetValue(qvValueIndex::kReadWriteTimeout), 30, "read and write time-out");
    checks.equal(e.GetValue(qvValueIndex::kLookupTimeout), 30, "lookup time-out");
    checks.equal(e.GetValue(qvValueIndex::kConnectRetries), 1, "connect retries");
    checks.equal(e.GetValue(qvValueIndex::kConnectTimeout), 30, "connect time-out");
    for (int index : {0, 5, 6, 13, 18, 99, -1}) {
      checks.equal(e.GetValue(index), 0, "GetValue(" + std::to_string(index) + ")");
    }
    checks.equal(e.GetValue(qvValueIndex::kCacheEnabled), 1, "cache on by default");
    checks.equal(e.GetValue(qvValueIndex::kCacheSizeLimit), 20, "cache size default");
    checks.equal(e.GetValue(qvValueIndex::kCacheDays), 30, "cache expiry default");
    checks.equal(e.GetValue(qvValueIndex::kValidateCache), 1, "validation on by default");
    auto* word = reinterpret_cast<int*>(e.GetValue(qvValueIndex::kCacheCommandWord));
    checks.check(word != nullptr && *word == 0, "the cache-command word is reachable and clear");
    QWidget* window = windowOf(loaded);
    checks.check(window != nullptr, "a window handle");
    bool shownDisabled = false;
    bool aboutShown = false;
    onWindowThread(window, [&] {
      shownDisabled = window->isVisible() && !window->isEnabled();
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowTitle() == "About Corvane(tm)" && top->isVisible()) aboutShown = true;
      }
    });
    checks.check(shownDisabled, "Init shows the window, still disabled");
    checks.check(aboutShown, "Init shows the about box over it");
    bool enabled = false;
    for (int wait = 0; wait < 60 && !enabled; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      onWindowThread(window, [&] { enabled = window->isEnabled(); });
    }
    checks.check(enabled, "the about box enables the window within three seconds");
    checks.equal(window->windowTitle().toStdString(), std::string("Corvane v1.1"), "caption");
    checks.equal(e.ShouldExit(), 0, "no exit before the user closes");
    checks.equal(e.GetStatus(), 0, "no status bits before a press");
    checks.equal(e.TcpGetStatus(), 0, "no network bits before a press");
    checks.equal(e.GetToggles() & qvToggleBit::kNoRobots, 0, "robots are always checked");
    e.Run();
    e.SetVMInfo(1, 2);
    e.SetShowing(1);
    e.SetProgressPosition(50, 1);
    char untouched[8] = "keepme";
    e.GetString(3, untouched, sizeof untouched);
    checks.equal(std::string(untouched), std::string("keepme"), "an index without text leaves the buffer");
  });
}

TEST(Corvane2Library, FetchedTextsStayInsideTheirBuffers) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [](ChildChecks& checks) {
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    const qvCorvane2Entries& e = loaded.entries;
    e.Init();
    QWidget* window = windowOf(loaded);
    const std::string longName(1500, 'n');
    const std::string longUrl = "http://" + std::string(1500, 'u');
    onWindowThread(window, [&] {
      // The URL first: a new URL brings its profile's help file name.
      child<QWidget>(window, "UrlComboBox")->findChild<QLineEdit*>()->setText(QString::fromStdString(longUrl));
      child<QLineEdit>(window, "OutputName")->setText(QString::fromStdString(longName));
    });
    for (int size : {0, 1, 2, 1023}) {
      checkBounded(checks, longName, size, [&](char* b, int n) { e.GetString(qvStringIndex::kHelpFileName, b, n); },
                   "GetString(4)");
      checkBounded(checks, longUrl, size, [&](char* b, int n) { e.GetURL(b, n); }, "GetURL");
    }
    const std::string shortName = "short.hlp";
    onWindowThread(window, [&] { child<QLineEdit>(window, "OutputName")->setText(QString::fromStdString(shortName)); });
    checkBounded(checks, shortName, 1023, [&](char* b, int n) { e.GetString(qvStringIndex::kHelpFileName, b, n); },
                 "GetString(4), short");
  });
}

// The sunken panels' texts: the counters and the cache statistics.
QStringList panelTexts(QWidget* window) {
  QStringList shown;
  onWindowThread(window, [&] {
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (label->frameStyle() == (QFrame::Panel | QFrame::Sunken)) shown << label->text();
    }
  });
  return shown;
}

TEST(Corvane2Library, TickShowsWhatTheSettersStored) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [](ChildChecks& checks) {
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    const qvCorvane2Entries& e = loaded.entries;
    e.Init();
    QWidget* window = windowOf(loaded);
    auto shows = [window](const char* name, const std::string& expected) {
      return eventually([&] { return textOf(window, name).toStdString() == expected; });
    };
    // The idle state the window starts in is applied by its first tick, after
    // any status text of the same tick; a text that stays shown proves that
    // tick has passed.
    checks.check(eventually([&] {
                   e.SetStatusText("probe");
                   return textOf(window, "StatusPanel") == " probe";
                 }),
                 "the first tick has run");
    e.SetStatusNumbers(1234567, 1000, 0, 7);
    e.SetValues(1, 12, 3456, 7, 8);
    e.SetInfo("http://a/", "http://a/b/", "http://a/b/c.htm", "rtf/x.tmp");
    e.SetStatusText("Fetching pages");
    checks.check(shows("StatusPanel", " Fetching pages"), "status text");
    QStringList shown = panelTexts(window);
    checks.check(shown.contains("1,234,567 "), "URLs Found grouped, with a blank");
    checks.check(shown.contains("1,000 "), "URLs Processed");
    checks.check(shown.contains("3,456 ") && shown.contains("12 "), "cache statistics");
    checks.check(shown.contains("http://a/b/c.htm"), "current URL");
    checks.check(shows("CurrentUrlLabel", "(processing http://a/b/c.htm)"), "processing label");

    e.SetStatusNumbers(-1, 5, -1, -1);
    e.SetStatusText("after the numbers");
    checks.check(shows("StatusPanel", " after the numbers"), "second status text");
    shown = panelTexts(window);
    checks.check(shown.contains("5 ") && !shown.contains("1,000 "), "URLs Processed changed");
    checks.check(shown.contains("1,234,567 ") && shown.contains("0 ") && shown.contains("7 "),
                 "the other counters kept");

    e.SetInfo(nullptr, nullptr, nullptr, nullptr);
    e.SetStatusText("after null texts");
    checks.check(shows("StatusPanel", " after null texts"), "third status text");
    checks.equal(textOf(window, "CurrentUrlLabel").toStdString(), std::string("(processing http://a/b/c.htm)"),
                 "null texts change nothing");
    e.SetInfo("", "", "", "");
    checks.check(shows("CurrentUrlLabel", ""), "empty texts clear");

    e.SetState(1);
    checks.check(shows("StartButton", "&Enough"), "state 1 caption");
    checks.equal(textOf(window, "StatusPanel").toStdString(), std::string(" Getting required files"), "state 1 text");
    e.SetState(2);
    checks.check(shows("StartButton", "&Just Stop!"), "state 2 caption");
    e.SetState(0);
    checks.check(shows("StartButton", "&Start"), "state 0 caption");
    checks.equal(textOf(window, "StatusPanel").toStdString(), std::string(" Enter Selections and Press Start"),
                 "state 0 text");
    e.SetValues(0, reinterpret_cast<std::intptr_t>("kept"), 0, 0, 0);
    e.SetValues(7, 0, 0, 0, 0);
  });
}

// The engine refills its text buffers as soon as a setter returns. Two
// engine threads call the setters 10,000 times each while the tick runs;
// every text the window shows must be one the engine passed, whole.
TEST(Corvane2Library, SettersRacingTheTickNeverTearTexts) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [](ChildChecks& checks) {
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    const qvCorvane2Entries& e = loaded.entries;
    e.Init();
    QWidget* window = windowOf(loaded);
    constexpr int kCalls = 10000;
    constexpr int kWarningsPerThread = 500;
    std::atomic<int> torn{0};
    QTimer* watcher = nullptr;
    onWindowThread(window, [&] {
      watcher = new QTimer(window);
      QObject::connect(watcher, &QTimer::timeout, window, [&, window] {
        const QString text = child<QLabel>(window, "StatusPanel")->text();
        if (text.size() != 501 || text[0] != ' ') return;  // not one of the race's texts
        if (text.mid(1) != QString(text.size() - 1, text[1])) ++torn;
      });
      watcher->start(1);
    });
    auto engineThread = [&](char first, int warningTag) {
      char buffer[520];
      for (int i = 0; i < kCalls; ++i) {
        const char c = static_cast<char>(first + i % 13);
        std::memset(buffer, c, 500);
        buffer[500] = '\0';
        e.SetStatusText(buffer);
        e.SetInfo(buffer, nullptr, buffer, nullptr);
        std::memset(buffer, '#', 250);  // the engine's next text, half written
        e.SetStatusNumbers(i, -1, i, -1);
        if (i % (kCalls / kWarningsPerThread) == 0) {
          std::snprintf(buffer, sizeof buffer, "warning %d %d", warningTag, i / (kCalls / kWarningsPerThread));
          e.ShowWarning(buffer);
          std::memset(buffer, '#', 20);
        }
      }
    };
    std::thread first(engineThread, 'a', 1);
    std::thread second(engineThread, 'A', 2);
    first.join();
    second.join();
    eventually([&] { return textOf(window, "Warnings").count('\n') + 1 >= 2 * kWarningsPerThread; });
    onWindowThread(window, [&] { watcher->stop(); });
    checks.equal(torn.load(), 0, "status texts shown whole");
    const QStringList lines = textOf(window, "Warnings").split('\n');
    checks.equal(lines.size(), 2 * kWarningsPerThread, "every warning shown once");
    int next[3] = {0, 0, 0};
    for (const QString& line : lines) {
      const QStringList parts = line.split(' ');
      if (parts.size() != 3) {
        checks.check(false, "warning shown whole: " + line.toStdString());
        continue;
      }
      const int tag = parts[1].toInt();
      checks.equal(parts[2].toInt(), next[tag & 3]++, "warnings of one thread in order");
    }
  });
}

TEST(Corvane2Library, MessageBoxRunsOnTheWindowThreadWhileTheCallerWaits) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [](ChildChecks& checks) {
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    loaded.entries.Init();
    QWidget* window = windowOf(loaded);
    QString seenText;
    QString seenCaption;
    onWindowThread(window, [&] {
      auto* closer = new QTimer(window);
      QObject::connect(closer, &QTimer::timeout, window, [&, closer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        seenText = box->text();
        seenCaption = box->windowTitle();
        box->button(QMessageBox::No)->click();
        closer->deleteLater();
      });
      closer->start(20);
    });
    const int answer = loaded.messageBox("Replace the file?", "Question", 0x4 | 0x20);
    checks.equal(answer, 7, "the No button's answer");
    checks.equal(seenText.toStdString(), std::string("Replace the file?"), "box text");
    checks.equal(seenCaption.toStdString(), std::string("Question"), "box caption");
  });
}

TEST(Corvane2Library, InitGivesUpWithoutAUsableDisplay) {
  TempDirectory dir;
  runInChild(
      dir / "registry.reg",
      [](ChildChecks& checks) {
        LoadedLibrary loaded = loadCorvane2();
        if (!loaded.complete) return checks.check(false, "library loads");
        const auto began = std::chrono::steady_clock::now();
        checks.equal(loaded.entries.Init(), 0, "Init reports that no window could be opened");
        checks.check(std::chrono::steady_clock::now() - began < std::chrono::seconds(11), "within the bound");
        checks.equal(loaded.messageBox("text", "caption", 0x4), 7, "boxes answer their safe default");
      },
      [] {
        ::unsetenv("QT_QPA_PLATFORM");
        ::setenv("DISPLAY", ":97531", 1);  // no such server
        ::unsetenv("WAYLAND_DISPLAY");
      });
}

TEST(Corvane2Library, ASecondCopyHandsOverAndAsksToEnd) {
  TempDirectory dir;
  const std::string ready = dir / "first-is-up";
  runInChild(dir / "registry.reg", [ready](ChildChecks& checks) {
    // Forked before anything is loaded, so the second copy starts as fresh
    // as a second program would.
    const pid_t second = ::fork();
    if (second == 0) {
      for (int i = 0; i < 500 && ::access(ready.c_str(), F_OK) != 0; ++i) ::usleep(20000);
      LoadedLibrary again = loadCorvane2();
      bool ok = again.complete && again.entries.Init() == 1;
      ok = ok && (again.entries.GetStatus() & qvStatusBit::kClosing) != 0 && again.entries.ShouldExit() == 1;
      bool hidden = false;
      QWidget* window = windowOf(again);
      onWindowThread(window, [&] { hidden = !window->isVisible(); });
      std::fflush(nullptr);
      ::_exit(ok && hidden ? 0 : 1);
    }
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    loaded.entries.Init();
    QWidget* window = windowOf(loaded);
    onWindowThread(window, [&] { window->hide(); });
    std::fclose(std::fopen(ready.c_str(), "w"));
    int status = 0;
    ::waitpid(second, &status, 0);
    checks.check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the second copy shows nothing and sees the exit bits");
    bool visible = false;
    for (int i = 0; i < 500 && !visible; ++i) {
      onWindowThread(window, [&] { visible = window->isVisible(); });
      if (!visible) ::usleep(20000);
    }
    checks.check(visible, "the first copy came to the front");
    checks.equal(loaded.entries.ShouldExit(), 0, "the first copy lives on");
  });
}

}  // namespace
