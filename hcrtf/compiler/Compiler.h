#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
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
#include "hcrtf/compiler/PictureStore.h"
#include "hcrtf/compiler/TopicLayout.h"
#include "hcrtf/compiler/TopicRecord.h"

namespace hcrtf::compiler {

// What one compilation produced.
struct CompileResult {
  bool written = false;
  std::filesystem::path helpFile;
  std::size_t topics = 0;
  std::size_t bytes = 0;
};

// Compiles a help project into a WinHelp 4 file: reads the project and its
// topic files, builds every internal file from the topics, then writes the
// help file in one step. Nothing is written when an error was reported.
class Compiler {
 public:
  explicit Compiler(Diagnostics& diagnostics) : diag_(diagnostics) {}

  CompileResult compile(const std::filesystem::path& projectFile);
  // The same for a project already read (tests build projects in memory).
  CompileResult compile(const HelpProject& project);

 private:
  struct Built;  // the records and positions of one compilation

  void readTopics(const HelpProject& project);
  // Puts entry macros and macro hotspots into the form the viewer reads.
  void normaliseTopicMacros(const MacroNormaliser& macros);
  void checkContexts(Built& built);
  // Gives each [ALIAS] the position of the context string it stands for.
  void addAliases(const HelpProject& project, Built& built);
  void checkJumpTargets(const Built& built);
  void addBaggage(const HelpProject& project, HelpFileWriter& file);
  void buildRecords(const HelpProject& project, Built& built);
  // Phrase-compresses the text of every record where that makes it shorter,
  // with a dictionary picked from the whole project; leaves all text plain
  // when the dictionary would cost more than it saves.
  void compressPhrases(Built& built);
  void linkTopicHeaders(Built& built);
  std::vector<std::uint8_t> buildSystemFile(const HelpProject& project, const Built& built);
  std::optional<int> resolvePicture(const PictureRef& picture);
  void addIndexFiles(const HelpProject& project, const Built& built, HelpFileWriter& file);

  Diagnostics& diag_;
  std::vector<Topic> topics_;
  FontTable fonts_;
  std::optional<PictureStore> pictures_;
  int textCharset_ = 0;  // from the topic files; CHARSET= takes precedence
};

}  // namespace hcrtf::compiler
