#include "net/HostLookup.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

struct HostLookup::Shared {
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  std::optional<std::uint32_t> address;
};

namespace {

std::optional<std::uint32_t> lookUp(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    return reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
  }
  return std::nullopt;
}

}  // namespace

HostLookup::HostLookup(const std::string& host) : shared_(std::make_shared<Shared>()) {
  try {
    std::thread([shared = shared_, host] {
      std::optional<std::uint32_t> address = lookUp(host);
      const std::lock_guard lock(shared->mutex);
      shared->address = address;
      shared->finished = true;
      shared->finishedChanged.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    const std::lock_guard lock(shared_->mutex);
    shared_->finished = true;
  }
}

HostLookup::~HostLookup() = default;

bool HostLookup::waitFor(std::chrono::milliseconds slice) {
  std::unique_lock lock(shared_->mutex);
  return shared_->finishedChanged.wait_for(lock, slice, [this] { return shared_->finished; });
}

std::optional<std::uint32_t> HostLookup::address() const {
  const std::lock_guard lock(shared_->mutex);
  return shared_->address;
}
