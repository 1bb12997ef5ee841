#include "platform/qvCacheMutex.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <new>
#include <thread>

namespace {

constexpr std::uint32_t kReady = 0x43564D58;  // set once the mutex is initialised

}  // namespace

struct qvCacheMutex::Shared {
  std::atomic<std::uint32_t> ready;
  pthread_mutex_t mutex;
  std::atomic<std::uint64_t> changeCount;
};

std::string qvCacheMutex::defaultName() {
  return "/CorvaneCacheAccessMutex." + std::to_string(static_cast<unsigned long>(::getuid()));
}

void qvCacheMutex::unlink(const std::string& name) { ::shm_unlink(name.c_str()); }

namespace {

bool initialiseMutex(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attributes;
  if (::pthread_mutexattr_init(&attributes) != 0) return false;
  const bool set = ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                   ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                   ::pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0;
  const bool made = set && ::pthread_mutex_init(mutex, &attributes) == 0;
  ::pthread_mutexattr_destroy(&attributes);
  return made;
}

// The object must be ours and private: anything else could be a lock
// another user holds over us, or can see.
bool ownedAndPrivate(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

}  // namespace

qvCacheMutex::qvCacheMutex(std::string name) : name_(std::move(name)) {
  bool creator = true;
  int fd = ::shm_open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) {
    creator = false;
    fd = ::shm_open(name_.c_str(), O_RDWR | O_CLOEXEC, 0600);
  }
  if (fd < 0) {
    errorText_ = "cannot open the cache lock " + name_ + ": " + std::strerror(errno);
    return;
  }
  if (!ownedAndPrivate(fd) || (creator && ::ftruncate(fd, sizeof(Shared)) != 0)) {
    errorText_ = "the cache lock " + name_ + " is not this user's own";
    ::close(fd);
    return;
  }
  // The creator may still be sizing the object; give it a moment.
  struct stat status {};
  for (int tries = 0; tries < 200 && ::fstat(fd, &status) == 0 && status.st_size < static_cast<off_t>(sizeof(Shared));
       ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  void* memory = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  if (memory == MAP_FAILED) {
    errorText_ = "cannot map the cache lock " + name_ + ": " + std::strerror(errno);
    return;
  }
  auto* shared = static_cast<Shared*>(memory);
  if (creator) {
    if (!initialiseMutex(&shared->mutex)) {
      errorText_ = "cannot initialise the cache lock " + name_;
      ::munmap(memory, sizeof(Shared));
      return;
    }
    shared->changeCount.store(0);
    shared->ready.store(kReady, std::memory_order_release);
  }
  for (int tries = 0; tries < 200 && shared->ready.load(std::memory_order_acquire) != kReady; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (shared->ready.load(std::memory_order_acquire) != kReady) {
    errorText_ = "the cache lock " + name_ + " was never initialised";
    ::munmap(memory, sizeof(Shared));
    return;
  }
  shared_ = shared;
}

qvCacheMutex::~qvCacheMutex() {
  if (shared_ != nullptr) ::munmap(shared_, sizeof(Shared));
}

qvCacheMutex::Take qvCacheMutex::take(int milliseconds) {
  if (shared_ == nullptr) return Take::failed;
  timespec until{};
  ::clock_gettime(CLOCK_REALTIME, &until);
  until.tv_sec += milliseconds / 1000;
  until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000L;
  }
  const int result = ::pthread_mutex_timedlock(&shared_->mutex, &until);
  if (result == 0) {
    owner_.store(std::this_thread::get_id());
    ++depth_;
    return Take::acquired;
  }
  if (result == EOWNERDEAD) {
    ::pthread_mutex_consistent(&shared_->mutex);
    // Whatever the dead holder was doing to the index may be half done.
    shared_->changeCount.fetch_add(1);
    owner_.store(std::this_thread::get_id());
    ++depth_;
    return Take::abandoned;
  }
  return result == ETIMEDOUT ? Take::timedOut : Take::failed;
}

void qvCacheMutex::release() {
  if (shared_ == nullptr || depth() == 0) return;
  if (--depth_ == 0) owner_.store(std::thread::id{});
  ::pthread_mutex_unlock(&shared_->mutex);
}

int qvCacheMutex::depth() const { return owner_.load() == std::this_thread::get_id() ? depth_ : 0; }

std::uint64_t qvCacheMutex::changeCount() const { return shared_ ? shared_->changeCount.load() : 0; }

std::uint64_t qvCacheMutex::bumpChangeCount() { return shared_ ? shared_->changeCount.fetch_add(1) + 1 : 0; }
