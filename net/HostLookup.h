#pragma once
// Resolves a host name to an IPv4 address on a helper thread, so that the
// caller can keep checking for a cancel and give up after its time-out. An
// abandoned lookup runs on to its end and then drops its result: the thread
// shares its state with this object through a shared pointer and never
// touches the object itself.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class HostLookup {
 public:
  // Starts the lookup. If no thread can be started the lookup is finished
  // at once, without an address.
  explicit HostLookup(const std::string& host);
  HostLookup(const HostLookup&) = delete;
  HostLookup& operator=(const HostLookup&) = delete;
  ~HostLookup();

  // Blocks for at most `slice`; true once the lookup has finished.
  bool waitFor(std::chrono::milliseconds slice);

  // The first IPv4 address found, in network byte order; none while the
  // lookup runs or when it failed.
  std::optional<std::uint32_t> address() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};
