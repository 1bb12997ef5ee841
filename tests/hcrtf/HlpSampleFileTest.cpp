// The reader against a help file written by the original compiler (LZ77
// topics, a phrase table, bitmaps), its internal files checked against each
// other, and damaged copies of it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>

#include "hcrtf/common/FormatError.h"
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

// Damaged copies: cut short at many lengths, or with bytes overwritten at
// random. The reader must neither crash nor throw anything but FormatError;
// under the sanitizers this also catches reads out of bounds.
TEST_F(SampleHelpFile, DamagedCopiesNeverCrash) {
  std::ifstream in(kSample, std::ios::binary);
  const std::vector<std::uint8_t> original((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
  auto dumpCopy = [](std::vector<std::uint8_t> bytes) {
    try {
      HelpFile hf = HelpFile::fromBytes(std::move(bytes));
      std::ostringstream out;
      HelpDumper(hf, DumpOptions()).dump(out);
    } catch (const FormatError&) {
    }
  };
  for (std::size_t len = 0; len < original.size(); len += 997) {
    dumpCopy(std::vector<std::uint8_t>(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(len)));
  }
  std::mt19937 rng(20261207);
  for (int round = 0; round < 150; ++round) {
    std::vector<std::uint8_t> copy = original;
    const int changes = 1 + static_cast<int>(rng() % 8);
    for (int c = 0; c < changes; ++c) copy[rng() % copy.size()] = static_cast<std::uint8_t>(rng());
    dumpCopy(std::move(copy));
  }
  SUCCEED();
}

}  // namespace
}  // namespace hcrtf::dump
