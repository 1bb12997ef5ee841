#include "driver/qvLocalScanner.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "ui/qvUserInterface.h"
#include "url/qvURLTable.h"

namespace fs = std::filesystem;

namespace {

// The full path as the user should see it: absolute, links resolved where
// the file exists.
std::string fullPath(const std::string& path) {
  std::error_code ec;
  fs::path full = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (ec) full = fs::absolute(path, ec).lexically_normal();
  return full.string();
}

// 0 for "index.html", 1 for "index.htm", 2 for every other name.
int indexRank(const std::string& name) {
  if (name == "index.html") return 0;
  if (name == "index.htm") return 1;
  return 2;
}

}  // namespace

qvLocalScanner::qvLocalScanner(qvURLTable& table, qvUserInterface& ui) : table_(table), ui_(ui) {}

int qvLocalScanner::scanLocal(const std::string& path, int count) {
  ui_.checkCancel();
  std::error_code ec;
  if (fs::is_directory(path, ec)) return scanDirectory(fullPath(path), count);
  return addLocalFile(fullPath(path), count);
}

int qvLocalScanner::scanDirectory(const std::string& directory, int count) {
  if (!walked_.insert(directory).second) return count;
  ui_.statusMessage("Scanning " + directory + (directory.ends_with('/') ? "" : "/") + " ...");
  std::vector<fs::directory_entry> files, directories;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    if (!filter_.accept(*it)) continue;
    std::error_code typeError;
    (it->is_directory(typeError) ? directories : files).push_back(*it);
  }
  // A directory's index page leads: it becomes the run's start page when
  // the scan starts there. Then plain name order, which is stable across
  // file systems.
  const auto byName = [](const fs::directory_entry& a, const fs::directory_entry& b) {
    const int rankA = indexRank(a.path().filename().string());
    const int rankB = indexRank(b.path().filename().string());
    return rankA != rankB ? rankA < rankB : a.path() < b.path();
  };
  std::sort(files.begin(), files.end(), byName);
  std::sort(directories.begin(), directories.end(), byName);
  for (const auto& entry : files) {
    count = scanLocal(entry.path().string(), count);
    ui_.checkCancel();
  }
  for (const auto& entry : directories) {
    count = scanLocal(entry.path().string(), count);
    ui_.checkCancel();
  }
  return count + 1;
}

int qvLocalScanner::addLocalFile(const std::string& file, int count) {
  ui_.statusMessage("  adding " + file);
  qvURLStatus* status = table_.addFile(file, count, 0);
  if (status == nullptr) return count;
  if (table_.startURL() == nullptr) table_.setStartURL(status);
  return count + 1;
}
