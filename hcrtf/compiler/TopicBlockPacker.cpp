#include "hcrtf/compiler/TopicBlockPacker.h"

#include <algorithm>
#include <stdexcept>

namespace hcrtf::compiler {
namespace {

// Some viewers read the last block as if it had at least this many bytes.
constexpr std::size_t kMinLastBlock = 0x44;

void putU32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

TopicBlockPacker::TopicBlockPacker(std::vector<std::uint8_t> stream, std::vector<ByteRange> pinned,
                                   bool compress, std::vector<ByteRange> unsplittable)
    : stream_(std::move(stream)),
      compress_(compress),
      compressor_(stream_, std::move(pinned)),
      unsplittable_(std::move(unsplittable)) {
  if (compress_) {
    layOutPacked();
  } else {
    layOutStored();
  }
}

void TopicBlockPacker::layOutStored() {
  const std::size_t blocks = std::max<std::size_t>(1, (stream_.size() + kDataSize - 1) / kDataSize);
  file_.assign(blocks * kTopicBlockSize, 0);
  for (std::size_t b = 0; b < blocks; ++b) {
    blockStart_.push_back(b * kDataSize);
    const std::size_t n = std::min(kDataSize, stream_.size() - std::min(stream_.size(), b * kDataSize));
    std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(b * kDataSize), n,
                file_.begin() + static_cast<std::ptrdiff_t>(b * kTopicBlockSize + kTopicBlockHeaderSize));
  }
}

void TopicBlockPacker::layOutPacked() {
  std::size_t at = 0;
  do {
    const std::size_t left = stream_.size() - at;
    const bool mayBeLast = left <= kTopicBlockMaxUnpacked;
    Lz77Segment seg = compressor_.encode(at, std::min(left, kTopicBlockMaxUnpacked), kDataSize, !mayBeLast);
    // Ending inside a record's fixed part: end the block before that record.
    for (std::size_t cut = cutPoint(at, at + seg.consumed); seg.consumed < left && cut < at + seg.consumed;
         cut = cutPoint(at, at + seg.consumed)) {
      seg = compressor_.encode(at, cut - at, kDataSize, false);
    }
    const bool last = seg.consumed == left;
    const std::size_t fileAt = file_.size();
    blockStart_.push_back(at);
    file_.resize(fileAt + kTopicBlockHeaderSize, 0);
    file_.insert(file_.end(), seg.bytes.begin(), seg.bytes.end());
    // Only the last block may end early; the others are whole blocks.
    file_.resize(std::max(file_.size(), last ? fileAt + kMinLastBlock : fileAt + kTopicBlockSize), 0);
    for (std::uint32_t p : seg.pinnedAt) {
      pinnedFilePos_.push_back(static_cast<std::uint32_t>(fileAt + kTopicBlockHeaderSize + p));
    }
    at += seg.consumed;
    if (seg.consumed == 0 && !last) throw std::logic_error("topic block packing made no progress");
  } while (at < stream_.size());
}

std::size_t TopicBlockPacker::cutPoint(std::size_t blockBegin, std::size_t end) const {
  // The last range starting before `end`.
  auto it = std::upper_bound(unsplittable_.begin(), unsplittable_.end(), end,
                             [](std::size_t e, const ByteRange& r) { return e <= r.first; });
  if (it == unsplittable_.begin()) return end;
  --it;
  if (it->second <= end || it->first <= blockBegin) return end;
  return it->first;
}

std::size_t TopicBlockPacker::blockOf(std::size_t offset) const {
  const auto it = std::upper_bound(blockStart_.begin(), blockStart_.end(), offset);
  return static_cast<std::size_t>(it - blockStart_.begin()) - 1;
}

std::uint32_t TopicBlockPacker::topicPos(std::size_t offset) const {
  const std::size_t block = blockOf(offset);
  return static_cast<std::uint32_t>(block * kTopicPosBlockStep + kFirstTopicPos + (offset - blockStart_[block]));
}

void TopicBlockPacker::patch(std::size_t offset, std::span<const std::uint8_t> bytes) {
  if (offset > stream_.size() || bytes.size() > stream_.size() - offset) {
    throw std::out_of_range("topic patch outside the stream");
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t x = offset + i;
    std::size_t filePos = 0;
    if (compress_) {
      const std::ptrdiff_t k = compressor_.pinnedIndex(x);
      if (k < 0) throw std::invalid_argument("topic patch of a byte that was not pinned");
      filePos = pinnedFilePos_[static_cast<std::size_t>(k)];
    } else {
      const std::size_t block = x / kDataSize;
      filePos = block * kTopicBlockSize + kTopicBlockHeaderSize + x % kDataSize;
    }
    stream_[x] = bytes[i];
    file_[filePos] = bytes[i];
  }
}

void TopicBlockPacker::patchU32(std::size_t offset, std::uint32_t value) {
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16),
                             static_cast<std::uint8_t>(value >> 24)};
  patch(offset, b);
}

void TopicBlockPacker::setBlockHeader(std::size_t block, std::uint32_t lastTopicLink,
                                      std::uint32_t firstTopicLink, std::uint32_t lastTopicHeader) {
  const std::size_t at = block * kTopicBlockSize;
  if (block >= blockCount()) throw std::out_of_range("no such topic block");
  putU32(file_, at, lastTopicLink);
  putU32(file_, at + 4, firstTopicLink);
  putU32(file_, at + 8, lastTopicHeader);
}

}  // namespace hcrtf::compiler
