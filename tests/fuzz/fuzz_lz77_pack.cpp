// Packing any bytes must unpack to them again: whole streams, and topic
// blocks with pinned fields that are patched after packing.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "hcrtf/common/Lz77.h"
#include "hcrtf/common/Lz77Compressor.h"
#include "hcrtf/compiler/TopicBlockPacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> in(data, size);
  if (hcrtf::lz77Decompress(hcrtf::lz77Compress(in), size + 1) != std::vector<std::uint8_t>(in.begin(), in.end())) {
    __builtin_trap();
  }
  // Blocks: repeat the input so that some blocks reach the 16 KiB limit.
  std::vector<std::uint8_t> stream;
  while (stream.size() < 40000 && size > 0) stream.insert(stream.end(), in.begin(), in.end());
  std::vector<hcrtf::ByteRange> pinned;
  const std::size_t step = 7 + (size % 500);
  for (std::size_t at = 3; at + 4 <= stream.size(); at += step) pinned.emplace_back(at, at + 4);
  hcrtf::compiler::TopicBlockPacker packer(stream, pinned, true);
  for (const auto& [b, e] : pinned) packer.patchU32(b, static_cast<std::uint32_t>(b * 2654435761u));
  const auto& file = packer.file();
  for (std::size_t k = 0; k < packer.blockCount(); ++k) {
    const std::size_t begin = k * hcrtf::kTopicBlockSize + hcrtf::kTopicBlockHeaderSize;
    const std::size_t end = std::min(file.size(), begin + hcrtf::compiler::TopicBlockPacker::kDataSize);
    const auto block = hcrtf::lz77Decompress(std::span(file).subspan(begin, end - begin), 1 << 20);
    const std::size_t from = packer.blockStart(k);
    const std::size_t to = k + 1 < packer.blockCount() ? packer.blockStart(k + 1) : stream.size();
    if (block.size() < to - from) __builtin_trap();
    for (std::size_t i = from; i < to; ++i) {
      if (block[i - from] != packer.stream()[i]) __builtin_trap();
    }
  }
  return 0;
}
