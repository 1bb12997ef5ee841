#include <stdexcept>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/TopicBlockPacker.h"
#include "hcrtf/compiler/TopicLayout.h"

namespace hcrtf::compiler {

namespace {
void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t readU32(const std::vector<std::uint8_t>& in, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in.at(at + i)) << (8 * i);
  return v;
}
}  // namespace

void TopicLayout::layoutPacked(const std::vector<TopicRecord>& records) {
  std::vector<std::uint8_t> stream;
  std::vector<ByteRange> pinned, fixedParts;
  starts_.clear();
  for (const TopicRecord& record : records) {
    const std::size_t start = stream.size();
    starts_.push_back(start);
    appendU32(stream, static_cast<std::uint32_t>(record.size()));
    appendU32(stream, static_cast<std::uint32_t>(record.data2.size()));
    appendU32(stream, 0);  // PrevBlock and NextBlock: patched in serializePacked
    appendU32(stream, 0);
    appendU32(stream, static_cast<std::uint32_t>(kTopicLinkHeaderSize + record.data1.size()));
    stream.push_back(record.type);
    stream.insert(stream.end(), record.data1.begin(), record.data1.end());
    stream.insert(stream.end(), record.stored2().begin(), record.stored2().end());
    pinned.emplace_back(start + kTopicLinkPreviousField, start + kTopicLinkPreviousField + 8);
    // A topic header's fields (sizes, browse and region addresses) come last.
    if (record.type == kRecordTopicHeader && !record.data1.empty()) {
      pinned.emplace_back(start + kTopicLinkHeaderSize, start + kTopicLinkHeaderSize + record.data1.size());
    }
    fixedParts.emplace_back(start, start + kTopicLinkHeaderSize + record.data1.size());
  }
  packer_ = std::make_shared<TopicBlockPacker>(std::move(stream), std::move(pinned), true, std::move(fixedParts));
  if (packer_->blockCount() >= kMaxTopicBlocks) throw std::length_error("topic text larger than a help file can address");

  positions_.clear();
  offsets_.clear();
  std::size_t block = 0;
  std::uint32_t characters = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::size_t here = packer_->blockOf(starts_[i]);
    if (here != block) characters = 0;
    block = here;
    positions_.push_back(packer_->topicPos(starts_[i]));
    offsets_.push_back(static_cast<std::uint32_t>(block * kTopicOffsetBlockStep + characters));
    if (records[i].type != kRecordTopicHeader) characters += static_cast<std::uint32_t>(records[i].data2.size());
  }
}

std::vector<std::uint8_t> TopicLayout::serializePacked(const std::vector<TopicRecord>& records) {
  if (!packer_ || records.size() != starts_.size()) throw std::logic_error("topic records changed after layout");
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (readU32(packer_->stream(), starts_[i]) != records[i].size()) {
      throw std::logic_error("topic record resized after layout");
    }
    packer_->patchU32(starts_[i] + kTopicLinkPreviousField, i == 0 ? kNoTopic : positions_[i - 1]);
    packer_->patchU32(starts_[i] + kTopicLinkPreviousField + 4, i + 1 < records.size() ? positions_[i + 1] : kNoTopic);
    if (records[i].type == kRecordTopicHeader && !records[i].data1.empty()) {
      packer_->patch(starts_[i] + kTopicLinkHeaderSize, records[i].data1);
    }
  }
  std::uint32_t lastLink = kNoTopic, lastHeader = kNoTopic;
  std::size_t next = 0;
  for (std::size_t b = 0; b < packer_->blockCount(); ++b) {
    const std::size_t end = b + 1 < packer_->blockCount() ? packer_->blockStart(b + 1) : packer_->stream().size() + 1;
    std::uint32_t first = kNoTopic;
    const std::uint32_t linkBefore = lastLink, headerBefore = lastHeader;
    for (; next < records.size() && starts_[next] < end; ++next) {
      if (first == kNoTopic) first = positions_[next];
      lastLink = positions_[next];
      if (records[next].type == kRecordTopicHeader) lastHeader = positions_[next];
    }
    packer_->setBlockHeader(b, linkBefore, first, headerBefore);
  }
  return packer_->file();
}

}  // namespace hcrtf::compiler
