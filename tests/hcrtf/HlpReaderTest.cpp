// The .hlp reader against hand-built files: the container, |TOPIC records
// and their markers, phrase tables and pictures, and damaged input.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "HlpTestFiles.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/common/Lz77Compressor.h"
#include "hcrtf/compiler/FontTable.h"
#include "hcrtf/compiler/IndexFiles.h"
#include "hcrtf/dump/BTree.h"
#include "hcrtf/dump/HelpDumper.h"
#include "hcrtf/dump/FontTable.h"
#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/IndexFiles.h"
#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/TextEscape.h"
#include "hcrtf/dump/Picture.h"
#include "hcrtf/dump/TopicReader.h"

#include "../support/TempDirectory.h"

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
  const Bytes bytes = testing::buildHelpFile({{"|A", text("1")}});
  const std::size_t directory = HelpFile::fromBytes(bytes).directoryStart() + kInternalFileHeaderSize;
  Bytes wrong = bytes;
  wrong[0] ^= 1;
  EXPECT_THROW(HelpFile::fromBytes(wrong), FormatError);
  EXPECT_THROW(HelpFile::fromBytes(Bytes(bytes.begin(), bytes.begin() + 30)), FormatError);
  EXPECT_THROW(HelpFile::fromBytes({}), FormatError);
  // The directory's only page, a leaf, naming itself as the next page.
  Bytes loop = bytes;
  const std::size_t leaf = directory + kBTreeHeaderSize;
  loop[leaf + 6] = 0;
  loop[leaf + 7] = 0;
  EXPECT_THROW(HelpFile::fromBytes(loop), FormatError);
  // A root page number beyond the page count.
  Bytes root = bytes;
  root[directory + 26] = 7;
  EXPECT_THROW(HelpFile::fromBytes(root), FormatError);
}

// A |CONTEXT tree of hash -> offset entries in pages of `pageSize` bytes.
Bytes contextTree(const std::vector<ContextEntry>& entries, std::uint16_t pageSize) {
  std::vector<compiler::BTreeEntry> tree;
  for (const ContextEntry& e : entries) {
    ByteWriter leaf;
    leaf.i32(e.hash);
    leaf.u32(e.offset);
    ByteWriter key;
    key.i32(e.hash);
    tree.push_back({leaf.take(), key.take()});
  }
  return testing::buildTree(tree, kContextLayout, pageSize);
}

TEST(BTree, WalksIndexPagesDownToTheLeafChain) {
  std::vector<ContextEntry> entries;
  for (std::int32_t i = 0; i < 300; ++i) entries.push_back({i * 37 - 5000, static_cast<std::uint32_t>(i) * 16});
  // Pages of 64 bytes hold 7 entries of a leaf or 10 children of an index
  // page: three levels. The entries come back whatever the depth.
  for (std::uint16_t pageSize : {64, 256, 4096}) {
    const Bytes bytes = contextTree(entries, pageSize);
    EXPECT_EQ(BTree(bytes, "|CONTEXT").header().levels, pageSize == 64 ? 3 : pageSize == 256 ? 2 : 1);
    const auto read = readContext(bytes);
    ASSERT_EQ(read.size(), entries.size()) << pageSize;
    for (std::size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].hash, entries[i].hash) << pageSize << " " << i;
      EXPECT_EQ(read[i].offset, entries[i].offset) << pageSize << " " << i;
    }
  }

  const Bytes small = contextTree(entries, 64);
  Bytes tooMany = small;
  tooMany[kBTreeHeaderSize + 2] = 9;  // the first leaf claims 9 entries: they run off its page
  EXPECT_THROW(readContext(tooMany), FormatError);
  Bytes pagesMissing = small;
  pagesMissing.resize(small.size() - 64);  // the header still counts the root page
  EXPECT_THROW(readContext(pagesMissing), FormatError);
}

TEST(Keywords, OffsetsComeFromTheDataFileAndCannotBeClaimedTwice) {
  // The compiler's keyword files read back: one entry per keyword in any
  // case, each topic once.
  const compiler::KeywordFiles files = compiler::buildKeywordFiles(
      {{"beta", 0x30}, {"alpha", 0x10}, {"Alpha", 0x20}, {"ALPHA", 0x20}});
  const auto built = readKeywords(files.btree, files.data, "|KWBTREE");
  ASSERT_EQ(built.size(), 2u);
  EXPECT_EQ(built[0].keyword, "alpha");
  EXPECT_EQ(built[0].offsets, (std::vector<std::uint32_t>{0x10, 0x20}));
  EXPECT_EQ(built[1].keyword, "beta");
  EXPECT_EQ(built[1].offsets, std::vector<std::uint32_t>{0x30});

  // Leaves that claim more of |KWDATA than it holds.
  auto tree = [](std::int16_t firstCount, std::uint32_t secondAt) {
    std::vector<compiler::BTreeEntry> entries;
    for (const auto& [word, count, at] : {std::tuple{"alpha", firstCount, 0u}, std::tuple{"beta", std::int16_t{1}, secondAt}}) {
      ByteWriter leaf;
      leaf.cString(word);
      leaf.i16(count);
      leaf.u32(at);
      ByteWriter key;
      key.cString(word);
      entries.push_back({leaf.take(), key.take()});
    }
    return testing::buildTree(entries, kKeywordLayout);
  };
  ByteWriter data;
  for (std::uint32_t o : {0x10u, 0x20u, 0x30u}) data.u32(o);
  ASSERT_EQ(readKeywords(tree(2, 8), data.data(), "|KWBTREE").size(), 2u);
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
  // Window records as the compiler writes them: every value given comes
  // back, and the flags say which were given.
  compiler::WindowDef full;
  full.name = "main";
  full.caption = "A caption";
  full.x = 10;
  full.y = 20;
  full.width = 800;
  full.height = 900;
  full.maximize = true;
  full.scrollingRgb = 0x00FFFFC0;
  full.nonScrollingRgb = 0x00C0C0C0;
  compiler::WindowDef bare;
  bare.name = "second";
  record(6, compiler::windowRecord(full));
  record(6, compiler::windowRecord(bare));
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
  ASSERT_EQ(info.windows.size(), 2u);
  const WindowRecord& main = info.windows[0];
  EXPECT_EQ(main.type, "main");
  EXPECT_EQ(main.name, full.name);
  EXPECT_EQ(main.caption, full.caption);
  EXPECT_EQ(main.x, *full.x);
  EXPECT_EQ(main.y, *full.y);
  EXPECT_EQ(main.width, *full.width);
  EXPECT_EQ(main.height, *full.height);
  EXPECT_EQ(main.maximize, 1);
  EXPECT_EQ(main.scrollColour, *full.scrollingRgb);
  EXPECT_EQ(main.nonScrollColour, *full.nonScrollingRgb);
  const std::uint16_t optional = kWindowHasCaption | kWindowHasX | kWindowHasY | kWindowHasWidth | kWindowHasHeight |
                                 kWindowHasMaximize | kWindowHasScrollingColour | kWindowHasNonScrollingColour;
  EXPECT_EQ(main.flags & optional, optional);
  const WindowRecord& second = info.windows[1];
  EXPECT_EQ(second.type, "secondary");
  EXPECT_EQ(second.name, bare.name);
  EXPECT_EQ(second.flags & optional, 0);
  EXPECT_EQ(second.flags & (kWindowHasType | kWindowHasName), kWindowHasType | kWindowHasName);
  EXPECT_EQ(info.lcid, (std::vector<std::uint16_t>{0x0409, 0, 0, 0}));
  EXPECT_EQ(info.charset, 0);
  ASSERT_EQ(info.others.size(), 2u);
  EXPECT_EQ(info.others[1].type, 77);

  Bytes cut = w.take();
  cut.resize(cut.size() - 1);  // the last record's data is one byte short
  EXPECT_THROW(SystemInfo::parse(cut), FormatError);
}

// The compiler's fonts read back: faces once each in order of first use, and
// every descriptor with its face, size, family, attributes and colour.
TEST(FontTable, CompiledFontsReadBackAndBrokenOffsetsAreRefused) {
  std::vector<compiler::FontSpec> specs(3);
  specs[1].face = "Courier New";
  specs[1].family = 1;
  specs[1].halfPoints = 20;
  specs[1].bold = specs[1].underline = true;
  specs[1].rgb = 0x00102030;
  specs[2].halfPoints = 36;
  specs[2].italic = specs[2].strikeout = specs[2].doubleUnderline = specs[2].smallCaps = true;
  compiler::FontTable fonts;
  for (std::size_t i = 0; i < specs.size(); ++i) EXPECT_EQ(fonts.intern(specs[i]), i);
  const Bytes bytes = fonts.serialize();
  const FontTable t = FontTable::parse(bytes);
  EXPECT_EQ(t.faceNames, (std::vector<std::string>{"Arial", "Courier New"}));
  ASSERT_TRUE(t.descriptorsRead);
  ASSERT_EQ(t.descriptors.size(), specs.size());
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const FontDescriptor& d = t.descriptors[i];
    const compiler::FontSpec& s = specs[i];
    EXPECT_EQ(t.faceNames.at(d.faceIndex), s.face) << i;
    EXPECT_EQ(d.halfPoints, s.halfPoints) << i;
    EXPECT_EQ(d.family, s.family) << i;
    const std::pair<std::uint8_t, bool> attributes[] = {
        {kFontBold, s.bold}, {kFontItalic, s.italic}, {kFontUnderline, s.underline},
        {kFontStrikeout, s.strikeout}, {kFontDoubleUnderline, s.doubleUnderline}, {kFontSmallCaps, s.smallCaps}};
    for (const auto& [bit, set] : attributes) EXPECT_EQ((d.attributes & bit) != 0, set) << i << " " << int{bit};
    EXPECT_EQ(d.foreground[0], s.rgb & 0xFF) << i;
    EXPECT_EQ(d.foreground[1], (s.rgb >> 8) & 0xFF) << i;
    EXPECT_EQ(d.foreground[2], (s.rgb >> 16) & 0xFF) << i;
  }

  Bytes backwards = bytes;
  backwards[6] = 2;  // descriptors before the names
  backwards[7] = 0;
  EXPECT_THROW(FontTable::parse(backwards), FormatError);
  Bytes many = bytes;
  many[2] = 0xFF;  // 255 descriptors, three present
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
  const TempDirectory temp;
  const std::string dir = temp.path().string();
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
