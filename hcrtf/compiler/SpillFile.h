#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace hcrtf::compiler {

// A scratch file for data too large to keep in memory (the packed topic
// blocks). It is unlinked as soon as it is created, so it disappears when the
// object goes away or the process ends, however that happens. Throws
// std::runtime_error with a message fit for the user when the disk refuses.
class SpillFile {
 public:
  // Creates the file in `folder`, or in TMPDIR (then /tmp) when `folder`
  // cannot take it.
  explicit SpillFile(const std::filesystem::path& folder);
  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  std::uint64_t size() const { return size_; }
  void append(std::span<const std::uint8_t> bytes);
  // Overwrites bytes already written.
  void writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Reads exactly `out.size()` bytes from `offset`.
  void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace hcrtf::compiler
