#pragma once
// The hosts that are fetched directly although a proxy is in use: host
// names and domain suffixes from the user's list, lower case.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ProxyExceptions {
 public:
  static constexpr std::size_t kMaxEntries = 33;
  static constexpr std::size_t kEntryLimit = 127;

  ProxyExceptions() = default;
  // Splits `list` at blanks and commas; keeps the first 33 entries, each
  // lower-cased and cut to 127 characters.
  explicit ProxyExceptions(std::string_view list);

  // True when `host` (lower case) equals an entry, or ends in an entry that
  // begins with "." or follows a "." in the host.
  bool matches(std::string_view host) const;

  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};
