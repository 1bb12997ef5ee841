#include "hcrtf/compiler/TopicLayout.h"

#include <algorithm>
#include <stdexcept>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::compiler {

namespace {
std::size_t blockOf(std::uint32_t position) { return (position - kFirstTopicPos) / kTopicPosBlockStep; }
std::size_t placeOf(std::uint32_t position) { return (position - kFirstTopicPos) % kTopicPosBlockStep; }
}  // namespace

void TopicLayout::layout(const std::vector<TopicRecord>& records) {
  positions_.clear();
  offsets_.clear();
  std::size_t block = 0;
  std::size_t used = 0;
  std::uint32_t characters = 0;
  for (const TopicRecord& record : records) {
    const std::size_t fixedPart = kTopicLinkHeaderSize + record.data1.size();
    if (fixedPart > capacity_) throw std::length_error("topic record header larger than a topic block");
    if (capacity_ - used < fixedPart) {
      ++block;
      used = 0;
      characters = 0;
    }
    if (block >= kMaxTopicBlocks) throw std::length_error("topic text larger than a help file can address");
    positions_.push_back(static_cast<std::uint32_t>(block * kTopicPosBlockStep + kFirstTopicPos + used));
    offsets_.push_back(static_cast<std::uint32_t>(block * kTopicOffsetBlockStep + characters));
    used += record.size();
    if (record.type != kRecordTopicHeader) characters += static_cast<std::uint32_t>(record.data2.size());
    while (used > capacity_) {
      ++block;
      used -= capacity_;
      characters = 0;
    }
  }
}

std::vector<TopicBlock> TopicLayout::blocks(const std::vector<TopicRecord>& records) const {
  std::vector<TopicBlock> result;
  std::uint32_t lastLink = kNoTopic;
  std::uint32_t lastHeader = kNoTopic;
  const auto ensureBlock = [&](std::size_t index) {
    while (result.size() <= index) {
      TopicBlock block;
      block.lastTopicLink = lastLink;
      block.lastTopicHeader = lastHeader;
      block.data.reserve(capacity_);
      result.push_back(std::move(block));
    }
  };
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TopicRecord& record = records[i];
    const std::uint32_t pos = positions_.at(i);
    std::size_t block = blockOf(pos);
    ensureBlock(block);
    if (result[block].firstTopicLink == kNoTopic) result[block].firstTopicLink = pos;
    ByteWriter link;
    link.u32(static_cast<std::uint32_t>(record.size()));
    link.u32(static_cast<std::uint32_t>(record.data2.size()));
    link.u32(i == 0 ? kNoTopic : positions_.at(i - 1));
    link.u32(i + 1 < records.size() ? positions_.at(i + 1) : kNoTopic);
    link.u32(static_cast<std::uint32_t>(kTopicLinkHeaderSize + record.data1.size()));
    link.u8(record.type);
    link.bytes(record.data1);
    link.bytes(record.stored2());
    const auto& bytes = link.data();
    result[block].data.resize(placeOf(pos));
    std::size_t done = 0;
    while (done < bytes.size()) {
      auto& data = result[block].data;
      const std::size_t take = std::min(capacity_ - data.size(), bytes.size() - done);
      data.insert(data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(done),
                  bytes.begin() + static_cast<std::ptrdiff_t>(done + take));
      done += take;
      lastLink = pos;
      if (record.type == kRecordTopicHeader) lastHeader = pos;
      if (done < bytes.size()) ensureBlock(++block);
    }
    lastLink = pos;
    if (record.type == kRecordTopicHeader) lastHeader = pos;
  }
  return result;
}

std::vector<std::uint8_t> TopicLayout::serializeUncompressed(const std::vector<TopicBlock>& blocks, std::size_t blockSize) {
  ByteWriter out;
  for (const TopicBlock& block : blocks) {
    out.u32(block.lastTopicLink);
    out.u32(block.firstTopicLink);
    out.u32(block.lastTopicHeader);
    out.bytes(block.data);
    out.zeros(blockSize - kTopicBlockHeaderSize - std::min(block.data.size(), blockSize - kTopicBlockHeaderSize));
  }
  return out.take();
}

}  // namespace hcrtf::compiler
