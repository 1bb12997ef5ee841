// Phrase compression of topic text: the coder and dictionary read back with
// the reader's phrase table, the dictionary choice, COMPRESS levels, whole
// compilations compared with plain builds, and the viewer showing the text.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "../BmpTestFiles.h"
#include "CompilerTestSupport.h"
#include "hcrtf/compiler/Compiler.h"
#include "hcrtf/compiler/PhraseEncoder.h"
#include "hcrtf/compiler/PhraseSelector.h"
#include "hcrtf/compiler/ProjectReader.h"
#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/PhraseTable.h"
#include "../../support/ViewerTool.h"

namespace hcrtf::compiler {
namespace {

using namespace std::string_literals;
using hcrtf::testing::Bytes;
using dump::HelpFile;
using dump::PhraseTable;

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

PhraseTable readBack(const PhraseEncoder& encoder) {
  const Bytes index = encoder.indexFile();
  const Bytes image = encoder.imageFile();
  return PhraseTable::fromHall(index, image);
}

std::string roundTrip(const PhraseEncoder& encoder, const PhraseTable& table, const std::string& text) {
  const Bytes coded = encoder.encode(bytes(text));
  std::size_t bad = 0;
  const std::string back = table.expand(coded, text.size(), &bad);
  EXPECT_EQ(bad, 0u);
  return back;
}

TEST(PhraseEncoderTest, EveryByteValueAndRunLengthRoundTrips) {
  const PhraseEncoder encoder({"the ", "of the ", "help ", "file", "x"});
  const PhraseTable table = readBack(encoder);
  ASSERT_EQ(table.size(), 5u);

  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string mixed = "the help file of the help files";
  mixed += std::string(40, ' ') + "the" + std::string(35, '\0') + "of the" + std::string(17, ' ');
  mixed += "\x01\x02\x0F the \x80\xFF\xE9t\xE9 file\x00the\x00"s + std::string(100, 'q');
  const std::vector<std::string> texts = {
      "", "the", "the ", " ", std::string(1, '\0'), all, all + all, mixed, "xx x x", "file_the the_file",
      "thethe the", std::string(16, ' ') + std::string(16, '\0') + std::string(33, '-') + "help",
  };
  for (const std::string& text : texts) EXPECT_EQ(roundTrip(encoder, table, text), text) << text.size();

  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    std::string text;
    const std::string pieces[] = {"the ", "of ", "help", " ", std::string(1, '\0'), "\x05", "\xC4", "file ", "fi", "-"};
    for (int n = random() % 60; n > 0; --n) text += pieces[random() % 10];
    ASSERT_EQ(roundTrip(encoder, table, text), text) << i;
  }
}

TEST(PhraseEncoderTest, RepeatedTextShrinksAndPlainTextGrowsOnlyByItsRunHeaders) {
  const PhraseEncoder encoder({"compression ", "phrase "});
  const std::string repeated = "phrase compression phrase compression phrase compression ";
  EXPECT_LT(encoder.encode(bytes(repeated)).size(), repeated.size() / 4);
  const std::string unique = "Zebra quokka yak";
  EXPECT_EQ(encoder.encode(bytes(unique)).size(), unique.size() + 1);
  // Phrases match at word starts only; inside a word the text stays literal.
  EXPECT_EQ(encoder.encode(bytes("xphrase ")).size(), 9u);
}

TEST(PhraseEncoderTest, DictionaryOfEveryLengthAndTwoByteCodesReadsBack) {
  std::vector<std::string> phrases;
  for (std::size_t i = 0; i < 700; ++i) {
    std::string p = "w" + std::to_string(i);
    p.resize(1 + i % PhraseEncoder::kMaxPhraseLength, static_cast<char>('a' + i % 26));
    phrases.push_back(p);
  }
  phrases.push_back("w1");                                           // repeated: dropped
  phrases.push_back("");                                             // empty: dropped
  phrases.push_back(std::string(PhraseEncoder::kMaxPhraseLength + 1, 'z'));  // too long: dropped
  const PhraseEncoder encoder(phrases);
  const PhraseTable table = readBack(encoder);
  ASSERT_EQ(table.size(), encoder.phrases().size());
  for (std::size_t i = 0; i < table.size(); ++i) ASSERT_EQ(table.phrase(i), encoder.phrases()[i]) << i;
  EXPECT_EQ(std::count(encoder.phrases().begin(), encoder.phrases().end(), "w1"), 1);

  // A phrase past the first 128 takes two bytes, one of them one.
  const std::string& late = encoder.phrases().at(650);
  EXPECT_EQ(encoder.encode(bytes(late)).size(), 2u);
  EXPECT_EQ(encoder.encode(bytes(encoder.phrases().at(3))).size(), 1u);
  std::string text;
  for (std::size_t i = 0; i < encoder.phrases().size(); i += 7) text += encoder.phrases()[i] + " ";
  EXPECT_EQ(roundTrip(encoder, table, text), text);
}

TEST(PhraseEncoderTest, LargestDictionaryKeepsItsLimit) {
  std::vector<std::string> phrases;
  for (std::size_t i = 0; i < kMaxPhrases + 50; ++i) phrases.push_back("p" + std::to_string(i));
  const PhraseEncoder encoder(phrases);
  ASSERT_EQ(encoder.phrases().size(), kMaxPhrases);
  const PhraseTable table = readBack(encoder);
  const std::string last = encoder.phrases().back();
  EXPECT_EQ(encoder.encode(bytes(last)).size(), 2u);
  EXPECT_EQ(roundTrip(encoder, table, last + " p0 " + last), last + " p0 " + last);
}

TEST(PhraseSelectorTest, PicksRepeatedWordRunsMostUsedFirst) {
  std::vector<std::string> texts;
  for (int i = 0; i < 50; ++i) {
    texts.push_back("the quick brown fox jumps over the lazy dog " + std::to_string(i));
    texts.push_back("see the " + std::to_string(i) + " notes");
  }
  PhraseSelector selector;
  std::size_t total = 0;
  for (const auto& t : texts) {
    selector.add(std::span(reinterpret_cast<const std::uint8_t*>(t.data()), t.size()));
    total += t.size();
  }
  const PhraseEncoder encoder(selector.select(kMaxPhrases));
  ASSERT_FALSE(encoder.phrases().empty());
  std::vector<std::uint32_t> uses(encoder.phrases().size(), 0);
  std::size_t coded = 0;
  for (const auto& t : texts) coded += encoder.encode(bytes(t), &uses).size();
  EXPECT_LT(coded, total / 2);
  // Every phrase chosen is used, and the one-byte codes go to the most used.
  EXPECT_EQ(std::count(uses.begin(), uses.end(), 0u), 0);
  EXPECT_EQ(*std::max_element(uses.begin(), uses.end()), uses.front());
  EXPECT_TRUE(std::is_sorted(uses.begin(), uses.end(), std::greater<>()));
  const auto& p = encoder.phrases();
  EXPECT_EQ(std::find(p.begin(), p.end(), "49"), p.end());  // once is not worth a phrase
  EXPECT_LE(selector.select(2).size(), 2u);
}

TEST(PhraseSelectorTest, TextWithoutRepeatsGivesNoPhrases) {
  PhraseSelector selector;
  const std::string text = "alpha bravo charlie delta echo foxtrot golf hotel india juliet";
  selector.add(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  EXPECT_TRUE(selector.select(100).empty());
  EXPECT_TRUE(PhraseSelector().select(100).empty());
}

TEST(ProjectReaderTest, CompressLevelsPickPhrasesAndLz77) {
  struct Case {
    const char* value;
    bool lz77;
    bool phrases;
  };
  const Case cases[] = {{nullptr, true, true}, {"HIGH", true, true},  {"yes", true, true},   {"TRUE", true, true},
                        {"1", true, true},     {"MEDIUM", true, false}, {"8", true, false},  {"12 Hall Zeck", true, true},
                        {"4", false, true},    {"2", false, true},    {"0", false, false},  {"LOW", false, false},
                        {"No", false, false},  {"false", false, false}, {"", false, false}};
  for (const Case& c : cases) {
    TempDirectory dir;
    std::string text = "[OPTIONS]\nTITLE=T\n";
    if (c.value) text += std::string("COMPRESS=") + c.value + "\n";
    const auto file = dir.write("p.hpj", text + "[FILES]\na.rtf\n");
    Diagnostics diag(nullptr);
    const HelpProject p = ProjectReader(diag).readFile(file);
    EXPECT_EQ(p.compressRequested, c.lz77) << (c.value ? c.value : "(absent)");
    EXPECT_EQ(p.phrasesRequested, c.phrases) << (c.value ? c.value : "(absent)");
  }
}

// Topics with everything a record can hold, and text that repeats.
std::string richTopics() {
  std::string huge;
  for (int i = 0; i < 4000; ++i) {
    huge += "Paragraph " + std::to_string(i) + " of the huge topic repeats the same words again and again. ";
    if (i % 40 == 39) huge += "\\par\r\n";
  }
  return rtfHeader() + rtfLines({
      "#{\\footnote first}${\\footnote First topic}K{\\footnote alpha;beta}",
      "The help compiler writes the help file. The help file holds the topics.\\par",
      "Odd bytes: \\'01\\'02\\'0e\\'0f and high ones \\'80\\'9f\\'e9\\'ff in the help file.\\par",
      "Tabs\\tab and {\\b bold the help} and a {\\uldb jump to the second topic}{\\v second} in the help file.\\par",
      "{\\f2 code   with    spaces          and more spaces}\\par",
      "\\trowd\\cellx2500\\cellx5000 \\intbl the help file\\cell the help compiler\\cell\\row\\pard",
      "A picture of the help file \\{bmc dot.bmp\\} in the help file.\\par",
      "The end of the first topic of the help file.\\par",
      "\\page",
      "#{\\footnote second}${\\footnote The second topic of the help file}",
      "\\page",
      "#{\\footnote empty}${\\footnote }",
      "\\page",
      "#{\\footnote huge}${\\footnote Huge topic}",
      huge.c_str(),
      "\\par\\page",
      "}"});
}

std::string project(const std::string& name, const std::string& compress) {
  return "[OPTIONS]\r\nTITLE=Phrases\r\nHLP=" + name + ".hlp\r\n" + (compress.empty() ? "" : "COMPRESS=" + compress + "\r\n") +
         "\r\n[FILES]\r\ntopics.rtf\r\n";
}

class PhraseCompileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("topics.rtf", richTopics());
    const auto white = [](int, int) { return 0xFFFFFFu; };
    testing::writeFile(dir_.path() / "dot.bmp", testing::bmpFile(8, 8, 24, 0, {}, testing::rows(8, 8, 24, white)));
  }

  HelpFile compile(const std::string& name, const std::string& compress) {
    dir_.write(name + ".hpj", project(name, compress));
    Diagnostics diag(nullptr);
    const CompileResult r = Compiler(diag).compile(dir_.path() / (name + ".hpj"));
    EXPECT_TRUE(r.written) << name;
    return HelpFile::load((dir_.path() / (name + ".hlp")).string());
  }

  // The reader's topics without positions and without the phrase count.
  std::string topics(const std::string& name) {
    int status = 0;
    const std::string out =
        runCommand(std::string(HLPDUMP_PATH) + " '" + (dir_.path() / (name + ".hlp")).string() + "' --topics --no-offsets", status);
    EXPECT_EQ(status, 0) << out;
    std::istringstream in(out);
    std::string line, kept;
    while (std::getline(in, line)) {
      if (line.rfind("phrases:", 0) != 0) kept += line + "\n";
    }
    return kept;
  }

  TempDirectory dir_;
};

TEST_F(PhraseCompileTest, PhraseBuildsShowTheSameTopicsAsPlainBuilds) {
  const HelpFile phrased = compile("phrased", "");
  const HelpFile packed = compile("packed", "MEDIUM");
  const HelpFile phrasedOnly = compile("phrasedonly", "4");
  const HelpFile plain = compile("plain", "0");
  ASSERT_TRUE(phrased.file("|PhrIndex").has_value());
  ASSERT_TRUE(phrased.file("|PhrImage").has_value());
  EXPECT_TRUE(phrasedOnly.file("|PhrIndex").has_value());
  EXPECT_FALSE(packed.file("|PhrIndex").has_value());
  EXPECT_FALSE(plain.file("|PhrIndex").has_value());

  const std::string reference = topics("plain");
  EXPECT_NE(reference.find("\\x80\\x9F\\xE9\\xFF"), std::string::npos) << reference.substr(0, 2000);
  EXPECT_NE(reference.find("Paragraph 3999 of the huge topic"), std::string::npos);
  EXPECT_NE(reference.find("help file <bmc |bm0> in the help"), std::string::npos);
  EXPECT_EQ(topics("phrased"), reference);
  EXPECT_EQ(topics("packed"), reference);
  EXPECT_EQ(topics("phrasedonly"), reference);

  EXPECT_LT(phrased.file("|TOPIC")->size(), packed.file("|TOPIC")->size());
  EXPECT_LT(phrasedOnly.file("|TOPIC")->size(), plain.file("|TOPIC")->size());
}

TEST_F(PhraseCompileTest, TextThatRepeatsNothingGetsNoDictionary) {
  dir_.write("topics.rtf", rtfHeader() + rtfLines({"#{\\footnote only}${\\footnote Lone}",
                                                   "Quartz jumbled vexing wharf.\\par", "\\page", "}"}));
  const HelpFile file = compile("lone", "HIGH");
  EXPECT_FALSE(file.file("|PhrIndex").has_value());
  EXPECT_FALSE(file.file("|PhrImage").has_value());
  EXPECT_NE(topics("lone").find("Quartz jumbled vexing wharf."), std::string::npos);
}

TEST_F(PhraseCompileTest, ViewerShowsPhraseCompressedText) {
  int status = 0;
  runCommand("command -v wine && command -v Xvfb && command -v xdotool && command -v tesseract", status);
  if (status != 0 || viewerTool().empty()) GTEST_SKIP() << "wine, Xvfb, xdotool, tesseract or hlp-view missing";
  const HelpFile file = compile("view", "");
  ASSERT_TRUE(file.file("|PhrIndex").has_value());
  const auto shot = dir_.path() / "shot.png";
  const ViewerRun run = runViewer(viewerTool() + " '" + (dir_.path() / "view.hlp").string() + "' '" + shot.string() +
                                  "' --window-only" + viewerTimeoutOption() +
                                  "--expect-text 'compiler writes' --expect-text 'holds the topics'"
                                  " --expect-text 'first topic'");
  EXPECT_EQ(run.status, 0) << run.output;
}

}  // namespace
}  // namespace hcrtf::compiler
