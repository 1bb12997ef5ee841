#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace hcrtf::compiler {

// Where the file names written in a help project or topic file lead on disk.
// Projects come from systems whose file names ignore case, so a file to read
// is matched in any case when no folder holds its exact name. The help file
// to write is taken exactly as written: here Foo.HLP and foo.hlp are two
// files, and matching would overwrite the one the project did not name.

// `written` ("\" or "/" separators, quotes, a drive letter) as a path of this
// system, below `base` when it is relative. Nothing on disk is consulted.
std::filesystem::path literalProjectPath(const std::filesystem::path& base, std::string_view written);

// The existing file or folder `written` names below `base`: its exact name,
// else each component matched in any case (the first in byte order when
// several names differ only in case). The literal path when nothing matches.
std::filesystem::path resolveProjectPath(const std::filesystem::path& base, std::string_view written);

// The file `written` names in the first of `roots` that holds its exact
// name, else in the first that holds it in another case; empty when none
// does. An absolute name is looked up once, whatever the roots.
std::filesystem::path findInRoots(const std::vector<std::filesystem::path>& roots, std::string_view written);

}  // namespace hcrtf::compiler
