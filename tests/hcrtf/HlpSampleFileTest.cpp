// The reader against a help file written by the original compiler (LZ77
// topics, a phrase table, bitmaps), its internal files checked against each
// other, and damaged copies of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>

#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/dump/FontTable.h"
#include "hcrtf/dump/HelpDumper.h"
#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/IndexFiles.h"
#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/Picture.h"
#include "hcrtf/dump/SystemInfo.h"
#include "hcrtf/dump/TopicReader.h"

namespace hcrtf::dump {
namespace {

const std::string kSample = std::string(HCRTF_TESTDATA_DIR) + "/winfile.hlp";

class SampleHelpFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kSample)) GTEST_SKIP() << kSample << " is not there";
    file_.emplace(HelpFile::load(kSample));
    system_ = SystemInfo::parse(*file_->file("|SYSTEM"));
    phrases_ = PhraseTable::fromPhrases(*file_->file("|Phrases"), system_.minor);
    topics_ = TopicList::read(*file_->file("|TOPIC"), system_, phrases_, {});
  }

  // Every offset must be where a topic's text starts: what |CONTEXT, the
  // keywords and [MAP] point at. -1 stands for "no topic" (a [MAP] number or
  // keyword whose topic was never written).
  void expectTopicStart(std::uint32_t offset) {
    if (offset == 0xFFFFFFFF) return;
    const Topic* t = topics_.topicAt(offset);
    ASSERT_NE(t, nullptr) << offset;
    EXPECT_EQ(t->textOffset, offset);
  }

  std::optional<HelpFile> file_;
  SystemInfo system_;
  PhraseTable phrases_;
  TopicList topics_;
};

TEST_F(SampleHelpFile, HeaderSystemAndFonts) {
  EXPECT_EQ(file_->files().size(), 21u);
  EXPECT_TRUE(file_->problems().empty());
  EXPECT_EQ(file_->declaredSize(), file_->actualSize());
  EXPECT_EQ(system_.minor, 21);
  EXPECT_TRUE(system_.topicsCompressed());
  EXPECT_EQ(system_.title, "File Manager Help");
  ASSERT_EQ(system_.macros.size(), 1u);
  EXPECT_EQ(system_.macros[0].rfind("CreateButton(", 0), 0u);
  EXPECT_EQ(phrases_.scheme(), PhraseTable::Scheme::Classic);
  EXPECT_EQ(phrases_.size(), 661u);
  // Face names in the 20-byte slots of WinHelp 3.1 files.
  const FontTable fonts = FontTable::parse(*file_->file("|FONT"));
  ASSERT_GE(fonts.faceNames.size(), 4u);
  EXPECT_EQ(fonts.faceNames[0], "Helv");
  EXPECT_EQ(fonts.faceNames[3], "Arial");
  EXPECT_TRUE(fonts.descriptorsRead);
}

TEST_F(SampleHelpFile, TopicsReadWholeWithPhrasesExpanded) {
  EXPECT_TRUE(topics_.problems.empty()) << topics_.problems.front();
  ASSERT_EQ(topics_.topics.size(), 170u);
  EXPECT_EQ(topics_.topics[0].title, "Contents for File Manager Help");
  EXPECT_EQ(topics_.topics[1].title, "Changing Display Options");
  bool found = false;
  for (const std::string& line : topics_.topics[1].lines) {
    found = found || line.find("For help on changing File Manager display options, choose one of "
                               "the following tasks:") != std::string::npos;
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(topics_.pictures.size(), 11u);
}

TEST_F(SampleHelpFile, IndexFilesAgreeWithTheTopics) {
  const auto titles = readTitles(*file_->file("|TTLBTREE"));
  ASSERT_EQ(titles.size(), topics_.topics.size());
  for (std::size_t i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(titles[i].offset, topics_.topics[i].offset) << i;
    EXPECT_EQ(titles[i].title, topics_.topics[i].title) << i;
  }

  const auto context = readContext(*file_->file("|CONTEXT"));
  EXPECT_EQ(context.size(), 167u);
  for (std::size_t i = 0; i < context.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(context[i - 1].hash, context[i].hash);
    }
    expectTopicStart(context[i].offset);
  }

  const auto keywords = readKeywords(*file_->file("|KWBTREE"), *file_->file("|KWDATA"), "|KWBTREE");
  EXPECT_FALSE(keywords.empty());
  std::size_t references = 0;
  for (const KeywordEntry& k : keywords) {
    for (std::uint32_t o : k.offsets) expectTopicStart(o);
    references += k.offsets.size();
  }
  EXPECT_EQ(references * 4, file_->file("|KWDATA")->size());

  for (const MapEntry& m : readContextMap(*file_->file("|CTXOMAP"))) expectTopicStart(m.offset);
}

TEST_F(SampleHelpFile, PicturesDecode) {
  for (int n = 0; n <= 10; ++n) {
    const std::string name = "|bm" + std::to_string(n);
    ASSERT_TRUE(file_->file(name)) << name;
    Picture p = Picture::parse(*file_->file(name), name);
    ASSERT_EQ(p.images.size(), 1u);
    EXPECT_EQ(p.images[0].pixels.size(), std::size_t{p.images[0].width} * p.images[0].height);
  }
  // |bm0 (LZ77-packed, 1 bit): a 4x8 bullet, two light rows, four dark, two light.
  const PictureImage bullet = Picture::parse(*file_->file("|bm0"), "|bm0").images[0];
  ASSERT_EQ(bullet.width, 4u);
  ASSERT_EQ(bullet.height, 8u);
  for (std::uint32_t row = 0; row < 8; ++row) {
    const bool dark = row >= 2 && row < 6;
    for (std::uint32_t x = 0; x < 4; ++x) {
      EXPECT_EQ(bullet.pixels[row * 4 + x], dark ? 0x000000u : 0xFFFFFFu) << row << "," << x;
    }
  }
}

TEST_F(SampleHelpFile, DumpReportsNoErrors) {
  std::ostringstream out;
  HelpFile hf = HelpFile::load(kSample);
  EXPECT_EQ(HelpDumper(hf, DumpOptions()).dump(out), 0) << out.str();
  for (const char* section : {"[files]", "[system]", "[fonts]", "[topics]", "[titles]", "[context]",
                              "[keywords]", "[map]", "[pictures]"}) {
    EXPECT_NE(out.str().find(section), std::string::npos) << section;
  }
}

using Bytes = std::vector<std::uint8_t>;

Bytes sampleBytes() {
  std::ifstream in(kSample, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What hlpdump shows for a copy of a help file: nothing when the file is
// refused as a whole (FormatError), else the dump and its error count. The
// dump itself never throws: damage inside an internal file is an error line.
struct DumpOfCopy {
  bool refused = false;
  int errors = 0;
  std::string text;
};

DumpOfCopy dumpCopy(Bytes bytes) {
  DumpOfCopy result;
  std::optional<HelpFile> hf;
  try {
    hf.emplace(HelpFile::fromBytes(std::move(bytes)));
  } catch (const FormatError&) {
    result.refused = true;
    return result;
  }
  std::ostringstream out;
  EXPECT_NO_THROW(result.errors = HelpDumper(*hf, DumpOptions()).dump(out));
  result.text = out.str();
  return result;
}

void put(Bytes& bytes, std::size_t at, std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

// Damaged copies: cut short at many lengths, or with a field every reader
// checks (a magic number, the layout mark of |Phrases, an internal file's
// size) overwritten with random wrong values. Each copy must be reported:
// refused as a whole or with an error in its dump.
TEST_F(SampleHelpFile, DamagedCopiesAreReported) {
  const Bytes original = sampleBytes();
  for (std::size_t len = 0; len < original.size(); len += 997) {
    const DumpOfCopy d = dumpCopy(Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(len)));
    EXPECT_TRUE(d.refused || d.errors > 0) << "cut at " << len;
  }

  struct Field {
    std::string what;
    std::size_t at = 0;
    std::size_t size = 0;
    std::vector<std::uint32_t> valid;  // empty: any value past the end of the file
  };
  const std::size_t directory = file_->directoryStart();
  std::vector<Field> fields = {{"help file magic", 0, 4, {kHelpFileMagic}},
                               {"directory size", directory + 4, 4, {}},
                               {"directory magic", directory + kInternalFileHeaderSize, 2, {kBTreeMagic}}};
  for (const InternalFile& f : file_->files()) {
    const std::size_t content = f.offset + kInternalFileHeaderSize;
    fields.push_back({f.name + " size", f.offset + 4, 4, {}});
    if (f.name == "|SYSTEM") fields.push_back({f.name + " magic", content, 2, {kSystemMagic}});
    if (f.name == "|CONTEXT" || f.name == "|TTLBTREE" || f.name == "|KWBTREE") {
      fields.push_back({f.name + " magic", content, 2, {kBTreeMagic}});
    }
    if (f.name.rfind("|bm", 0) == 0) fields.push_back({f.name + " magic", content, 2, {kPictureMagic, kPictureMagicShg}});
    if (f.name == "|Phrases") fields.push_back({f.name + " layout", content + 2, 2, {kPhrasesLayout}});
  }
  // The file, its directory, every internal file, |SYSTEM, three trees,
  // eleven pictures and |Phrases.
  ASSERT_EQ(fields.size(), 3 + file_->files().size() + 1 + 3 + 11 + 1);

  std::mt19937 rng(20261207);
  for (const Field& field : fields) {
    for (int round = 0; round < 4; ++round) {
      const std::uint32_t limit = field.size == 2 ? 0x10000u : 0xFFFFFFFFu;
      std::uint32_t value = 0;
      do {
        value = field.valid.empty() ? static_cast<std::uint32_t>(original.size()) + rng() % (limit - original.size())
                                    : rng() % limit;
      } while (std::find(field.valid.begin(), field.valid.end(), value) != field.valid.end());
      Bytes copy = original;
      put(copy, field.at, value, field.size);
      const DumpOfCopy d = dumpCopy(std::move(copy));
      EXPECT_TRUE(d.refused || d.errors > 0) << field.what << " set to " << value;
    }
  }
}

// Bytes overwritten anywhere: most such damage (to text or pixels) cannot be
// told from content, but a copy that opens at all still gets every section
// of its dump, and under the sanitizers nothing is read out of bounds.
TEST_F(SampleHelpFile, DamageAnywhereLeavesEverySectionOfTheDump) {
  const Bytes original = sampleBytes();
  std::mt19937 rng(20261208);
  int opened = 0;
  for (int round = 0; round < 150; ++round) {
    Bytes copy = original;
    const int changes = 1 + static_cast<int>(rng() % 8);
    for (int c = 0; c < changes; ++c) copy[rng() % copy.size()] = static_cast<std::uint8_t>(rng());
    const DumpOfCopy d = dumpCopy(std::move(copy));
    if (d.refused) continue;
    ++opened;
    for (const char* section : {"[files]", "[system]", "[fonts]", "[topics]", "[titles]", "[context]",
                                "[keywords]", "[map]", "[pictures]"}) {
      EXPECT_NE(d.text.find(section), std::string::npos) << "round " << round << ": " << section;
    }
  }
  EXPECT_GT(opened, 100);
}

}  // namespace
}  // namespace hcrtf::dump
