#pragma once
// The library's window thread. Loading the library starts it (and must not
// wait for it: the loader's lock is held); it makes the application and the
// main form, publishes the form, and runs the event loop for the life of the
// process. Every widget lives on it; other threads reach it through invoke().

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class QThread;
class TqvNewStatus;

class TGUIThread {
 public:
  enum class State { Starting, Ready, Failed };

  static TGUIThread& instance();

  // Starts the thread once; later calls do nothing.
  void start();

  // Waits at most `limit` for the form to exist. Ready only when a window
  // the user can see came up: an offscreen platform nobody asked for (no
  // usable display) counts as Failed.
  State waitUntilReady(std::chrono::milliseconds limit);

  // The form, or null before it exists.
  TqvNewStatus* window() const;

  // Whether another copy of the program already had the window; this one
  // then shows nothing and asks the engine to end.
  bool secondCopy() const;

  // Whether the calling thread is the window thread.
  bool onWindowThread() const;

  // Runs `work` on the window thread and returns when it is done; runs it at
  // once when called there. False (nothing run) when the window never came up.
  bool invoke(const std::function<void()>& work);

 private:
  TGUIThread() = default;
  void run();
  TqvNewStatus* makeWindow();
  void publish(State state, TqvNewStatus* window);

  mutable std::mutex lock_;
  std::condition_variable changed_;
  State state_ = State::Starting;
  bool started_ = false;
  bool secondCopy_ = false;
  TqvNewStatus* window_ = nullptr;
  QThread* thread_ = nullptr;
};
