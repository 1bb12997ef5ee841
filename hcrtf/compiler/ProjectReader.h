#pragma once

#include <filesystem>
#include <string_view>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/HelpProject.h"

namespace hcrtf {

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

// Turns a path written in a project or topic file ("\" or "/" separators)
// into a path below `base` when it is relative. When the exact name does not
// exist, a case-insensitive match in the same folder is accepted, because
// projects written on Windows rarely agree with the disk on case.
std::filesystem::path resolveProjectPath(const std::filesystem::path& base, std::string_view written);

// The first of `roots` in which `written` names an existing file; empty when
// none does.
std::filesystem::path findInRoots(const std::vector<std::filesystem::path>& roots, std::string_view written);

}  // namespace hcrtf
