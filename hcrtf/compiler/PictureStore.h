#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hcrtf/compiler/SpillFile.h"

namespace hcrtf::compiler {

// The pictures of one help file. Each bitmap file referred to by the topics
// is found, read and converted once, however often it is used, and becomes
// the internal file "|bm" + its number. A file that cannot be used is
// remembered with its reason, so every later use gets the same answer cheaply.
class PictureStore {
 public:
  // Where a picture ended up, or why it could not be used.
  struct Result {
    std::optional<int> number;  // the N of |bmN
    std::string error;          // set when number is empty
  };

  // `searchFolders` are tried in order (BMROOT, then ROOT, then the project's
  // folder, as the project gives them).
  explicit PictureStore(std::vector<std::filesystem::path> searchFolders);

  // Resolves `fileName` as written in the topic ("\" or "/" separators,
  // letters in any case where no folder has the exact name) and stores the
  // picture. `transparent` is for the bmct/bmlt/bmrt forms, which are stored
  // apart from the opaque form.
  Result add(const std::string& fileName, bool transparent);

  // Sends the content of every picture stored from now on to `spill` (which
  // must outlive the store) instead of keeping it in memory.
  void spillTo(SpillFile& spill) { spill_ = &spill; }

  // The internal files made so far, in number order: name ("|bm0", ...) and
  // content, which is empty for a picture sent to the spill file.
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files() const {
    return files_;
  }
  // Where the spill file holds picture `number`: offset and size; nothing
  // when its content is kept in memory.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> spilled(std::size_t number) const;

  // The file `fileName` names, or nothing when no search folder has it.
  std::optional<std::filesystem::path> locate(const std::string& fileName) const;

 private:
  std::vector<std::filesystem::path> folders_;
  std::map<std::pair<std::filesystem::path, bool>, Result> byFile_;
  std::map<std::pair<std::string, bool>, Result> byName_;
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files_;
  SpillFile* spill_ = nullptr;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spilled_;  // per picture; size 0 when kept
};

}  // namespace hcrtf::compiler
