#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::dump {

// One entry of a help file's internal directory.
struct InternalFile {
  std::string name;
  std::uint32_t offset = 0;    // of its file header, from the file start
  std::uint32_t reserved = 0;  // space reserved, header included
  std::uint32_t used = 0;      // bytes of content
  std::uint8_t flags = 0;
};

// A whole .hlp (or annotation) file in memory: the header and the internal
// directory, validated so that every listed file's content lies
// inside the buffer. Everything else reads its internal files from here.
class HelpFile {
 public:
  // Throws FormatError when the header or directory is unusable, and
  // std::runtime_error when the file cannot be read.
  static HelpFile load(const std::string& path);
  static HelpFile fromBytes(std::vector<std::uint8_t> bytes);

  std::uint32_t magic() const { return magic_; }
  std::uint32_t directoryStart() const { return directoryStart_; }
  std::int32_t firstFreeBlock() const { return firstFreeBlock_; }
  std::uint32_t declaredSize() const { return declaredSize_; }
  std::size_t actualSize() const { return bytes_.size(); }

  // In the directory's order (byte order of the names).
  const std::vector<InternalFile>& files() const { return files_; }
  // The content of the named internal file (without its header), or nothing
  // when there is no such file.
  std::optional<std::span<const std::uint8_t>> file(const std::string& name) const;
  // Directory entries left out because their file header or content lies
  // outside the file, one message each.
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  HelpFile() = default;
  void parse();

  std::vector<std::uint8_t> bytes_;
  std::uint32_t magic_ = 0;
  std::uint32_t directoryStart_ = 0;
  std::int32_t firstFreeBlock_ = -1;
  std::uint32_t declaredSize_ = 0;
  std::vector<InternalFile> files_;
  std::vector<std::string> problems_;
};

// Content of the internal file whose header starts at `offset` in `whole`,
// checked to lie inside it; `name` goes into error messages.
std::span<const std::uint8_t> internalFileContent(std::span<const std::uint8_t> whole,
                                                  std::uint32_t offset,
                                                  const std::string& name,
                                                  InternalFile* header = nullptr);

}  // namespace hcrtf::dump
