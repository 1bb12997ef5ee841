#include "hcrtf/dump/TopicStream.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/Lz77.h"
#include "hcrtf/dump/TextEscape.h"

namespace hcrtf::dump {

TopicStream::TopicStream(std::span<const std::uint8_t> topicFile, const SystemInfo& system) {
  if (system.minor <= kSystemMinorWin30) {
    throw FormatError("|TOPIC: help files of format version " + std::to_string(system.minor) +
                      " (Windows 3.0) are not supported");
  }
  const std::size_t blockSize = system.topicBlockSize();
  const bool packed = system.topicsCompressed();
  for (std::size_t start = 0; start < topicFile.size(); start += blockSize) {
    const std::size_t end = start + blockSize < topicFile.size() ? start + blockSize : topicFile.size();
    if (end - start < kTopicBlockHeaderSize) break;  // a stub too short for a header holds nothing
    auto body = topicFile.subspan(start + kTopicBlockHeaderSize, end - start - kTopicBlockHeaderSize);
    blockStart_.push_back(buffer_.size());
    if (packed) {
      auto unpacked = lz77Decompress(body, kTopicBlockMaxUnpacked);
      buffer_.insert(buffer_.end(), unpacked.begin(), unpacked.end());
    } else {
      buffer_.insert(buffer_.end(), body.begin(), body.end());
    }
    blockLength_.push_back(buffer_.size() - blockStart_.back());
  }
}

std::size_t TopicStream::absolute(std::uint32_t position) const {
  if (position < kFirstTopicPos) throw FormatError("|TOPIC: invalid position " + hex32(position));
  const std::size_t block = (position - kFirstTopicPos) / kTopicPosBlockStep;
  const std::size_t offset = (position - kFirstTopicPos) % kTopicPosBlockStep;
  if (block >= blockStart_.size() || offset >= blockLength_[block]) {
    throw FormatError("|TOPIC: position " + hex32(position) + " lies outside the topic blocks");
  }
  return blockStart_[block] + offset;
}

TopicLink TopicStream::linkAt(std::uint32_t position, const PhraseTable& phrases) const {
  const std::size_t at = absolute(position);
  ByteReader r(std::span<const std::uint8_t>(buffer_).subspan(at), "|TOPIC record at " + hex32(position));
  TopicLink link;
  link.position = position;
  link.block = (position - kFirstTopicPos) / kTopicPosBlockStep;
  link.blockSize = r.u32();
  link.dataLen2 = r.u32();
  link.previous = r.u32();
  link.next = r.u32();
  link.dataLen1 = r.u32();
  link.recordType = r.u8();
  if (link.dataLen1 < kTopicLinkHeaderSize || link.dataLen1 > link.blockSize) {
    throw FormatError("|TOPIC record at " + hex32(position) + ": inconsistent sizes (block " +
                      std::to_string(link.blockSize) + ", data " + std::to_string(link.dataLen1) + ")");
  }
  auto d1 = r.bytes(link.dataLen1 - kTopicLinkHeaderSize);
  link.data1.assign(d1.begin(), d1.end());
  auto d2 = r.bytes(link.blockSize - link.dataLen1);
  if (link.dataLen2 > d2.size() && phrases.scheme() != PhraseTable::Scheme::None) {
    const std::size_t bound = d2.size() * phrases.maxExpansionPerByte();
    const std::size_t limit = link.dataLen2 < bound ? link.dataLen2 : bound;
    link.data2 = phrases.expand(d2, limit, &link.badPhraseReferences);
  } else {
    const std::size_t n = link.dataLen2 < d2.size() ? link.dataLen2 : d2.size();
    link.data2.assign(reinterpret_cast<const char*>(d2.data()), n);
  }
  return link;
}

}  // namespace hcrtf::dump
