#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace hcrtf::compiler {

// The container of a help file: its header, then every internal file behind
// its own header (with nothing reserved beyond what is used), then the
// internal directory.
class HelpFileWriter {
 public:
  // Adds or replaces an internal file ("|SYSTEM", "|TOPIC", "|bm0", ...).
  void add(const std::string& name, std::vector<std::uint8_t> content);
  bool has(const std::string& name) const { return files_.count(name) != 0; }

  std::vector<std::uint8_t> assemble() const;

  // Writes `bytes` to a temporary file beside `target` and renames it into
  // place, so that `target` is either the old file or the complete new one.
  // Throws std::runtime_error with a message fit for the user.
  static void writeAtomically(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes);

 private:
  std::map<std::string, std::vector<std::uint8_t>> files_;
};

}  // namespace hcrtf::compiler
