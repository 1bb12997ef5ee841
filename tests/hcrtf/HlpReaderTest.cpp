// The .hlp reader against hand-built files: the container, |TOPIC records
// and their markers, phrase tables and pictures, and damaged input.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "HlpTestFiles.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/common/Lz77Compressor.h"
#include "hcrtf/dump/HelpDumper.h"
#include "hcrtf/dump/FontTable.h"
#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/IndexFiles.h"
#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/TextEscape.h"
#include "hcrtf/dump/Picture.h"
#include "hcrtf/dump/TopicReader.h"

namespace hcrtf::dump {
namespace {

using testing::Bytes;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes textz(const std::string& s) {
  Bytes b = text(s);
  b.push_back(0);
  return b;
}

// One |TOPIC record: the 21-byte link header then both data parts.
struct Record {
  std::uint8_t type = 0x20;
  Bytes data1;
  Bytes data2;
};

Bytes topicHeaderData(std::uint32_t number, std::uint32_t nonScroll = 0xFFFFFFFF,
                      std::uint32_t scroll = 0) {
  ByteWriter w;
  w.u32(0);
  w.u32(0xFFFFFFFF);
  w.u32(0xFFFFFFFF);
  w.u32(number);
  w.u32(nonScroll);
  w.u32(scroll);
  w.u32(0);
  return w.take();
}

// Formatting of a text record: one paragraph info, then `commands`.
Bytes textRecordData(std::uint16_t textLength, const Bytes& commands, std::uint16_t bits = 0,
                     const Bytes& fields = {}) {
  ByteWriter w;
  w.compressedI32(0);
  w.compressedU16(textLength);
  w.u8(0);
  w.u8(0x80);
  w.u16(0);
  w.u16(bits);
  w.bytes(fields);
  w.bytes(commands);
  return w.take();
}

// Where byte `at` of the unpacked stream lies: packed, one block holds up to
// 16 KiB of it; plain, each 4 KiB block holds 4096 - 12 bytes.
std::uint32_t topicPos(std::size_t at, bool packed) {
  const std::size_t perBlock = packed ? 0x4000 : 0x1000 - 12;
  return static_cast<std::uint32_t>(12 + (at / perBlock) * 0x4000 + at % perBlock);
}

// Lays records end to end in the unpacked topic stream, chaining them.
Bytes topicStream(const std::vector<Record>& records, bool packed = false) {
  ByteWriter w;
  std::vector<std::size_t> nextSlots;
  for (const Record& r : records) {
    const std::size_t start = w.size();
    if (!nextSlots.empty()) w.patchU32(nextSlots.back(), topicPos(start, packed));
    w.u32(static_cast<std::uint32_t>(21 + r.data1.size() + r.data2.size()));
    w.u32(static_cast<std::uint32_t>(r.data2.size()));
    w.u32(0xFFFFFFFF);
    nextSlots.push_back(w.size());
    w.u32(0xFFFFFFFF);
    w.u32(static_cast<std::uint32_t>(21 + r.data1.size()));
    w.u8(r.type);
    w.bytes(r.data1);
    w.bytes(r.data2);
  }
  return w.take();
}

// A |TOPIC file: packed, one block (streams up to 16 KiB); plain, as many
// 4 KiB blocks as the stream needs. Block headers are not read back here.
Bytes topicFile(const Bytes& stream, bool packed) {
  ByteWriter w;
  auto blockHeader = [&] {
    w.u32(0xFFFFFFFF);
    w.u32(12);
    w.u32(12);
  };
  if (packed) {
    blockHeader();
    w.bytes(lz77Compress(stream));
    return w.take();
  }
  for (std::size_t at = 0; at < stream.size(); at += 0x1000 - 12) {
    blockHeader();
    const std::size_t n = std::min<std::size_t>(0x1000 - 12, stream.size() - at);
    w.bytes(std::span<const std::uint8_t>(stream).subspan(at, n));
  }
  return w.take();
}

std::string hashText(const std::string& name) {
  return hex32(static_cast<std::uint32_t>(helpHash(name)));
}

SystemInfo system(std::uint16_t flags) { return SystemInfo::parse(testing::buildSystem("T", flags)); }

TEST(HelpFile, FindsFilesAndReportsBrokenEntriesWithoutFailing) {
  Bytes bytes = testing::buildHelpFile({{"|SYSTEM", testing::buildSystem("Title")}, {"|X", text("abc")}});
  HelpFile hf = HelpFile::fromBytes(bytes);
  ASSERT_EQ(hf.files().size(), 2u);
  EXPECT_EQ(hf.files()[0].name, "|SYSTEM");
  ASSERT_TRUE(hf.file("|X"));
  EXPECT_EQ(Bytes(hf.file("|X")->begin(), hf.file("|X")->end()), text("abc"));
  EXPECT_FALSE(hf.file("|Y"));
  EXPECT_EQ(SystemInfo::parse(*hf.file("|SYSTEM")).title, "Title");

  // Grow |X's used size past the end of the file: the entry is dropped with a
  // message and the other file stays readable.
  const std::size_t xHeader = hf.files()[1].offset;
  bytes[xHeader + 4] = 0xFF;
  bytes[xHeader + 5] = 0xFF;
  HelpFile damaged = HelpFile::fromBytes(bytes);
  EXPECT_EQ(damaged.files().size(), 1u);
  ASSERT_EQ(damaged.problems().size(), 1u);
  EXPECT_NE(damaged.problems()[0].find("|X"), std::string::npos);
}

TEST(HelpFile, RejectsWrongMagicTruncationAndLoopingPages) {
  Bytes bytes = testing::buildHelpFile({{"|A", text("1")}});
  Bytes wrong = bytes;
  wrong[0] ^= 1;
  EXPECT_THROW(HelpFile::fromBytes(wrong), FormatError);
  EXPECT_THROW(HelpFile::fromBytes(Bytes(bytes.begin(), bytes.begin() + 30)), FormatError);
  EXPECT_THROW(HelpFile::fromBytes({}), FormatError);
  // Leaf page 0 naming itself as the next page.
  Bytes loop = bytes;
  const std::size_t leaf = 16 + 9 + 38;
  loop[leaf + 6] = 0;
  loop[leaf + 7] = 0;
  EXPECT_THROW(HelpFile::fromBytes(loop), FormatError);
  // A root page number beyond the page count.
  Bytes root = bytes;
  root[16 + 9 + 26] = 7;
  EXPECT_THROW(HelpFile::fromBytes(root), FormatError);
}

// A |CONTEXT tree of two levels: an index root over two leaf pages.
Bytes twoLevelContext() {
  constexpr std::uint16_t kPage = 64;
  ByteWriter w;
  w.u16(0x293B);
  w.u16(0x0002);
  w.u16(kPage);
  w.fixedString("L4", 16);
  w.i16(0);
  w.i16(0);
  w.i16(0);  // root
  w.i16(-1);
  w.i16(3);  // pages
  w.i16(2);  // levels
  w.i32(3);
  auto page = [&](auto&& body) {
    const std::size_t start = w.size();
    body();
    w.zeros(kPage - (w.size() - start));
  };
  page([&] {  // index: leftmost child 1, then hash 50 -> page 2
    w.u16(0);
    w.i16(1);
    w.i16(1);
    w.i32(50);
    w.i16(2);
  });
  page([&] {
    w.u16(0);
    w.i16(2);
    w.i16(-1);
    w.i16(2);
    w.i32(-7);
    w.u32(0x100);
    w.i32(10);
    w.u32(0x200);
  });
  page([&] {
    w.u16(0);
    w.i16(1);
    w.i16(1);
    w.i16(-1);
    w.i32(50);
    w.u32(0x300);
  });
  return w.take();
}

TEST(BTree, WalksIndexPagesDownToTheLeafChain) {
  const auto entries = readContext(twoLevelContext());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].hash, -7);
  EXPECT_EQ(entries[1].offset, 0x200u);
  EXPECT_EQ(entries[2].hash, 50);
  EXPECT_EQ(entries[2].offset, 0x300u);

  Bytes tooMany = twoLevelContext();
  tooMany[38 + 64 + 2] = 9;  // first leaf claims 9 entries: they run off its page
  EXPECT_THROW(readContext(tooMany), FormatError);
  Bytes pagesMissing = twoLevelContext();
  pagesMissing.resize(38 + 2 * 64);  // header still says three pages
  EXPECT_THROW(readContext(pagesMissing), FormatError);
}

TEST(Keywords, OffsetsComeFromTheDataFileAndCannotBeClaimedTwice) {
  auto tree = [](std::int16_t firstCount, std::uint32_t secondAt) {
    ByteWriter e;
    e.cString("alpha");
    e.i16(firstCount);
    e.u32(0);
    e.cString("beta");
    e.i16(1);
    e.u32(secondAt);
    return testing::buildLeafTree(e.data(), 2);
  };
  ByteWriter data;
  for (std::uint32_t o : {0x10u, 0x20u, 0x30u}) data.u32(o);
  const auto keywords = readKeywords(tree(2, 8), data.data(), "|KWBTREE");
  ASSERT_EQ(keywords.size(), 2u);
  EXPECT_EQ(keywords[0].offsets, (std::vector<std::uint32_t>{0x10, 0x20}));
  EXPECT_EQ(keywords[1].keyword, "beta");
  EXPECT_EQ(keywords[1].offsets, std::vector<std::uint32_t>{0x30});
  // Three and one make four references into three offsets.
  EXPECT_THROW(readKeywords(tree(3, 0), data.data(), "|KWBTREE"), FormatError);
  EXPECT_THROW(readKeywords(tree(1, 12), data.data(), "|KWBTREE"), FormatError);
  EXPECT_THROW(readKeywords(tree(-1, 0), data.data(), "|KWBTREE"), FormatError);
}

TEST(SystemInfo, ReadsRecordsAndTheWindowLayout) {
  ByteWriter w;
  w.u16(0x036C);
  w.u16(33);
  w.u16(1);
  w.u32(0);
  w.u16(8);
  auto record = [&](std::uint16_t type, const Bytes& data) {
    w.u16(type);
    w.u16(static_cast<std::uint16_t>(data.size()));
    w.bytes(data);
  };
  record(1, textz("Title"));
  record(2, text("(c) no NUL"));
  record(3, Bytes{0x47, 0, 0, 0});
  record(4, textz("CreateButton(`b',`&B',`JI(`',`x')')"));
  ByteWriter win;
  win.u16(0x07FF);
  win.fixedString("main", 10);
  win.fixedString("main", 9);
  win.fixedString("A caption", 51);
  for (std::int16_t v : {10, 20, 800, 900}) win.i16(v);
  win.u16(0);
  win.u32(0x00FFFFC0);
  win.u32(0x00C0C0C0);
  record(6, win.data());
  record(9, Bytes{0x09, 0x04, 0, 0, 0, 0, 0, 0});
  record(11, Bytes{0, 0});
  record(6, Bytes{1, 2, 3});  // not the 90-byte layout: kept as a raw record
  record(77, Bytes{5});
  const SystemInfo info = SystemInfo::parse(w.data());
  EXPECT_EQ(info.minor, 33);
  EXPECT_TRUE(info.topicsCompressed());
  EXPECT_EQ(info.topicBlockSize(), 0x800u);
  EXPECT_EQ(info.title, "Title");
  EXPECT_EQ(info.copyright, "(c) no NUL");
  EXPECT_EQ(info.contents, 0x47u);
  ASSERT_EQ(info.macros.size(), 1u);
  ASSERT_EQ(info.windows.size(), 1u);
  const WindowRecord& main = info.windows[0];
  EXPECT_EQ(main.name, "main");
  EXPECT_EQ(main.caption, "A caption");
  EXPECT_EQ(main.height, 900);
  EXPECT_EQ(main.scrollColour, 0x00FFFFC0u);
  EXPECT_EQ(main.nonScrollColour, 0x00C0C0C0u);
  EXPECT_EQ(info.lcid, (std::vector<std::uint16_t>{0x0409, 0, 0, 0}));
  EXPECT_EQ(info.charset, 0);
  ASSERT_EQ(info.others.size(), 2u);
  EXPECT_EQ(info.others[1].type, 77);

  Bytes cut = w.take();
  cut.resize(cut.size() - 1);  // the last record's data is one byte short
  EXPECT_THROW(SystemInfo::parse(cut), FormatError);
}

TEST(FontTable, DescriptorsAndBrokenOffsets) {
  ByteWriter w;
  w.u16(2);
  w.u16(1);
  w.u16(8);
  w.u16(8 + 2 * 20);
  w.fixedString("Arial", 20);
  w.fixedString("Courier New", 20);
  w.u8(0x03);
  w.u8(24);
  w.u8(1);
  w.u16(1);
  for (std::uint8_t c : {0x80, 0x00, 0x10, 0, 0, 0}) w.u8(c);
  const FontTable t = FontTable::parse(w.data());
  EXPECT_EQ(t.faceNames, (std::vector<std::string>{"Arial", "Courier New"}));
  ASSERT_EQ(t.descriptors.size(), 1u);
  EXPECT_EQ(t.descriptors[0].halfPoints, 24);
  EXPECT_EQ(t.descriptors[0].faceIndex, 1);
  EXPECT_EQ(t.descriptors[0].foreground[2], 0x10);

  Bytes backwards = w.data();
  backwards[6] = 2;  // descriptors before the names
  EXPECT_THROW(FontTable::parse(backwards), FormatError);
  Bytes many = w.data();
  many[2] = 0xFF;  // 255 descriptors, one present
  EXPECT_THROW(FontTable::parse(many), FormatError);
}

TEST(TopicReader, RendersFormattingCommandsAsMarkers) {
  ByteWriter cmd;
  cmd.u8(0x80);  // font 2
  cmd.u16(2);
  cmd.u8(0xE3);  // jump by hash
  cmd.i32(helpHash("target_topic"));
  cmd.u8(0x89);
  cmd.u8(0x81);  // line break
  cmd.u8(0x83);  // tab
  cmd.u8(0xC8);  // macro hotspot
  cmd.u16(8);
  cmd.bytes(textz("About()"));
  cmd.u8(0x89);
  cmd.u8(0x86);  // centred picture |bm3
  cmd.u8(0x03);
  cmd.compressedI32(4);
  cmd.i16(0);
  cmd.i16(3);
  cmd.u8(0xEE);  // popup into another file and window
  cmd.u16(1 + 4 + 4 + 5);
  cmd.u8(6);
  cmd.i32(helpHash("x"));
  cmd.bytes(textz("win"));
  cmd.bytes(textz("f.hl"));
  cmd.u8(0x89);
  cmd.u8(0x82);  // end of paragraph
  cmd.u8(0xFF);
  const Bytes strings = [] {
    Bytes s;
    for (const char* part : {"Go ", "", "there", "", "", "", "Run", "", "", "<pop>", "", "tail\\"}) {
      const Bytes p = textz(part);
      s.insert(s.end(), p.begin(), p.end());
    }
    return s;
  }();
  // Left indent 5 and a right-aligned tab stop at 100.
  ByteWriter fields;
  fields.compressedI16(5);
  fields.compressedI16(1);
  fields.compressedU16(100 | 0x4000);
  fields.compressedU16(1);
  const std::vector<Record> records = {
      {2, topicHeaderData(0), textz("First topic")},
      {0x20, textRecordData(40, cmd.data(), 0x0010 | 0x0200 | 0x0800, fields.data()), strings}};
  std::map<std::int32_t, std::string> names = {{helpHash("target_topic"), "target_topic"}};
  for (bool packed : {false, true}) {
    TopicList list = TopicList::read(topicFile(topicStream(records, packed), packed), system(packed ? 4 : 0),
                                     PhraseTable(), names);
    ASSERT_EQ(list.topics.size(), 1u) << packed;
    EXPECT_TRUE(list.problems.empty()) << list.problems.front();
    const Topic& t = list.topics[0];
    EXPECT_EQ(t.title, "First topic");
    ASSERT_EQ(t.lines.size(), 3u);
    EXPECT_EQ(t.lines[0], "  text: li=5 tabs=100r center");
    EXPECT_EQ(t.lines[1], "    | Go <font 2><jump " + hashText("target_topic") +
                              " target_topic>there</hot><br><tab><macro \"About()\">Run</hot>"
                              "<bmc |bm3><popup-invisible-ext " + hashText("x") +
                              " window \"win\" file \"f.hl\">\\<pop></hot>");
    EXPECT_EQ(t.lines[2], "    | tail\\\\");
    EXPECT_EQ(list.pictures, std::set<std::uint16_t>{3});
  }
}

TEST(HelpDumper, PackedAndPlainBuildsDumpAlikeWithoutOffsets) {
  // Enough topics that packing moves them to other positions.
  std::vector<Record> records;
  for (std::uint32_t i = 0; i < 40; ++i) {
    records.push_back({2, topicHeaderData(i), textz("Topic " + std::to_string(i))});
    records.push_back({0x20, textRecordData(30, Bytes{0x82, 0xFF}),
                       [&] { Bytes b = textz("Some repeated text, some repeated text " + std::to_string(i)); b.push_back(0); return b; }()});
  }
  auto dump = [&](bool packed, bool offsets) {
    const Bytes stream = topicStream(records, packed);
    const HelpFile hf = HelpFile::fromBytes(testing::buildHelpFile(
        {{"|SYSTEM", testing::buildSystem("T", packed ? 4 : 0)}, {"|TOPIC", topicFile(stream, packed)}}));
    DumpOptions options;
    options.topics = true;
    options.noOffsets = !offsets;
    std::ostringstream out;
    EXPECT_EQ(HelpDumper(hf, options).dump(out), 0) << out.str();
    return out.str();
  };
  EXPECT_EQ(dump(true, false), dump(false, false));
  EXPECT_NE(dump(true, true), dump(false, true));
  EXPECT_NE(dump(true, false).find("    | Some repeated text, some repeated text 39"), std::string::npos);
}

TEST(TopicReader, TablesAndTopicOffsetsFollowTextLengths) {
  ByteWriter table;
  table.compressedI32(0);
  table.compressedU16(7);
  table.u8(2);  // columns
  table.u8(0);  // variable width
  table.i16(300);
  for (std::int16_t v : {10, 100, 20, 200}) table.i16(v);
  for (std::int16_t column : {0, 1}) {
    table.i16(column);
    table.zeros(3);
    table.u8(0);
    table.u8(0x80);
    table.u16(0);
    table.u16(0);
    table.u8(0x82);
    table.u8(0xFF);
  }
  table.i16(-1);
  const std::vector<Record> records = {
      {2, topicHeaderData(0), textz("One")},
      {0x23, table.data(), [] { Bytes b = textz("A1"); b.push_back(0); Bytes c = textz("B1"); b.insert(b.end(), c.begin(), c.end()); b.push_back(0); return b; }()},
      {2, topicHeaderData(1), textz("Two")},
  };
  TopicList list = TopicList::read(topicFile(topicStream(records), false), system(0), PhraseTable(), {});
  ASSERT_EQ(list.topics.size(), 2u);
  EXPECT_TRUE(list.problems.empty());
  const auto& lines = list.topics[0].lines;
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "  table: 2 columns, type 0, min width 300, gap/width 10/100 20/200");
  EXPECT_EQ(lines[1], "   cell 0:");
  EXPECT_EQ(lines[2], "    | A1");
  EXPECT_EQ(lines[4], "    | B1");
  // Topic offsets count the text of the records before them in the block.
  EXPECT_EQ(list.topics[1].offset, 7u);
  EXPECT_EQ(list.topicAt(8), &list.topics[1]);
  EXPECT_EQ(list.topicAt(6), &list.topics[0]);
}

TEST(TopicReader, MarksTheNonScrollingRegion) {
  // Header at 12 (21 + 28 + 2 bytes), then two one-paragraph records.
  const std::uint32_t first = 12 + 21 + 28 + 2;
  const std::uint32_t second = first + 21 + static_cast<std::uint32_t>(textRecordData(1, Bytes{0xFF}).size()) + 2;
  const std::vector<Record> records = {
      {2, topicHeaderData(0, first, second), textz("T")},
      {0x20, textRecordData(1, Bytes{0xFF}), textz("a")},
      {0x20, textRecordData(1, Bytes{0xFF}), textz("b")},
  };
  TopicList list = TopicList::read(topicFile(topicStream(records), false), system(0), PhraseTable(), {});
  ASSERT_EQ(list.topics.size(), 1u);
  EXPECT_EQ(list.topics[0].lines,
            (std::vector<std::string>{"  [non-scrolling region]", "  text:", "    | a", "  [scrolling region]",
                                      "  text:", "    | b"}));
}

TEST(TopicReader, DamagedRecordsAreReportedAndReadingGoesOn) {
  const std::vector<Record> records = {
      {2, topicHeaderData(0), textz("One")},
      {0x20, textRecordData(1, Bytes{0x7A, 0xFF}), textz("x")},   // unknown command
      {0x20, textRecordData(1, Bytes{0x80}), textz("y")},         // command cut short
      {0x20, textRecordData(1, Bytes{0xFF}), textz("kept")},
  };
  TopicList list = TopicList::read(topicFile(topicStream(records), false), system(0), PhraseTable(), {});
  ASSERT_EQ(list.topics.size(), 1u);
  EXPECT_EQ(list.problems.size(), 2u);
  EXPECT_EQ(list.topics[0].lines.back(), "    | kept");

  // A chain that points back at itself stops with a message.
  Bytes looped = topicStream({{2, topicHeaderData(0), textz("One")}});
  looped[12] = 12;
  looped[13] = looped[14] = looped[15] = 0;
  TopicList loop = TopicList::read(topicFile(looped, false), system(0), PhraseTable(), {});
  EXPECT_EQ(loop.topics.size(), 1u);
  ASSERT_EQ(loop.problems.size(), 1u);
  EXPECT_NE(loop.problems[0].find("loops"), std::string::npos);

  // Sizes that point past the data.
  Bytes huge = topicStream({{2, topicHeaderData(0), textz("One")}});
  huge[0] = huge[1] = huge[2] = 0x7F;
  TopicList bad = TopicList::read(topicFile(huge, false), system(0), PhraseTable(), {});
  EXPECT_TRUE(bad.topics.empty());
  EXPECT_EQ(bad.problems.size(), 1u);
}

// |Phrases of version 1.21: the phrase text packed with LZ77.
Bytes classicPhrases(const std::vector<std::string>& phrases) {
  std::string all;
  ByteWriter w;
  w.u16(static_cast<std::uint16_t>(phrases.size()));
  w.u16(0x0100);
  for (const auto& p : phrases) all += p;
  w.u32(static_cast<std::uint32_t>(all.size()));
  std::uint16_t offset = static_cast<std::uint16_t>(2 * (phrases.size() + 1));
  w.u16(offset);
  for (const auto& p : phrases) w.u16(offset = static_cast<std::uint16_t>(offset + p.size()));
  w.bytes(lz77Compress(text(all)));
  return w.take();
}

TEST(PhraseTable, ClassicPhrasesExpandWithTrailingSpaces) {
  const PhraseTable t = PhraseTable::fromPhrases(classicPhrases({"hello", "abc"}), 21);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t.phrase(1), "abc");
  std::size_t bad = 0;
  const Bytes in = {0x01, 0x00, 'x', 0x01, 0x03, 0x0F, 0xFE, '!'};
  EXPECT_EQ(t.expand(in, 100, &bad), "helloxabc !");
  EXPECT_EQ(bad, 1u);
  EXPECT_EQ(t.expand(in, 4).size(), 4u);

  Bytes broken = classicPhrases({"hello", "abc"});
  broken[12] = 0xF0;  // second end offset far past the text
  EXPECT_THROW(PhraseTable::fromPhrases(broken, 21), FormatError);
}

// |PhrIndex with 4-bit lengths: per phrase, one 1 bit per 16 bytes of
// length-1, a 0, then the low four bits of length-1.
Bytes hallIndex(const std::vector<std::string>& phrases, std::uint32_t imageSize) {
  std::vector<bool> bits;
  for (const auto& p : phrases) {
    const std::size_t n = p.size() - 1;
    for (std::size_t i = 0; i < n / 16; ++i) bits.push_back(true);
    bits.push_back(false);
    for (int b = 0; b < 4; ++b) bits.push_back((n >> b) & 1);
  }
  ByteWriter w;
  w.u32(1);
  w.u32(static_cast<std::uint32_t>(phrases.size()));
  w.u32(0);
  w.u32(imageSize);
  w.u32(imageSize);
  w.u32(0);
  w.u16(4);
  w.u16(0x4A00);
  Bytes packed((bits.size() + 31) / 32 * 4, 0);
  for (std::size_t i = 0; i < bits.size(); ++i) {
    if (bits[i]) packed[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  }
  w.bytes(packed);
  return w.take();
}

TEST(PhraseTable, HallCodesExpandPhrasesLiteralsSpacesAndNuls) {
  const std::string longPhrase = "a phrase longer than sixteen bytes";
  const PhraseTable t = PhraseTable::fromHall(hallIndex({"the", "window", longPhrase}, 43),
                                              text("thewindow" + longPhrase));
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t.phrase(2), longPhrase);
  const Bytes in = {0x00, 0x17, 0x02, (2 - 1) * 8 + 3, 'o', 'k', 0x0F, 0x04};
  std::size_t bad = 0;
  const std::string out = t.expand(in, 200, &bad);
  EXPECT_EQ(out, std::string("the  windowok") + '\0' + longPhrase);
  EXPECT_EQ(bad, 0u);
  EXPECT_EQ(t.expand(Bytes{0x01, 0x00}, 200, &bad), "");
  EXPECT_EQ(bad, 1u);

  EXPECT_THROW(PhraseTable::fromHall(hallIndex({"the"}, 2), text("th")), FormatError);
  Bytes greedy = hallIndex({"the"}, 3);
  greedy[4] = 0xFF;  // claims far more phrases than its bits can describe
  greedy[5] = 0xFF;
  EXPECT_THROW(PhraseTable::fromHall(greedy, text("the")), FormatError);
}

TEST(Picture, DecodesEveryDepthAndPacking) {
  // 24 bits, 2x2: rows stored bottom-up, padded to 4 bytes.
  testing::TestBitmap rgb;
  rgb.bitCount = 24;
  rgb.width = rgb.height = 2;
  rgb.packedBits = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0,   // bottom: red, green
                    0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0};  // top: blue, white
  Picture p = Picture::parse(testing::buildPicture(rgb), "rgb");
  ASSERT_EQ(p.images.size(), 1u);
  EXPECT_EQ(p.images[0].pixels, (std::vector<std::uint32_t>{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}));

  // 1 bit, 3x2, two colours.
  testing::TestBitmap mono;
  mono.bitCount = 1;
  mono.width = 3;
  mono.height = 2;
  mono.palette = {0x102030, 0xA0B0C0};
  mono.packedBits = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};
  p = Picture::parse(testing::buildPicture(mono), "mono");
  EXPECT_EQ(p.images[0].pixels, (std::vector<std::uint32_t>{0x102030, 0xA0B0C0, 0x102030,
                                                             0xA0B0C0, 0x102030, 0xA0B0C0}));

  // 4 bits, run-length packed: 8x1 of colour 1 then colour 2.
  testing::TestBitmap nibbles;
  nibbles.bitCount = 4;
  nibbles.width = 8;
  nibbles.height = 1;
  nibbles.packing = 1;
  nibbles.palette.assign(16, 0);
  nibbles.palette[1] = 0x111111;
  nibbles.palette[2] = 0x222222;
  nibbles.packedBits = {0x04, 0x12};
  p = Picture::parse(testing::buildPicture(nibbles), "rle");
  EXPECT_EQ(p.images[0].pixels, (std::vector<std::uint32_t>{0x111111, 0x222222, 0x111111, 0x222222,
                                                             0x111111, 0x222222, 0x111111, 0x222222}));

  // 8 bits, LZ77 and LZ77 over run-length: 16x2 of a gradient.
  Bytes raw;
  for (int i = 0; i < 32; ++i) raw.push_back(static_cast<std::uint8_t>(i % 4));
  testing::TestBitmap bytes8;
  bytes8.bitCount = 8;
  bytes8.width = 16;
  bytes8.height = 2;
  bytes8.palette = {0x000000, 0x404040, 0x808080, 0xC0C0C0};
  bytes8.packing = 2;
  bytes8.packedBits = lz77Compress(raw);
  const std::vector<std::uint32_t> expected8 = [&] {
    std::vector<std::uint32_t> v;
    for (int row = 1; row >= 0; --row) {
      for (int x = 0; x < 16; ++x) v.push_back(bytes8.palette[raw[static_cast<std::size_t>(row * 16 + x)]]);
    }
    return v;
  }();
  EXPECT_EQ(Picture::parse(testing::buildPicture(bytes8), "lz77").images[0].pixels, expected8);
  bytes8.packing = 3;
  Bytes runs = {0x80 | 32};
  runs.insert(runs.end(), raw.begin(), raw.end());
  bytes8.packedBits = lz77Compress(runs);
  EXPECT_EQ(Picture::parse(testing::buildPicture(bytes8), "both").images[0].pixels, expected8);
}

TEST(Picture, HostileHeadersAreRefused) {
  testing::TestBitmap big;
  big.bitCount = 24;
  big.width = 0x7FFFFFF;
  big.height = 0x7FFFFFF;
  EXPECT_THROW(Picture::parse(testing::buildPicture(big), "big"), FormatError);
  big.width = 0x40000000;
  big.height = 0;
  EXPECT_THROW(Picture::parse(testing::buildPicture(big), "wide"), FormatError);
  testing::TestBitmap odd;
  odd.bitCount = 7;
  odd.width = odd.height = 1;
  EXPECT_THROW(Picture::parse(testing::buildPicture(odd), "odd"), FormatError);
  testing::TestBitmap shortData;
  shortData.bitCount = 24;
  shortData.width = shortData.height = 1;
  shortData.packedBits = {1, 2, 3, 4};
  Bytes file = testing::buildPicture(shortData);
  file.resize(file.size() - 3);  // the packed bytes now run past the end
  EXPECT_THROW(Picture::parse(file, "short"), FormatError);
  EXPECT_THROW(Picture::parse(Bytes{0x6C, 0x50, 0x05, 0x00}, "count"), FormatError);
}

TEST(Picture, BmpAndPpmWritersKeepPixels) {
  PictureImage img;
  img.width = 3;
  img.height = 2;
  img.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x010203, 0x040506, 0x070809};
  std::ostringstream bmp;
  ASSERT_TRUE(writeBmp(img, bmp));
  const std::string b = bmp.str();
  ASSERT_EQ(b.size(), 54u + 2 * 12);
  EXPECT_EQ(b.substr(0, 2), "BM");
  // Bottom row first, blue-green-red order.
  EXPECT_EQ(static_cast<unsigned char>(b[54]), 0x03);
  EXPECT_EQ(static_cast<unsigned char>(b[56]), 0x01);
  EXPECT_EQ(static_cast<unsigned char>(b[54 + 12 + 2]), 0xFF);
  std::ostringstream ppm;
  ASSERT_TRUE(writePpm(img, ppm));
  EXPECT_EQ(ppm.str().substr(0, 11), "P6\n3 2\n255\n");
  EXPECT_EQ(static_cast<unsigned char>(ppm.str()[11]), 0xFF);
}

TEST(HelpDumper, PictureFileNamesCannotLeaveTheFolder) {
  testing::TestBitmap one;
  one.bitCount = 24;
  one.width = one.height = 1;
  one.packedBits = {1, 2, 3, 0};
  const Bytes bytes = testing::buildHelpFile({{"|bm/../../escape", testing::buildPicture(one)}});
  const std::string dir = ::testing::TempDir() + "hlpdump-names";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  DumpOptions options;
  options.pictures = true;
  options.pictureDir = dir;
  std::ostringstream out;
  HelpFile hf = HelpFile::fromBytes(bytes);
  EXPECT_EQ(HelpDumper(hf, options).dump(out), 0) << out.str();
  std::vector<std::string> written;
  for (const auto& e : std::filesystem::directory_iterator(dir)) written.push_back(e.path().filename());
  EXPECT_EQ(written, std::vector<std::string>{"bm_______escape-0.bmp"});
}

}  // namespace
}  // namespace hcrtf::dump
