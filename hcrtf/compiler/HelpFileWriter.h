#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "hcrtf/compiler/SpillFile.h"

namespace hcrtf::compiler {

// The container of a help file: its header, then every internal file behind
// its own header (with nothing reserved beyond what is used), then the
// internal directory. Large internal files stay in a spill file and are
// copied from there in pieces when the help file is written.
class HelpFileWriter {
 public:
  // Adds or replaces an internal file ("|SYSTEM", "|TOPIC", "|bm0", ...).
  void add(const std::string& name, std::vector<std::uint8_t> content);
  // The same for `size` bytes of `spill` from `offset` on; the spill file
  // must outlive the writer.
  void add(const std::string& name, const SpillFile& spill, std::uint64_t offset, std::uint64_t size);
  bool has(const std::string& name) const { return files_.count(name) != 0; }

  std::vector<std::uint8_t> assemble() const;
  // Writes the help file to a temporary file beside `target` and renames it
  // into place when whole; returns its size. Throws like writeAtomically.
  std::uint64_t writeTo(const std::filesystem::path& target) const;

  // Writes `bytes` to a temporary file beside `target` and renames it into
  // place, so that `target` is either the old file or the complete new one.
  // Throws std::runtime_error with a message fit for the user.
  static void writeAtomically(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes);

 private:
  struct Content {
    std::vector<std::uint8_t> bytes;
    const SpillFile* spill = nullptr;  // when set, the content is `size` bytes of it from `offset`
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
  };
  using Sink = std::function<void(std::span<const std::uint8_t>)>;
  // Sends the whole help file to `sink` in pieces.
  void emit(const Sink& sink) const;

  std::map<std::string, Content> files_;
};

}  // namespace hcrtf::compiler
