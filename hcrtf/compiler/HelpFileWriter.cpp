#include "hcrtf/compiler/HelpFileWriter.h"

#include <unistd.h>

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
void appendInternalFile(ByteWriter& out, const std::vector<std::uint8_t>& content, std::uint8_t flags) {
  out.u32(static_cast<std::uint32_t>(content.size() + kInternalFileHeaderSize));
  out.u32(static_cast<std::uint32_t>(content.size()));
  out.u8(flags);
  out.bytes(content);
}
}  // namespace

void HelpFileWriter::add(const std::string& name, std::vector<std::uint8_t> content) {
  files_[name] = std::move(content);
}

std::vector<std::uint8_t> HelpFileWriter::assemble() const {
  std::vector<BTreeEntry> directory;
  std::uint64_t offset = kHelpFileHeaderSize;
  for (const auto& [name, content] : files_) {
    ByteWriter leaf;
    leaf.cString(name);
    leaf.u32(static_cast<std::uint32_t>(offset));
    ByteWriter key;
    key.cString(name);
    directory.push_back(BTreeEntry{leaf.take(), key.take()});
    offset += kInternalFileHeaderSize + content.size();
  }
  if (offset > 0x7FFFFFFF) throw std::length_error("help file larger than 2 GB");
  const std::vector<std::uint8_t> tree =
      BTreeBuilder(kDirectoryTreeFlags, kDirectoryPageSize, kDirectoryLayout).build(directory);
  ByteWriter out;
  out.u32(kHelpFileMagic);
  out.u32(static_cast<std::uint32_t>(offset));
  out.u32(kNoFreeBlock);
  out.u32(static_cast<std::uint32_t>(offset + kInternalFileHeaderSize + tree.size()));
  for (const auto& [name, content] : files_) appendInternalFile(out, content, kInternalFileFlagsPlain);
  appendInternalFile(out, tree, kInternalFileFlagsDirectory);
  return out.take();
}

void HelpFileWriter::writeAtomically(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::path temp = target;
  temp += ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + temp.string() + ": " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      throw std::runtime_error("cannot write " + temp.string() + " (disk full?)");
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    throw std::runtime_error("cannot rename " + temp.string() + " to " + target.string() + ": " + ec.message());
  }
}

}  // namespace hcrtf::compiler
