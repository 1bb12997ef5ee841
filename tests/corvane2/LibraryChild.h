#pragma once
// Runs a piece of a test in a child process that loads the real
// libcorvane2.so. The library starts a window thread that lives as long as
// the process, so every child ends with _exit, and the parent bounds the
// wait and kills a child that hangs.

#include <QApplication>
#include <QMetaObject>
#include <QWidget>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "ui/qvCorvane2Binding.h"

// What a child reports: each failed check becomes a line on stderr and a
// non-zero exit status.
class ChildChecks {
 public:
  void check(bool ok, const std::string& what) {
    if (ok) return;
    ++failures_;
    std::fprintf(stderr, "child check failed: %s\n", what.c_str());
  }
  template <typename A, typename B>
  void equal(const A& actual, const B& expected, const std::string& what) {
    check(actual == expected, what);
  }
  int failures() const { return failures_; }

 private:
  int failures_ = 0;
};

struct LoadedLibrary {
  qvCorvane2Entries entries;
  int (*messageBox)(const char*, const char*, int) = nullptr;
  bool complete = false;
};

inline LoadedLibrary loadCorvane2() {
  LoadedLibrary loaded;
  void* handle = ::dlopen(CORVANE_BINARY_DIR "/libcorvane2.so", RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "dlopen: %s\n", ::dlerror());
    return loaded;
  }
  qvCorvane2Entries& e = loaded.entries;
  auto bind = [handle](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(::dlsym(handle, name));
    return slot != nullptr;
  };
  loaded.complete = bind(e.StatusGetVersion, "StatusGetVersion") && bind(e.GetToggles, "GetToggles") &&
                    bind(e.GetValue, "GetValue") && bind(e.GetString, "GetString") &&
                    bind(e.GetStatus, "GetStatus") && bind(e.TcpGetStatus, "TcpGetStatus") &&
                    bind(e.GetURL, "GetURL") && bind(e.ShowWarning, "ShowWarning") && bind(e.Run, "Run") &&
                    bind(e.SetStatusNumbers, "SetStatusNumbers") && bind(e.SetStatusText, "SetStatusText") &&
                    bind(e.SetProgressPosition, "SetProgressPosition") &&
                    bind(e.GetWindowHandle, "GetWindowHandle") && bind(e.SetState, "SetState") &&
                    bind(e.SetInfo, "SetInfo") && bind(e.SetVMInfo, "SetVMInfo") && bind(e.RunHcRtf, "RunHcRtf") &&
                    bind(e.Init, "Init") && bind(e.SetShowing, "SetShowing") && bind(e.ShouldExit, "ShouldExit") &&
                    bind(e.SetValues, "SetValues") && bind(loaded.messageBox, "CvMessageBox");
  return loaded;
}

// The library's window, for looking at its widgets from the test.
inline QWidget* windowOf(const LoadedLibrary& loaded) {
  return static_cast<QWidget*>(loaded.entries.GetWindowHandle());
}

// Runs `work` on the window thread and waits for it.
inline void onWindowThread(QWidget* window, const std::function<void()>& work) {
  QMetaObject::invokeMethod(window, work, Qt::BlockingQueuedConnection);
}

// Gives the display tick time to run (it runs every 25 ms).
inline void letTickRun() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

// Waits until `condition` holds, at most `limit` (a loaded machine may hold
// the tick back); whether it came to hold.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Runs `body` in a child with its own registry file and, unless
// `environment` says otherwise, the offscreen platform. The child's exit
// status is the number of failed checks; a child still running after
// `limit` is killed and the test fails.
inline void runInChild(const std::string& registry, const std::function<void(ChildChecks&)>& body,
                       const std::function<void()>& environment = {},
                       std::chrono::seconds limit = std::chrono::seconds(60)) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("CORVANE_REGISTRY", registry.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (environment) environment();
    ChildChecks checks;
    body(checks);
    std::fflush(nullptr);
    ::_exit(checks.failures() > 125 ? 125 : checks.failures());
  }
  const auto until = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      FAIL() << "the child did not end within " << limit.count() << " s";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "checks failed in the child (see its output above)";
}
