#pragma once

#include <filesystem>
#include <string_view>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/HelpProject.h"

namespace hcrtf::compiler {

// Reads a help project (.hpj): [OPTIONS], [FILES], [WINDOWS], [CONFIG] and
// [MAP]. Problems are reported through Diagnostics with the project's file
// name and line; reading always finishes.
class ProjectReader {
 public:
  explicit ProjectReader(Diagnostics& diagnostics) : diag_(diagnostics) {}

  // Reads the project file from disk. A file that cannot be read is an error
  // and gives an empty project.
  HelpProject readFile(const std::filesystem::path& projectFile);

  // Parses project text as if it had been read from `projectFile`; relative
  // paths are taken from that file's folder.
  HelpProject parse(std::string_view text, const std::filesystem::path& projectFile);

 private:
  Diagnostics& diag_;
};

}  // namespace hcrtf::compiler
