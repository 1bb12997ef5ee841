#pragma once
// What the engine and the window thread share. The engine's threads call the
// library's entry points, which only read and write this block; the window
// thread applies what they wrote on its display tick and publishes the
// settings the user chose. Bit sets are combined with fetch_or and taken with
// exchange, so no button press is lost between a read and its clear. Texts
// are copied in under a lock: the engine may refill its buffer as soon as a
// setter returns, and the tick may read much later.

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

class qvSharedBlock {
 public:
  static constexpr int kCounterCount = 4;
  static constexpr int kInfoCount = 4;
  static constexpr int kValueCount = 27;  // getValue indices 0 to 26
  static constexpr int kNone = -1;

  qvSharedBlock();

  // The one block of the process; the design has exactly one window.
  static qvSharedBlock& instance();

  // Status and network bits: the window raises, the engine takes.
  void raiseStatus(int bits) { status_.fetch_or(bits); }
  int takeStatus() { return status_.exchange(0); }
  void raiseNetwork(int bits) { network_.fetch_or(bits); }
  int takeNetwork() { return network_.exchange(0); }
  void setExitFlag() { exit_.store(1); }
  int exitFlag() const { return exit_.load(); }

  // The run state the engine asked for; kNone once the window applied it.
  void requestState(int state) { requestedState_.store(state); }
  int takeRequestedState() { return requestedState_.exchange(kNone); }

  // Counters and cache statistics; a value of kNone leaves a field alone.
  void setCounter(int index, int value);
  int takeCounter(int index);
  void setCacheStatistic(int index, int value);
  int takeCacheStatistic(int index);

  // Texts from the engine, copied at once. A null text leaves a field alone.
  void setInfo(int index, const char* text);
  std::optional<std::string> takeInfo(int index);
  void setStatusText(const char* text);
  std::optional<std::string> takeStatusText();
  // Warnings queue in the order they came; the tick shows all of them.
  void addWarning(const char* text);
  std::deque<std::string> takeWarnings();
  // The text SetValues(0, ...) hands over; kept, never shown.
  void keepText(const char* text);
  std::string keptText() const;

  // Settings the window publishes for the engine's getters.
  void setValue(int index, int value);
  int value(int index) const;
  void setToggles(int toggles) { toggles_.store(toggles); }
  int toggles() const { return toggles_.load(); }
  void setUrl(const std::string& url);
  std::string url() const;
  // Texts of the getString indices (help file name, proxy host, ...).
  void setText(int index, const std::string& text);
  // Copies the text of `index` into `buffer`: at most size - 1 bytes and the
  // terminator. False, with the buffer untouched, for an index without text.
  bool copyText(int index, char* buffer, int size) const;
  bool copyUrl(char* buffer, int size) const;

  // The cache-command word; the engine reads and clears it through its
  // address, so it has the layout of a plain 32-bit int.
  std::atomic<std::int32_t>& cacheCommandWord() { return cacheCommand_; }

 private:
  static bool hasText(int index);

  std::atomic<int> status_{0};
  std::atomic<int> network_{0};
  std::atomic<int> exit_{0};
  std::atomic<int> requestedState_{0};
  std::array<std::atomic<int>, kCounterCount> counters_;
  std::array<std::atomic<int>, kCounterCount> cacheStatistics_;
  std::array<std::atomic<int>, kValueCount> values_;
  std::atomic<int> toggles_{0};
  std::atomic<std::int32_t> cacheCommand_{0};

  mutable std::mutex lock_;
  std::array<std::optional<std::string>, kInfoCount> info_;
  std::optional<std::string> statusText_;
  std::deque<std::string> warnings_;
  std::string kept_;
  std::string url_;
  std::array<std::string, kValueCount> texts_;
};

// Copies `text` into `buffer` of `size` bytes: at most size - 1 bytes and a
// terminator; nothing at all when the buffer is null or size is not positive.
void qvCopyBounded(const std::string& text, char* buffer, int size);
