#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/FontTable.h"
#include "hcrtf/compiler/HelpFileWriter.h"
#include "hcrtf/compiler/HelpModel.h"
#include "hcrtf/compiler/HelpProject.h"
#include "hcrtf/compiler/MacroNormaliser.h"
#include "hcrtf/compiler/PhraseEncoder.h"
#include "hcrtf/compiler/ParagraphRecordBuilder.h"
#include "hcrtf/compiler/PictureStore.h"
#include "hcrtf/compiler/TopicRecord.h"
#include "hcrtf/compiler/TopicStreamWriter.h"

namespace hcrtf::compiler {

// What one compilation produced.
struct CompileResult {
  bool written = false;
  std::filesystem::path helpFile;
  std::size_t topics = 0;
  std::size_t bytes = 0;
};

// Compiles a help project into a WinHelp 4 file. The topic files are read
// one at a time and their topics laid out and written to a spill file as they
// come (after a first pass that samples the text for the phrase dictionary);
// what stays in memory is what the indexes need. The help file is then
// assembled under a temporary name and renamed into place; nothing is
// written when an error was reported.
class Compiler {
 public:
  explicit Compiler(Diagnostics& diagnostics) : diag_(diagnostics) {}

  CompileResult compile(const std::filesystem::path& projectFile);
  // The same for a project already read (tests build projects in memory).
  CompileResult compile(const HelpProject& project);

 private:
  struct Built;      // the indexes of one compilation
  struct OpenTopic;  // a topic whose header still waits for later places
  using TopicSink = std::function<void(std::vector<Topic>&)>;

  // Reads the topic files one at a time and hands their topics on as they are read.
  void readTopicFiles(const HelpProject& project, const TopicSink& sink);
  // Puts entry macros and macro hotspots into the form the viewer reads.
  static void normaliseMacros(Topic& topic, const MacroNormaliser& macros, Diagnostics& diag);
  static void buildTopicRecords(const Topic& topic, std::size_t t, ParagraphRecordBuilder& paragraphs,
                                std::vector<TopicRecord>& records, std::vector<AnchorAt>& anchors);
  // Chooses the phrase dictionary from the topics held so far (when it
  // saves more than it costs) and writes them.
  void choosePhrases(Built& built, TopicStreamWriter& writer);
  // Lays out and writes every topic as it is read; false when the topics
  // outgrow what a help file can address.
  bool streamTopics(const HelpProject& project, Built& built, TopicStreamWriter& writer);
  void addTopic(Topic& topic, Built& built, TopicStreamWriter& writer, ParagraphRecordBuilder& paragraphs);
  // Codes the text of each record where that makes it shorter; returns the bytes saved.
  static std::size_t encodePhrases(const PhraseEncoder& phrases, std::vector<TopicRecord>& records);
  void writeTopic(std::vector<TopicRecord>& records, bool encode, Built& built, TopicStreamWriter& writer);
  void addClosingRecord(Built& built, TopicStreamWriter& writer);
  void takePlacements(Built& built, TopicStreamWriter& writer);
  void finishTopic(const OpenTopic& topic, std::uint32_t nextHeader, TopicStreamWriter& writer);
  void defineContext(const AnchorAt& anchor, std::uint32_t offset, Built& built);
  void noteJumps(const Topic& topic, Built& built);
  void noteIndexEntries(const Topic& topic, std::size_t t, std::size_t header, Built& built);
  // Gives each [ALIAS] the position of the context string it stands for.
  void addAliases(const HelpProject& project, Built& built);
  void checkJumpTargets(const Built& built);
  void linkBrowseSequences(const Built& built, TopicStreamWriter& writer);
  // Where the large internal files wait: the topic stream and the pictures.
  struct HelpFileParts {
    const SpillFile& topics;
    std::uint64_t topicSize;
    const SpillFile& pictures;
  };
  std::uint64_t writeHelpFile(const HelpProject& project, Built& built, const HelpFileParts& parts);
  void addBaggage(const HelpProject& project, HelpFileWriter& file);
  std::vector<std::uint8_t> buildSystemFile(const HelpProject& project, const Built& built);
  std::optional<int> resolvePicture(const PictureRef& picture);
  void addIndexFiles(const HelpProject& project, Built& built, HelpFileWriter& file);

  Diagnostics& diag_;
  FontTable fonts_;
  std::optional<PictureStore> pictures_;
  int textCharset_ = 0;  // from the topic files; CHARSET= takes precedence
};

}  // namespace hcrtf::compiler
