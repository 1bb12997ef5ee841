#pragma once
// A TCP server for tests that plays a script per connection: exact bytes,
// pauses, bytes dripped one at a time, an orderly close, a reset, never
// answering, or never even reading. It listens on 127.0.0.1 with a port the system picks
// (no race for a free port), runs on a thread of the test process (nothing
// to start or install), and records every byte each connection sent it.
//
// Connections are served one after another; connection i plays script i,
// and connections past the last script play the last one. Every wait inside
// is bounded and ends when the server is destroyed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class ServerScript {
 public:
  enum class Kind { kSend, kPause, kDrip, kClose, kReset, kSilent, kStall, kAwait };
  struct Step {
    Kind kind;
    std::string bytes;
    std::chrono::milliseconds delay{0};
  };

  // Sends `bytes` at once (as fast as the peer takes them).
  ServerScript& send(std::string bytes) { return add({Kind::kSend, std::move(bytes), {}}); }
  ServerScript& pause(int ms) { return add({Kind::kPause, {}, std::chrono::milliseconds(ms)}); }
  // Sends `bytes` one at a time, `ms` apart.
  ServerScript& drip(std::string bytes, int ms) {
    return add({Kind::kDrip, std::move(bytes), std::chrono::milliseconds(ms)});
  }
  // Ends the connection in order (the peer reads the end of the stream).
  ServerScript& close() { return add({Kind::kClose, {}, {}}); }
  // Ends the connection with a reset.
  ServerScript& reset() { return add({Kind::kReset, {}, {}}); }
  // Keeps the connection open, answering nothing, until the server stops.
  ServerScript& silent() { return add({Kind::kSilent, {}, {}}); }
  // Keeps the connection open without reading from it until the server
  // stops, so that the peer's writes back up.
  ServerScript& stall() { return add({Kind::kStall, {}, {}}); }
  // Waits, at most `ms`, until the connection has sent `text`.
  ServerScript& await(std::string text, int ms) {
    return add({Kind::kAwait, std::move(text), std::chrono::milliseconds(ms)});
  }

  const std::vector<Step>& steps() const { return steps_; }

 private:
  ServerScript& add(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  std::vector<Step> steps_;
};

class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<ServerScript> scripts) : scripts_(std::move(scripts)) {
    if (scripts_.empty()) scripts_.emplace_back();
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      if (listener_ >= 0) ::close(listener_);
      throw std::runtime_error("the scripted server cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  explicit ScriptedServer(ServerScript script) : ScriptedServer(std::vector<ServerScript>{std::move(script)}) {}
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;
  ~ScriptedServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }

  std::uint16_t port() const { return port_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

  // What connection `index` has sent so far.
  std::string received(std::size_t index) const {
    const std::lock_guard lock(mutex_);
    return index < received_.size() ? received_[index] : std::string();
  }
  std::size_t connections() const {
    const std::lock_guard lock(mutex_);
    return received_.size();
  }
  // Waits, at most `limit`, until `count` connections have ended.
  bool waitForFinished(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return finished_ >= count; });
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kSlice{5};

  void serve() {
    while (!stop_) {
      pollfd entry{listener_, POLLIN, 0};
      if (::poll(&entry, 1, static_cast<int>(kSlice.count())) <= 0) continue;
      const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (connection < 0) continue;
      std::size_t index = 0;
      {
        const std::lock_guard lock(mutex_);
        index = received_.size();
        received_.emplace_back();
      }
      const ServerScript& script = scripts_[std::min(index, scripts_.size() - 1)];
      const bool open = play(script, connection, index);
      if (open) ::close(connection);
      const std::lock_guard lock(mutex_);
      ++finished_;
      changed_.notify_all();
    }
  }

  // Plays the steps; false when a step already closed the connection.
  bool play(const ServerScript& script, int connection, std::size_t index) {
    for (const ServerScript::Step& step : script.steps()) {
      switch (step.kind) {
        case ServerScript::Kind::kSend:
          if (!sendAll(connection, index, step.bytes)) return true;
          break;
        case ServerScript::Kind::kPause:
          idle(connection, index, Clock::now() + step.delay, {});
          break;
        case ServerScript::Kind::kDrip:
          for (const char c : step.bytes) {
            if (!sendAll(connection, index, std::string(1, c))) return true;
            idle(connection, index, Clock::now() + step.delay, {});
          }
          break;
        case ServerScript::Kind::kClose:
          ::close(connection);
          return false;
        case ServerScript::Kind::kReset: {
          const linger abort{1, 0};
          ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
          ::close(connection);
          return false;
        }
        case ServerScript::Kind::kSilent:
          idle(connection, index, Clock::time_point::max(), {});
          break;
        case ServerScript::Kind::kStall:
          while (!stop_) std::this_thread::sleep_for(kSlice);
          break;
        case ServerScript::Kind::kAwait:
          idle(connection, index, Clock::now() + step.delay, step.bytes);
          break;
      }
    }
    return true;
  }

  // Records input until `until`, until `awaited` has arrived (when given),
  // or until the server stops. Once the peer has gone, a silent connection
  // ends and a pause just lets its time pass.
  void idle(int connection, std::size_t index, Clock::time_point until, const std::string& awaited) {
    bool peerGone = false;
    while (!stop_ && Clock::now() < until) {
      if (!awaited.empty() && received(index).find(awaited) != std::string::npos) return;
      if (peerGone) {
        if (until == Clock::time_point::max()) return;
        std::this_thread::sleep_for(kSlice);
        continue;
      }
      pollfd entry{connection, POLLIN, 0};
      if (::poll(&entry, 1, static_cast<int>(kSlice.count())) > 0) peerGone = !drain(connection, index);
    }
  }

  // Records what has arrived; false once the peer has closed or reset.
  bool drain(int connection, std::size_t index) {
    char buffer[4096];
    const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
    if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (got == 0) return false;
    const std::lock_guard lock(mutex_);
    received_[index].append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  bool sendAll(int connection, std::size_t index, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && !stop_) {
      const ssize_t sent = ::send(connection, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (sent > 0) {
        done += static_cast<std::size_t>(sent);
        continue;
      }
      if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
      pollfd entry{connection, POLLOUT | POLLIN, 0};
      if (::poll(&entry, 1, static_cast<int>(kSlice.count())) > 0 && (entry.revents & POLLIN) &&
          !drain(connection, index)) {
        return false;
      }
    }
    return done == bytes.size();
  }

  std::vector<ServerScript> scripts_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> received_;
  std::size_t finished_ = 0;
  std::thread thread_;
};

// A port on 127.0.0.1 that is bound but not listening, so that a connection
// to it is refused. The port stays reserved while the object lives.
class UnlistenedPort {
 public:
  UnlistenedPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      if (fd_ >= 0) ::close(fd_);
      throw std::runtime_error("cannot reserve a port");
    }
    port_ = ntohs(address.sin_port);
  }
  UnlistenedPort(const UnlistenedPort&) = delete;
  UnlistenedPort& operator=(const UnlistenedPort&) = delete;
  ~UnlistenedPort() { ::close(fd_); }

  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 whose listen queue is full: one connection fills it
// and is never accepted, so that a further connect waits until its time-out.
class FullBacklogPort {
 public:
  FullBacklogPort() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || filler_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 0) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      closeAll();
      throw std::runtime_error("cannot make a full listen queue");
    }
    port_ = ntohs(address.sin_port);
    ::connect(filler_, reinterpret_cast<sockaddr*>(&address), length);
    pollfd entry{filler_, POLLOUT, 0};
    if (::poll(&entry, 1, 2000) != 1) {
      closeAll();
      throw std::runtime_error("the listen queue did not fill");
    }
  }
  FullBacklogPort(const FullBacklogPort&) = delete;
  FullBacklogPort& operator=(const FullBacklogPort&) = delete;
  ~FullBacklogPort() { closeAll(); }

  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  void closeAll() {
    if (filler_ >= 0) ::close(filler_);
    if (listener_ >= 0) ::close(listener_);
  }
  int listener_ = -1;
  int filler_ = -1;
  std::uint16_t port_ = 0;
};
