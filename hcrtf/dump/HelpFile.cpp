#include "hcrtf/dump/HelpFile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/dump/BTree.h"

namespace hcrtf::dump {

std::span<const std::uint8_t> internalFileContent(std::span<const std::uint8_t> whole,
                                                  std::uint32_t offset,
                                                  const std::string& name,
                                                  InternalFile* header) {
  ByteReader r(whole, "internal file " + name);
  r.seek(offset);
  const std::uint32_t reserved = r.u32();
  const std::uint32_t used = r.u32();
  const std::uint8_t flags = r.u8();
  if (used > r.remaining()) {
    throw FormatError("internal file " + name + ": " + std::to_string(used) +
                      " bytes at offset " + std::to_string(offset) + " run past the end of the file");
  }
  if (header) {
    header->offset = offset;
    header->reserved = reserved;
    header->used = used;
    header->flags = flags;
  }
  return whole.subspan(offset + kInternalFileHeaderSize, used);
}

HelpFile HelpFile::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return fromBytes(std::move(bytes));
}

HelpFile HelpFile::fromBytes(std::vector<std::uint8_t> bytes) {
  HelpFile hf;
  hf.bytes_ = std::move(bytes);
  hf.parse();
  return hf;
}

void HelpFile::parse() {
  ByteReader r(bytes_, "file header");
  magic_ = r.u32();
  if (magic_ != kHelpFileMagic) throw FormatError("not a help file (wrong magic number)");
  directoryStart_ = r.u32();
  firstFreeBlock_ = r.i32();
  declaredSize_ = r.u32();

  auto directory = internalFileContent(bytes_, directoryStart_, "directory");
  BTree tree(directory, "directory");
  tree.forEachEntry([&](ByteReader& entry) {
    InternalFile f;
    f.name = entry.cString();
    const std::uint32_t offset = entry.u32();
    try {
      internalFileContent(bytes_, offset, f.name, &f);
    } catch (const FormatError& e) {
      problems_.push_back(e.what());
      return;
    }
    files_.push_back(std::move(f));
  });
}

std::optional<std::span<const std::uint8_t>> HelpFile::file(const std::string& name) const {
  for (const InternalFile& f : files_) {
    if (f.name == name) {
      return std::span<const std::uint8_t>(bytes_).subspan(f.offset + kInternalFileHeaderSize, f.used);
    }
  }
  return std::nullopt;
}

}  // namespace hcrtf::dump
