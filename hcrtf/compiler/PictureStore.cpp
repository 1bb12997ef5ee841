#include "hcrtf/compiler/PictureStore.h"

#include <algorithm>
#include <cctype>

#include "hcrtf/compiler/BmpFile.h"
#include "hcrtf/compiler/HelpPicture.h"

namespace hcrtf {
namespace {

namespace fs = std::filesystem;

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool isFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// Help projects come from systems where file names ignore case; here each
// component is matched exactly first, then in any case.
std::optional<fs::path> findIgnoringCase(const fs::path& folder, const fs::path& relative) {
  fs::path current = folder;
  for (const fs::path& part : relative) {
    if (part.empty() || part == ".") continue;
    std::error_code ec;
    if (part == ".." || fs::exists(current / part, ec)) {
      current /= part;
      continue;
    }
    std::optional<fs::path> match;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      if (sameIgnoringCase(it->path().filename().string(), part.string())) {
        match = it->path();
        break;
      }
    }
    if (!match) return std::nullopt;
    current = *match;
  }
  if (!isFile(current)) return std::nullopt;
  return current;
}

}  // namespace

PictureStore::PictureStore(std::vector<std::filesystem::path> searchFolders)
    : folders_(std::move(searchFolders)) {}

std::optional<std::filesystem::path> PictureStore::locate(const std::string& fileName) const {
  std::string name = fileName;
  std::replace(name.begin(), name.end(), '\\', '/');
  const fs::path wanted(name);
  if (name.empty()) return std::nullopt;
  if (wanted.is_absolute()) {
    return findIgnoringCase(wanted.root_path(), wanted.relative_path());
  }
  for (const fs::path& folder : folders_) {
    if (auto found = findIgnoringCase(folder, wanted)) return found;
  }
  return std::nullopt;
}

PictureStore::Result PictureStore::add(const std::string& fileName, bool transparent) {
  const auto key = std::make_pair(fileName, transparent);
  if (auto it = byName_.find(key); it != byName_.end()) return it->second;

  Result result;
  const std::optional<fs::path> file = locate(fileName);
  if (!file) {
    result.error = "bitmap file not found";
    return byName_[key] = result;
  }
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(*file, ec);
  const auto fileKey = std::make_pair(ec ? *file : canonical, transparent);
  if (auto it = byFile_.find(fileKey); it != byFile_.end()) return byName_[key] = it->second;

  try {
    const DibImage image = BmpFile::read(*file);
    result.number = static_cast<int>(files_.size());
    files_.emplace_back("|bm" + std::to_string(*result.number), HelpPicture::build(image, transparent));
  } catch (const BmpError& e) {
    result.error = e.what();
  }
  byFile_[fileKey] = result;
  return byName_[key] = result;
}

}  // namespace hcrtf
