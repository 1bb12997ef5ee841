#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

  // The internal files made so far, in number order: name ("|bm0", ...) and
  // content.
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files() const {
    return files_;
  }

  // The file `fileName` names, or nothing when no search folder has it.
  std::optional<std::filesystem::path> locate(const std::string& fileName) const;

 private:
  std::vector<std::filesystem::path> folders_;
  std::map<std::pair<std::filesystem::path, bool>, Result> byFile_;
  std::map<std::pair<std::string, bool>, Result> byName_;
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files_;
};

}  // namespace hcrtf::compiler
