#include "net/ProxyExceptions.h"

#include "base/qvTextUtil.h"

ProxyExceptions::ProxyExceptions(std::string_view list) {
  std::size_t position = 0;
  while (entries_.size() < kMaxEntries) {
    position = list.find_first_not_of(" ,", position);
    if (position == std::string_view::npos) break;
    const std::size_t end = list.find_first_of(" ,", position);
    const std::string_view entry = list.substr(position, end - position);
    entries_.push_back(qvLowerCase(entry.substr(0, kEntryLimit)));
    if (end == std::string_view::npos) break;
    position = end;
  }
}

bool ProxyExceptions::matches(std::string_view host) const {
  for (const std::string& entry : entries_) {
    if (entry.size() > host.size() || !host.ends_with(entry)) continue;
    if (entry.size() == host.size()) return true;
    if (entry.front() == '.' || host[host.size() - entry.size() - 1] == '.') return true;
  }
  return false;
}
