#pragma once
// The lock every engine process of one user takes around each operation on
// the disk cache's index: a robust, process-shared, recursive pthread mutex in
// a POSIX shared-memory object of mode 0600 named after the user, so two
// users never share (or can hold) each other's lock.
//
// Beside the mutex the object keeps a change counter. Whoever is about to
// change the index file bumps it first; a process that takes the lock and
// finds it moved knows that its copy of the header is stale.
//
// Re-entrant: the thread that holds the lock may take it again; every take
// is matched by one release. A process that died holding the lock leaves it
// "abandoned": the next take succeeds and says so.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class qvCacheMutex {
 public:
  enum class Take { acquired, abandoned, timedOut, failed };

  // "/CorvaneCacheAccessMutex." followed by the user id.
  static std::string defaultName();

  // Opens or creates the shared object `name`. valid() tells whether it
  // worked; errorText() says why not.
  explicit qvCacheMutex(std::string name = defaultName());
  ~qvCacheMutex();
  qvCacheMutex(const qvCacheMutex&) = delete;
  qvCacheMutex& operator=(const qvCacheMutex&) = delete;

  bool valid() const { return shared_ != nullptr; }
  const std::string& errorText() const { return errorText_; }
  const std::string& name() const { return name_; }

  // Waits at most `milliseconds`. An abandoned lock is made consistent and
  // is held on return, like an acquired one.
  Take take(int milliseconds);
  void release();
  // How many takes the calling thread holds (0 when it holds none).
  int depth() const;

  // Only while holding the lock.
  std::uint64_t changeCount() const;
  std::uint64_t bumpChangeCount();

  // Removes the shared object's name (tests use their own names).
  static void unlink(const std::string& name);

 private:
  struct Shared;
  std::string name_;
  std::string errorText_;
  Shared* shared_ = nullptr;
  // Who holds the lock in this process, and how often; depth_ is touched
  // only by that thread.
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;
};

// Holds a take of the lock for a scope; releases it on every path.
class qvCacheMutexLock {
 public:
  qvCacheMutexLock(qvCacheMutex& mutex, int milliseconds) : mutex_(mutex), take_(mutex.take(milliseconds)) {}
  ~qvCacheMutexLock() {
    if (held()) mutex_.release();
  }
  qvCacheMutexLock(const qvCacheMutexLock&) = delete;
  qvCacheMutexLock& operator=(const qvCacheMutexLock&) = delete;

  bool held() const { return take_ == qvCacheMutex::Take::acquired || take_ == qvCacheMutex::Take::abandoned; }
  qvCacheMutex::Take take() const { return take_; }

 private:
  qvCacheMutex& mutex_;
  qvCacheMutex::Take take_;
};
