#include "hcrtf/compiler/TopicStreamWriter.h"

#include <algorithm>
#include <stdexcept>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/Lz77Compressor.h"

namespace hcrtf::compiler {

namespace {

// Some viewers read the last block as if it had at least this many bytes.
constexpr std::size_t kMinLastBlock = 0x44;
constexpr std::size_t kPackedData = kTopicBlockSize - kTopicBlockHeaderSize;

void putU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> recordBytes(const TopicRecord& record, std::uint32_t previous, std::uint32_t next) {
  ByteWriter out;
  out.u32(static_cast<std::uint32_t>(record.size()));
  out.u32(static_cast<std::uint32_t>(record.data2.size()));
  out.u32(previous);
  out.u32(next);
  out.u32(static_cast<std::uint32_t>(kTopicLinkHeaderSize + record.data1.size()));
  out.u8(record.type);
  out.bytes(record.data1);
  out.bytes(record.stored2());
  return out.take();
}

}  // namespace

TopicStreamWriter::TopicStreamWriter(SpillFile& out, bool compress) : out_(out), compress_(compress) {}

std::size_t TopicStreamWriter::add(const TopicRecord& record) {
  if (finished_) throw std::logic_error("topic record added after the stream was finished");
  Pending pending;
  pending.number = records_++;
  pending.fixed = static_cast<std::uint32_t>(kTopicLinkHeaderSize + record.data1.size());
  pending.text = record.type == kRecordTopicHeader ? 0 : static_cast<std::uint32_t>(record.data2.size());
  pending.type = record.type;
  const bool openHeader = record.type == kRecordTopicHeader && !record.data1.empty();
  pending.pinCount = 8 + (openHeader ? static_cast<std::uint32_t>(record.data1.size()) : 0);
  if (openHeader) headers_[pending.number].filePos.assign(record.data1.size(), kUnplaced);
  if (!compress_) {
    addStored(record, pending);
    return pending.number;
  }
  pending.start = bufferBase_ + buffer_.size();
  if (openHeader) headers_[pending.number].start = pending.start;
  const std::vector<std::uint8_t> bytes = recordBytes(record, 0, 0);
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  pending_.push_back(pending);
  while (bufferBase_ + buffer_.size() - packedTo_ > kTopicBlockMaxUnpacked) packBlock(false);
  return pending.number;
}

void TopicStreamWriter::addStored(const TopicRecord& record, Pending& pending) {
  if (pending.fixed > kStoredCapacity) throw std::length_error("topic record header larger than a topic block");
  if (blocks_ == 0 || kStoredCapacity - used_ < pending.fixed) openStoredBlock();
  const std::size_t block = blocks_ - 1;
  const auto position = static_cast<std::uint32_t>(block * kTopicPosBlockStep + kFirstTopicPos + used_);
  const auto offset = static_cast<std::uint32_t>(block * kTopicOffsetBlockStep + characters_);
  const auto fileAt = static_cast<std::uint32_t>(block * kTopicBlockSize + kTopicBlockHeaderSize + used_);
  for (std::uint32_t j = 0; j < 8; ++j) pending.linkPos[j] = fileAt + static_cast<std::uint32_t>(kTopicLinkPreviousField) + j;
  if (const auto slot = headers_.find(pending.number); slot != headers_.end()) {
    for (std::size_t k = 0; k < slot->second.filePos.size(); ++k) {
      slot->second.filePos[k] = fileAt + static_cast<std::uint32_t>(kTopicLinkHeaderSize + k);
    }
  }
  pending.pinsPlaced = pending.pinCount;
  pending_.push_back(pending);
  const std::vector<std::uint8_t> bytes = recordBytes(record, lastLink_, kNoTopic);
  place(pending_.back(), position, offset);
  characters_ += pending.text;
  for (std::size_t done = 0; done < bytes.size();) {
    if (used_ == kStoredCapacity) openStoredBlock();
    const std::size_t take = std::min(kStoredCapacity - used_, bytes.size() - done);
    const std::size_t at = tail_.size() - kTopicBlockSize + kTopicBlockHeaderSize + used_;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(done), take, tail_.begin() + static_cast<std::ptrdiff_t>(at));
    used_ += take;
    done += take;
  }
  retireSettled();
}

// Every stored block is written whole, so a viewer that reads block by
// block never runs off the end of the file.
void TopicStreamWriter::openStoredBlock() {
  if (blocks_ >= kMaxTopicBlocks) throw std::length_error("topic text larger than a help file can address");
  flushTail(tail_.empty() ? 0 : kTopicBlockSize);
  const std::size_t at = tail_.size();
  tail_.resize(at + kTopicBlockSize, 0);
  putU32(&tail_[at], lastLink_);
  putU32(&tail_[at + 4], kNoTopic);
  putU32(&tail_[at + 8], lastHeader_);
  ++blocks_;
  used_ = 0;
  characters_ = 0;
  firstInBlock_ = kNoTopic;
}

// Packs one block from packedTo_ on. Unless the stream is complete there is
// more than a block's worth buffered, so the block is never the last one.
void TopicStreamWriter::packBlock(bool streamComplete) {
  const std::uint64_t end = bufferBase_ + buffer_.size();
  const std::size_t left = static_cast<std::size_t>(end - packedTo_);
  const bool mayBeLast = streamComplete && left <= kTopicBlockMaxUnpacked;
  std::vector<ByteRange> pins;
  const auto pin = [&](std::uint64_t from, std::uint64_t to) {
    from = std::max(from, packedTo_);
    if (from < to) pins.emplace_back(from - bufferBase_, to - bufferBase_);
  };
  for (const Pending& p : pending_) {
    if (p.pinsPlaced == p.pinCount) continue;
    pin(p.start + kTopicLinkPreviousField, p.start + kTopicLinkPreviousField + 8);
    if (p.pinCount > 8) pin(p.start + kTopicLinkHeaderSize, p.start + kTopicLinkHeaderSize + p.pinCount - 8);
  }
  const Lz77Compressor compressor(buffer_, std::move(pins));
  const std::size_t from = static_cast<std::size_t>(packedTo_ - bufferBase_);
  Lz77Segment seg = compressor.encode(from, std::min(left, kTopicBlockMaxUnpacked), kPackedData, !mayBeLast);
  // Ending inside a record's fixed part: end the block before that record.
  for (std::size_t cut = cutPoint(packedTo_, packedTo_ + seg.consumed); seg.consumed < left && cut < packedTo_ + seg.consumed;
       cut = cutPoint(packedTo_, packedTo_ + seg.consumed)) {
    seg = compressor.encode(from, cut - packedTo_, kPackedData, false);
  }
  if (seg.consumed == 0 && left > 0) throw std::logic_error("topic block packing made no progress");
  const bool last = streamComplete && seg.consumed == left;

  const std::size_t block = blocks_++;
  if (blocks_ >= kMaxTopicBlocks) throw std::length_error("topic text larger than a help file can address");
  const auto fileAt = static_cast<std::uint32_t>(size());
  const std::uint32_t linkBefore = lastLink_, headerBefore = lastHeader_;
  tail_.resize(tail_.size() + kTopicBlockHeaderSize, 0);
  tail_.insert(tail_.end(), seg.bytes.begin(), seg.bytes.end());
  // Only the last block may end early; the others are whole blocks.
  const std::size_t blockInTail = fileAt - static_cast<std::size_t>(out_.size());
  tail_.resize(std::max(tail_.size(), blockInTail + (last ? kMinLastBlock : kTopicBlockSize)), 0);
  assignPins(seg.pinnedAt, fileAt + static_cast<std::uint32_t>(kTopicBlockHeaderSize));

  const std::uint64_t blockEnd = packedTo_ + seg.consumed;
  characters_ = 0;
  firstInBlock_ = kNoTopic;
  for (Pending& p : pending_) {
    if (p.placed) continue;
    if (p.start >= blockEnd) break;
    const auto position = static_cast<std::uint32_t>(block * kTopicPosBlockStep + kFirstTopicPos + (p.start - packedTo_));
    place(p, position, static_cast<std::uint32_t>(block * kTopicOffsetBlockStep + characters_));
    characters_ += p.text;
  }
  std::uint8_t* header = &tail_[fileAt - out_.size()];
  putU32(header, linkBefore);
  putU32(header + 4, firstInBlock_);
  putU32(header + 8, headerBefore);

  packedTo_ = blockEnd;
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(packedTo_ - bufferBase_));
  bufferBase_ = packedTo_;
  retireSettled();
  flushTail(static_cast<std::size_t>(size() - fileAt));
}

std::size_t TopicStreamWriter::cutPoint(std::uint64_t blockBegin, std::uint64_t end) const {
  // The last record starting before `end`; records already retired start
  // before the block and never move its end.
  for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
    if (it->start >= end) continue;
    if (it->start + it->fixed <= end || it->start <= blockBegin) return static_cast<std::size_t>(end);
    return static_cast<std::size_t>(it->start);
  }
  return static_cast<std::size_t>(end);
}

// The packed segment lists the file place of every pinned byte it holds, in
// stream order; they belong to the pending records in the same order.
void TopicStreamWriter::assignPins(const std::vector<std::uint32_t>& pinnedAt, std::uint32_t dataAt) {
  std::size_t next = 0;
  for (Pending& p : pending_) {
    if (next == pinnedAt.size()) break;
    const auto slot = headers_.find(p.number);
    for (; p.pinsPlaced < p.pinCount && next < pinnedAt.size(); ++p.pinsPlaced) {
      const std::uint32_t filePos = dataAt + pinnedAt[next++];
      if (p.pinsPlaced < 8) {
        p.linkPos[p.pinsPlaced] = filePos;
      } else if (slot != headers_.end()) {
        slot->second.filePos[p.pinsPlaced - 8] = filePos;
      }
    }
  }
  if (next != pinnedAt.size()) throw std::logic_error("packed topic block holds pinned bytes of no record");
}

void TopicStreamWriter::place(Pending& pending, std::uint32_t position, std::uint32_t offset) {
  placed_.push_back(PlacedRecord{pending.number, position, offset});
  setPinnedU32(pending, 0, lastLink_);
  // Records leave the queue in order and only once their next link is set,
  // so the one before this record is still queued, just before it.
  if (pending.number > pending_.front().number) {
    Pending& before = pending_[pending.number - 1 - pending_.front().number];
    setPinnedU32(before, 4, position);
    before.nextSet = true;
  }
  if (firstInBlock_ == kNoTopic) {
    firstInBlock_ = position;
    if (!compress_) putU32(&tail_[tail_.size() - kTopicBlockSize + 4], position);
  }
  lastLink_ = position;
  if (pending.type == kRecordTopicHeader) lastHeader_ = position;
  pending.placed = true;
  pending.position = position;
}

void TopicStreamWriter::setPinnedU32(Pending& pending, std::size_t field, std::uint32_t value) {
  std::uint8_t bytes[4];
  putU32(bytes, value);
  for (std::size_t k = 0; k < 4; ++k) {
    const std::size_t j = field + k;
    if (j < pending.pinsPlaced) {
      patchFile(&pending.linkPos[j], &bytes[k], 1);
    } else {
      buffer_[static_cast<std::size_t>(pending.start + kTopicLinkPreviousField + j - bufferBase_)] = bytes[k];
    }
  }
}

void TopicStreamWriter::patchHeader(std::size_t record, std::size_t at, std::span<const std::uint8_t> bytes) {
  if (const auto slot = headers_.find(record); slot != headers_.end()) {
    std::vector<std::uint32_t>& filePos = slot->second.filePos;
    if (at > filePos.size() || bytes.size() > filePos.size() - at) throw std::out_of_range("topic header patch too long");
    for (std::size_t k = 0; k < bytes.size(); ++k) {
      if (filePos[at + k] != kUnplaced) {
        patchFile(&filePos[at + k], &bytes[k], 1);
      } else {
        buffer_[static_cast<std::size_t>(slot->second.start + kTopicLinkHeaderSize + at + k - bufferBase_)] = bytes[k];
      }
    }
    return;
  }
  const auto kept = std::lower_bound(kept_.begin(), kept_.end(), record,
                                     [](const KeptBytes& k, std::size_t r) { return k.record < r; });
  if (kept == kept_.end() || kept->record != record || at < kept->from || bytes.size() > kept->count ||
      at - kept->from > kept->count - bytes.size()) {
    throw std::out_of_range("patch of a topic header no longer open");
  }
  patchFile(&kept->filePos[at - kept->from], bytes.data(), bytes.size());
}

void TopicStreamWriter::forgetHeader(std::size_t record, std::size_t keepFrom, std::size_t keepTo) {
  const auto slot = headers_.find(record);
  if (slot == headers_.end()) return;
  if (keepTo > keepFrom) {
    if (keepTo - keepFrom > 8 || keepTo > slot->second.filePos.size()) throw std::out_of_range("too many header bytes kept");
    if (!kept_.empty() && kept_.back().record >= record) throw std::logic_error("topic headers forgotten out of order");
    KeptBytes kept;
    kept.record = record;
    kept.from = static_cast<std::uint32_t>(keepFrom);
    kept.count = static_cast<std::uint32_t>(keepTo - keepFrom);
    std::copy(slot->second.filePos.begin() + static_cast<std::ptrdiff_t>(keepFrom),
              slot->second.filePos.begin() + static_cast<std::ptrdiff_t>(keepTo), kept.filePos);
    if (std::find(kept.filePos, kept.filePos + kept.count, kUnplaced) != kept.filePos + kept.count) {
      throw std::logic_error("topic header forgotten before it was placed");
    }
    kept_.push_back(kept);
  }
  headers_.erase(slot);
}

void TopicStreamWriter::patchFile(const std::uint32_t* filePos, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count;) {
    std::size_t run = 1;
    while (i + run < count && filePos[i + run] == filePos[i] + run) ++run;
    const std::uint64_t at = filePos[i];
    if (at >= out_.size()) {
      std::copy_n(bytes + i, run, tail_.begin() + static_cast<std::ptrdiff_t>(at - out_.size()));
    } else {
      out_.writeAt(at, std::span<const std::uint8_t>(bytes + i, run));
    }
    i += run;
  }
}

void TopicStreamWriter::flushTail(std::size_t keep) {
  if (tail_.size() <= keep) return;
  const std::size_t write = tail_.size() - keep;
  out_.append(std::span<const std::uint8_t>(tail_.data(), write));
  tail_.erase(tail_.begin(), tail_.begin() + static_cast<std::ptrdiff_t>(write));
}

void TopicStreamWriter::retireSettled() {
  while (!pending_.empty()) {
    const Pending& p = pending_.front();
    if (!p.placed || p.pinsPlaced < p.pinCount || !p.nextSet) break;
    pending_.pop_front();
  }
}

void TopicStreamWriter::finish() {
  if (finished_) return;
  if (compress_) {
    do {
      packBlock(true);
    } while (packedTo_ < bufferBase_ + buffer_.size());
  }
  if (!pending_.empty() && !pending_.back().nextSet) {
    setPinnedU32(pending_.back(), 4, kNoTopic);
    pending_.back().nextSet = true;
  }
  retireSettled();
  flushTail(0);
  finished_ = true;
}

std::vector<PlacedRecord> TopicStreamWriter::takePlaced() {
  std::vector<PlacedRecord> placed;
  placed.swap(placed_);
  return placed;
}

}  // namespace hcrtf::compiler
