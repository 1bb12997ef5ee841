// RunHcRtf of the real library with real processes: how a start fails, where
// the compiler runs, what it inherits, and how the window waits for it.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "../support/TempDirectory.h"
#include "tests/corvane2/LibraryChild.h"

namespace {

struct SeenBox {
  QString text;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Closes the next box the window shows and tells what it said.
std::shared_ptr<SeenBox> closeNextBox(QWidget* window) {
  auto seen = std::make_shared<SeenBox>();
  onWindowThread(window, [window, seen] {
    auto* closer = new QTimer(window);
    QObject::connect(closer, &QTimer::timeout, window, [seen, closer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      seen->text = box->text();
      seen->caption = box->windowTitle();
      seen->icon = box->icon();
      box->button(QMessageBox::Ok)->click();
      closer->deleteLater();
    });
    closer->start(20);
  });
  return seen;
}

QString widgetText(QWidget* window, const char* name) {
  QString text;
  onWindowThread(window, [&] {
    if (auto* label = window->findChild<QLabel*>(name)) text = label->text();
    if (auto* edit = window->findChild<QPlainTextEdit*>(name)) text = edit->toPlainText();
  });
  return text;
}

bool startEnabled(QWidget* window) {
  bool enabled = false;
  // The button itself: the whole window stays disabled while the start-up
  // screen is up.
  onWindowThread(window, [&] { enabled = window->findChild<QPushButton*>("StartButton")->isEnabledTo(window); });
  return enabled;
}

// Waits up to ten seconds for the status bar to show `text`.
bool waitForStatus(QWidget* window, const QString& text) {
  for (int i = 0; i < 500; ++i) {
    if (widgetText(window, "StatusPanel") == text) return true;
    ::usleep(20000);
  }
  return false;
}

// Zombies among this process's children: a compiler nobody reaped.
int zombieChildren() {
  int zombies = 0;
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state = 0;
    int parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid() && state == 'Z') ++zombies;
  }
  if (proc) ::closedir(proc);
  return zombies;
}

std::string writeScript(const TempDirectory& dir, const std::string& name, const std::string& body) {
  const std::string path = dir / name;
  std::ofstream(path) << "#!/bin/sh\n" << body;
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST(HcRtfRunner, AProgramThatCannotStartGivesABoxAndZero) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [&dir](ChildChecks& checks) {
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    loaded.entries.Init();
    QWidget* window = windowOf(loaded);
    auto seen = closeNextBox(window);
    checks.equal(loaded.entries.RunHcRtf("no-such-help-compiler /nc rtf/project.hpj", nullptr), 0, "missing program");
    checks.equal(seen->caption.toStdString(), std::string("Could not run help compiler"), "caption");
    checks.equal(seen->text.toStdString(), std::string(std::strerror(ENOENT)), "the system's text");
    checks.check(seen->icon == QMessageBox::Warning, "warning icon");
    seen = closeNextBox(window);
    const std::string missing = dir / "no-such-folder";
    checks.equal(loaded.entries.RunHcRtf("/bin/true", missing.c_str()), 0, "missing directory");
    checks.equal(seen->text.toStdString(), std::string(std::strerror(ENOENT)), "the system's text for the folder");
    checks.check(startEnabled(window), "Start is not held by a compiler that never ran");
  });
}

TEST(HcRtfRunner, CompilerRunsInItsFolderWithOnlyTheStandardStreams) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [&dir](ChildChecks& checks) {
    const std::string report = dir / "report.txt";
    const std::string work = dir / "work";
    ::mkdir(work.c_str(), 0700);
    const std::string script = writeScript(dir, "fake-hcrtf",
                                           "pwd > \"$1\"\n"
                                           "[ -e /proc/$$/fd/47 ] && echo leaked >> \"$1\"\n"
                                           "exit 0\n");
    const int open = ::open(report.c_str(), O_RDONLY | O_CREAT, 0600);  // without close-on-exec
    ::dup2(open, 47);
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    loaded.entries.Init();
    QWidget* window = windowOf(loaded);
    onWindowThread(window, [window] { window->findChild<QLineEdit*>("OutputName")->setText("site"); });
    const std::string command = script + " " + report;
    checks.equal(loaded.entries.RunHcRtf(command.c_str(), work.c_str()), 1, "started");
    checks.check(waitForStatus(window, " Help file written: site.hlp"), "the written help file is reported");
    std::ifstream in(report);
    std::string folder;
    std::getline(in, folder);
    checks.equal(folder, work, "the compiler ran in the given folder");
    std::string more;
    checks.check(!std::getline(in, more), "no descriptor beyond the standard streams was inherited");
    checks.equal(zombieChildren(), 0, "the compiler was reaped");
  });
}

TEST(HcRtfRunner, ASlowCompilerHoldsStartUntilItEnds) {
  TempDirectory dir;
  runInChild(dir / "registry.reg", [&dir](ChildChecks& checks) {
    const std::string script = writeScript(dir, "slow-hcrtf", "sleep 1\necho 'rtf/out3.rtf: bad jump'\nexit 3\n");
    LoadedLibrary loaded = loadCorvane2();
    if (!loaded.complete) return checks.check(false, "library loads");
    const qvCorvane2Entries& e = loaded.entries;
    e.Init();
    QWidget* window = windowOf(loaded);
    e.ShowWarning("a page could not be read");
    eventually([&] { return !widgetText(window, "Warnings").isEmpty(); });
    onWindowThread(window, [window] { window->findChild<QTabWidget*>()->setCurrentIndex(1); });
    checks.equal(e.RunHcRtf(script.c_str(), nullptr), 1, "started");
    e.SetState(0);
    e.SetStatusText("Idle");
    letTickRun();
    checks.check(!startEnabled(window), "Start waits for the compiler");
    checks.equal(widgetText(window, "StatusPanel").toStdString(), std::string(" Running help compiler ..."),
                 "the compiler's status line stays");
    int page = -1;
    onWindowThread(window, [&] { page = window->findChild<QTabWidget*>()->currentIndex(); });
    checks.equal(page, 2, "the Status page is shown when there are warnings");
    checks.check(waitForStatus(window, " Help compiler failed (exit status 3)"), "the failure is reported");
    checks.check(widgetText(window, "Warnings").endsWith("rtf/out3.rtf: bad jump"), "its output in Warnings");
    checks.check(startEnabled(window), "Start comes back");
    checks.equal(zombieChildren(), 0, "the compiler was reaped");
  });
}

}  // namespace
