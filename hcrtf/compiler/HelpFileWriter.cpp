#include "hcrtf/compiler/HelpFileWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "hcrtf/compiler/BTreeBuilder.h"
#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::compiler {

namespace {
constexpr std::size_t kCopyPiece = 1u << 16;

std::vector<std::uint8_t> internalFileHeader(std::uint64_t size, std::uint8_t flags) {
  ByteWriter out;
  out.u32(static_cast<std::uint32_t>(size + kInternalFileHeaderSize));
  out.u32(static_cast<std::uint32_t>(size));
  out.u8(flags);
  return out.take();
}

// Removes the temporary file unless the rename succeeded.
class TemporaryTarget {
 public:
  explicit TemporaryTarget(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryTarget() {
    if (keep_) return;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TemporaryTarget(const TemporaryTarget&) = delete;
  TemporaryTarget& operator=(const TemporaryTarget&) = delete;
  const std::filesystem::path& path() const { return path_; }
  void renameTo(const std::filesystem::path& target) {
    std::error_code ec;
    std::filesystem::rename(path_, target, ec);
    if (ec) throw std::runtime_error("cannot rename " + path_.string() + " to " + target.string() + ": " + ec.message());
    keep_ = true;
  }

 private:
  std::filesystem::path path_;
  bool keep_ = false;
};

std::filesystem::path temporaryName(const std::filesystem::path& target) {
  std::filesystem::path temp = target;
  temp += ".tmp" + std::to_string(::getpid());
  return temp;
}
}  // namespace

void HelpFileWriter::add(const std::string& name, std::vector<std::uint8_t> content) {
  Content& entry = files_[name];
  entry.size = content.size();
  entry.bytes = std::move(content);
  entry.spill = nullptr;
  entry.offset = 0;
}

void HelpFileWriter::add(const std::string& name, const SpillFile& spill, std::uint64_t offset, std::uint64_t size) {
  if (offset > spill.size() || size > spill.size() - offset) throw std::out_of_range("internal file beyond its spill file");
  Content& entry = files_[name];
  entry.bytes.clear();
  entry.spill = &spill;
  entry.offset = offset;
  entry.size = size;
}

void HelpFileWriter::emit(const Sink& sink) const {
  std::vector<BTreeEntry> directory;
  std::uint64_t offset = kHelpFileHeaderSize;
  for (const auto& [name, content] : files_) {
    ByteWriter leaf;
    leaf.cString(name);
    leaf.u32(static_cast<std::uint32_t>(offset));
    ByteWriter key;
    key.cString(name);
    directory.push_back(BTreeEntry{leaf.take(), key.take()});
    offset += kInternalFileHeaderSize + content.size;
  }
  if (offset > 0x7FFFFFFF) throw std::length_error("help file larger than 2 GB");
  const std::vector<std::uint8_t> tree =
      BTreeBuilder(kDirectoryTreeFlags, kDirectoryPageSize, kDirectoryLayout).build(directory);
  ByteWriter head;
  head.u32(kHelpFileMagic);
  head.u32(static_cast<std::uint32_t>(offset));
  head.u32(kNoFreeBlock);
  head.u32(static_cast<std::uint32_t>(offset + kInternalFileHeaderSize + tree.size()));
  sink(head.data());
  std::vector<std::uint8_t> piece;
  for (const auto& [name, content] : files_) {
    sink(internalFileHeader(content.size, kInternalFileFlagsPlain));
    if (!content.spill) {
      sink(content.bytes);
      continue;
    }
    for (std::uint64_t done = 0; done < content.size;) {
      piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPiece, content.size - done)));
      content.spill->readAt(content.offset + done, piece);
      sink(piece);
      done += piece.size();
    }
  }
  sink(internalFileHeader(tree.size(), kInternalFileFlagsDirectory));
  sink(tree);
}

std::vector<std::uint8_t> HelpFileWriter::assemble() const {
  std::vector<std::uint8_t> out;
  emit([&](std::span<const std::uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); });
  return out;
}

std::uint64_t HelpFileWriter::writeTo(const std::filesystem::path& target) const {
  TemporaryTarget temp(temporaryName(target));
  std::uint64_t written = 0;
  {
    std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + temp.path().string() + ": " + std::strerror(errno));
    emit([&](std::span<const std::uint8_t> bytes) {
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      written += bytes.size();
    });
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + temp.path().string() + " (disk full?)");
  }
  temp.renameTo(target);
  return written;
}

void HelpFileWriter::writeAtomically(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes) {
  TemporaryTarget temp(temporaryName(target));
  {
    std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + temp.path().string() + ": " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + temp.path().string() + " (disk full?)");
  }
  temp.renameTo(target);
}

}  // namespace hcrtf::compiler
