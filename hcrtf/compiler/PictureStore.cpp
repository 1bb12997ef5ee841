#include "hcrtf/compiler/PictureStore.h"

#include "hcrtf/compiler/BmpFile.h"
#include "hcrtf/compiler/HelpPicture.h"
#include "hcrtf/compiler/ProjectPaths.h"

namespace hcrtf::compiler {

namespace fs = std::filesystem;

PictureStore::PictureStore(std::vector<std::filesystem::path> searchFolders)
    : folders_(std::move(searchFolders)) {}

std::optional<std::filesystem::path> PictureStore::locate(const std::string& fileName) const {
  fs::path found = findInRoots(folders_, fileName);
  if (found.empty()) return std::nullopt;
  return found;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> PictureStore::spilled(std::size_t number) const {
  if (number >= spilled_.size() || spilled_[number].second == 0) return std::nullopt;
  return spilled_[number];
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
    std::vector<std::uint8_t> content = HelpPicture::build(image, transparent);
    std::pair<std::uint64_t, std::uint64_t> place{0, 0};
    if (spill_ && !content.empty()) {
      place = {spill_->size(), content.size()};
      spill_->append(content);
      content = std::vector<std::uint8_t>();
    }
    files_.emplace_back("|bm" + std::to_string(*result.number), std::move(content));
    spilled_.push_back(place);
  } catch (const BmpError& e) {
    result.error = e.what();
  }
  byFile_[fileKey] = result;
  return byName_[key] = result;
}

}  // namespace hcrtf::compiler
