#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <vector>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/SpillFile.h"
#include "hcrtf/compiler/TopicRecord.h"

namespace hcrtf::compiler {

// Where a record of |TOPIC ended up: its TOPICPOS (what links between
// records use) and the TOPICOFFSET of its first character.
struct PlacedRecord {
  std::size_t number = 0;
  std::uint32_t position = 0;
  std::uint32_t offset = 0;
};

// Writes the |TOPIC file to a spill file as its records arrive, so that the
// topic stream never has to be held in memory. Blocks are stored whole or
// LZ77-packed; a packed block holds as much of the stream as packs into it,
// so a record's place is known only once the block it starts in is packed.
// The fields that hold places of later records (each record's "next" link,
// the topic header's sizes and region, browse and next-topic addresses) are
// pinned: packed as literals and overwritten when their values are known,
// in memory while their block is among the last ones, in the file after.
// Only the records of the block being filled are kept, plus the header
// fields the caller still means to patch.
class TopicStreamWriter {
 public:
  // Room for record bytes in one stored block; a record's link header and
  // LinkData1 never straddle two blocks, its text may.
  static constexpr std::size_t kStoredCapacity = kTopicBlockSize - kTopicBlockHeaderSize;

  TopicStreamWriter(SpillFile& out, bool compress);
  TopicStreamWriter(const TopicStreamWriter&) = delete;
  TopicStreamWriter& operator=(const TopicStreamWriter&) = delete;

  // Appends one record and returns its number (0, 1, ...). Its previous and
  // next links are the writer's business; a topic header's LinkData1 stays
  // open to patchHeader until forgetHeader. Throws std::length_error when
  // the stream outgrows what a help file can address.
  std::size_t add(const TopicRecord& record);
  // Packs and writes what is left; the |TOPIC file is then the first size()
  // bytes of the spill file. Headers kept open may still be patched.
  void finish();
  // The records placed since the last call, in order.
  std::vector<PlacedRecord> takePlaced();

  // Overwrites LinkData1 bytes [at, at + bytes.size()) of topic header `record`.
  void patchHeader(std::size_t record, std::size_t at, std::span<const std::uint8_t> bytes);
  // Stops keeping the header's LinkData1 open, except bytes [keepFrom, keepTo)
  // (at most 8). Call only once the header is placed.
  void forgetHeader(std::size_t record, std::size_t keepFrom = 0, std::size_t keepTo = 0);

  std::uint64_t size() const { return out_.size() + tail_.size(); }

 private:
  // A record whose links or pinned bytes are not all settled yet.
  struct Pending {
    std::size_t number = 0;
    std::uint64_t start = 0;  // in the topic stream
    std::uint32_t fixed = 0;  // link header and LinkData1
    std::uint32_t text = 0;   // characters it counts for TOPICOFFSET
    std::uint32_t pinCount = 0;   // pinned bytes: 8 link bytes, then a header's LinkData1
    std::uint32_t pinsPlaced = 0;
    std::uint8_t type = 0;
    bool placed = false;
    bool nextSet = false;
    std::uint32_t position = kNoTopic;
    std::uint32_t linkPos[8] = {};  // file places of the previous and next fields
  };
  // The file places of a topic header's LinkData1 bytes while it is open.
  struct HeaderSlot {
    std::uint64_t start = 0;  // the record's place in the topic stream
    std::vector<std::uint32_t> filePos;  // kUnplaced until the byte is packed
  };
  // What forgetHeader keeps of a header: a few bytes' file places.
  struct KeptBytes {
    std::size_t record = 0;
    std::uint32_t from = 0;
    std::uint32_t count = 0;
    std::uint32_t filePos[8] = {};
  };
  static constexpr std::uint32_t kUnplaced = 0xFFFFFFFF;

  void addStored(const TopicRecord& record, Pending& pending);
  void openStoredBlock();
  void packBlock(bool streamComplete);
  std::size_t cutPoint(std::uint64_t blockBegin, std::uint64_t end) const;
  void assignPins(const std::vector<std::uint32_t>& pinnedAt, std::uint32_t dataAt);
  void place(Pending& pending, std::uint32_t position, std::uint32_t offset);
  void setPinnedU32(Pending& pending, std::size_t field, std::uint32_t value);
  // Writes bytes at the given file places, in runs where they are adjacent.
  void patchFile(const std::uint32_t* filePos, const std::uint8_t* bytes, std::size_t count);
  void flushTail(std::size_t keep);
  void retireSettled();

  SpillFile& out_;
  bool compress_;
  std::deque<Pending> pending_;
  std::map<std::size_t, HeaderSlot> headers_;
  std::vector<KeptBytes> kept_;  // in record order
  std::vector<PlacedRecord> placed_;
  std::size_t records_ = 0;
  std::uint32_t lastLink_ = kNoTopic;     // the last record placed
  std::uint32_t lastHeader_ = kNoTopic;   // the last topic header placed
  std::size_t blocks_ = 0;
  std::uint32_t characters_ = 0;          // text before the next record in its block
  // Bytes of the file not yet written to the spill file: the last blocks.
  std::vector<std::uint8_t> tail_;
  // Packed: the stream from bufferBase_ on, not yet packed from packedTo_ on.
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferBase_ = 0;
  std::uint64_t packedTo_ = 0;
  // Stored: how much of the current block is used.
  std::size_t used_ = 0;
  std::uint32_t firstInBlock_ = kNoTopic;  // the first record that starts in the current block
  bool finished_ = false;
};

}  // namespace hcrtf::compiler
