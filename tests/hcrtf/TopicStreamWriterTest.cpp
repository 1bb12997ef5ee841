#include "hcrtf/compiler/TopicStreamWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "hcrtf/compiler/SpillFile.h"
#include "hcrtf/compiler/TopicLayout.h"
#include "../support/TempDirectory.h"

namespace hcrtf::compiler {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Topics of a header and text records: repetitive text that packs well,
// noise that does not, and now and then a record longer than a block.
std::vector<TopicRecord> sampleRecords(unsigned seed, std::size_t topics) {
  std::mt19937 rng(seed);
  const std::string words = "the quick brown fox jumps over the lazy dog and keeps on jumping ";
  std::vector<TopicRecord> records;
  for (std::size_t t = 0; t < topics; ++t) {
    TopicRecord header;
    header.type = kRecordTopicHeader;
    header.data1.resize(kTopicHeaderDataSize);
    for (auto& b : header.data1) b = static_cast<std::uint8_t>(rng());
    const std::string title = "Topic " + std::to_string(t);
    header.data2.assign(title.begin(), title.end());
    records.push_back(header);
    const std::size_t texts = 1 + rng() % 6;
    for (std::size_t i = 0; i < texts; ++i) {
      TopicRecord text;
      text.type = kRecordText;
      text.data1.resize(4 + rng() % 60);
      for (auto& b : text.data1) b = static_cast<std::uint8_t>(rng() % 4);
      const std::size_t length = rng() % 9 == 0 ? 9000 + rng() % 20000 : rng() % 700;
      const bool noise = rng() % 4 == 0;
      for (std::size_t k = 0; k < length; ++k) {
        text.data2.push_back(noise ? static_cast<std::uint8_t>(rng()) : static_cast<std::uint8_t>(words[(k + t) % words.size()]));
      }
      records.push_back(text);
    }
  }
  return records;
}

Bytes readAll(const SpillFile& spill, std::uint64_t size) {
  Bytes bytes(static_cast<std::size_t>(size));
  spill.readAt(0, bytes);
  return bytes;
}

// Streams `records` with placeholder header fields; patches half of the
// headers as soon as they are placed (while their block may still be in
// memory) and the rest after the stream is finished (in the file).
struct Streamed {
  Bytes file;
  std::vector<PlacedRecord> placed;
};

Streamed stream(const std::vector<TopicRecord>& records, bool compress, const std::filesystem::path& folder) {
  SpillFile spill(folder);
  TopicStreamWriter writer(spill, compress);
  Streamed out;
  const auto patchPlaced = [&](bool all) {
    for (const PlacedRecord& p : writer.takePlaced()) out.placed.push_back(p);
    for (const PlacedRecord& p : out.placed) {
      const TopicRecord& record = records[p.number];
      if (record.type != kRecordTopicHeader || (!all && p.number % 2 == 0)) continue;
      writer.patchHeader(p.number, 0, record.data1);
    }
  };
  for (const TopicRecord& record : records) {
    TopicRecord placeholder = record;
    if (record.type == kRecordTopicHeader) std::fill(placeholder.data1.begin(), placeholder.data1.end(), 0);
    writer.add(placeholder);
    patchPlaced(false);
  }
  writer.finish();
  patchPlaced(true);
  out.file = readAll(spill, writer.size());
  return out;
}

// The |TOPIC the compiler wrote when it laid out the whole stream at once.
Bytes wholeStreamLayout(TopicLayout& layout, const std::vector<TopicRecord>& records, bool compress) {
  if (compress) {
    layout.layoutPacked(records);
    return layout.serializePacked(records);
  }
  layout.layout(records);
  return TopicLayout::serializeUncompressed(layout.blocks(records));
}

TEST(TopicStreamWriter, StreamedBlocksMatchTheWholeStreamLayout) {
  TempDirectory dir;
  for (const bool compress : {false, true}) {
    for (const unsigned seed : {1u, 2u, 3u}) {
      const std::vector<TopicRecord> records = sampleRecords(seed, 60);
      TopicLayout layout;
      const Bytes expected = wholeStreamLayout(layout, records, compress);
      const Streamed got = stream(records, compress, dir.path());
      ASSERT_EQ(got.placed.size(), records.size()) << "compress " << compress << " seed " << seed;
      for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(got.placed[i].number, i);
        EXPECT_EQ(got.placed[i].position, layout.position(i)) << "record " << i;
        EXPECT_EQ(got.placed[i].offset, layout.offset(i)) << "record " << i;
      }
      EXPECT_EQ(got.file, expected) << "compress " << compress << " seed " << seed;
    }
  }
}

TEST(TopicStreamWriter, KeptHeaderBytesCanBePatchedAtTheEndAndOthersNot) {
  TempDirectory dir;
  for (const bool compress : {false, true}) {
    std::vector<TopicRecord> records = sampleRecords(7, 40);
    SpillFile spill(dir.path());
    TopicStreamWriter writer(spill, compress);
    std::vector<std::size_t> headers;
    for (const TopicRecord& record : records) {
      const std::size_t n = writer.add(record);
      if (record.type == kRecordTopicHeader) headers.push_back(n);
    }
    writer.finish();
    for (const std::size_t h : headers) writer.forgetHeader(h, 4, 12);
    const Bytes mark = {0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56, 0x78, 0x9A};
    for (const std::size_t h : headers) writer.patchHeader(h, 4, mark);
    EXPECT_THROW(writer.patchHeader(headers[0], 0, Bytes{1}), std::out_of_range);
    EXPECT_THROW(writer.patchHeader(headers[0], 8, mark), std::out_of_range);
    for (const std::size_t h : headers) std::copy(mark.begin(), mark.end(), records[h].data1.begin() + 4);
    TopicLayout layout;
    const Bytes expected = wholeStreamLayout(layout, records, compress);
    EXPECT_EQ(readAll(spill, writer.size()), expected) << "compress " << compress;
  }
}

TEST(TopicStreamWriter, OversizedRecordsAndLateRecordsAreRefused) {
  TempDirectory dir;
  SpillFile spill(dir.path());
  TopicStreamWriter stored(spill, false);
  TopicRecord huge;
  huge.data1.resize(TopicStreamWriter::kStoredCapacity);
  EXPECT_THROW(stored.add(huge), std::length_error);
  TopicRecord small;
  small.data2 = {'a'};
  stored.add(small);
  stored.finish();
  EXPECT_THROW(stored.add(small), std::logic_error);
}

TEST(SpillFile, LeavesNothingInItsFolderAndReadsBackWhatWasWritten) {
  TempDirectory dir;
  {
    SpillFile spill(dir.path());
    spill.append(Bytes{1, 2, 3, 4, 5});
    spill.writeAt(1, Bytes{9, 9});
    Bytes back(5);
    spill.readAt(0, back);
    EXPECT_EQ(back, (Bytes{1, 9, 9, 4, 5}));
    Bytes beyond(2);
    EXPECT_THROW(spill.readAt(4, beyond), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }
  // A folder that does not exist falls back to the temporary folder.
  SpillFile elsewhere(dir.path() / "missing");
  elsewhere.append(Bytes{7});
  EXPECT_EQ(elsewhere.size(), 1u);
}

}  // namespace
}  // namespace hcrtf::compiler
