#include "driver/qvTemporaryFiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

#include "driver/qvHtmlCleanFilter.h"
#include "ui/qvUserInterface.h"

namespace {

constexpr int kCancelBit = 0x08;

std::vector<std::string> listDirectory(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

// A plain file its owner may write; directories, devices and read-only
// files are left alone.
bool removable(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return false;
  return S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) != 0;
}

bool runFileName(std::string_view name) {
  if (name.size() <= 4 || name[name.size() - 4] != '.') return false;
  static constexpr std::array<std::string_view, 10> kExtensions{"bmp", "tmp", "rtf", "gif", "jpg",
                                                                "png", "hpj", "fts", "dat", "xbm"};
  const std::string_view extension = name.substr(name.size() - 3);
  for (const std::string_view known : kExtensions) {
    if (extension == known) return true;
  }
  return false;
}

// "name.x", "name.xy" or "name.xyz": what the work folder's own files look like.
bool hasShortExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot > 0 && name.size() - dot >= 2 && name.size() - dot <= 4;
}

}  // namespace

void cleanTemporaries(const std::string& directory, qvUserInterface& ui) {
  ui.beginStatusLine("Cleaning up temporary files ");
  qvHtmlCleanFilter filter(ui);
  for (const std::string& name : listDirectory(directory)) {
    if (!filter.accept(directory, name)) continue;
    const std::string path = directory + "/" + name;
    if (!removable(path)) continue;
    ::unlink(path.c_str());
    ui.checkCancel();
  }
}

bool cleanRunFiles(const std::string& directory, qvUserInterface& ui) {
  std::string progress = "Cleaning up temporary files";
  long seen = 0;
  bool matched = false;
  for (const std::string& name : listDirectory(directory)) {
    matched = matched || hasShortExtension(name);
    if (++seen % 100 == 0) {
      progress = progress.size() > 100 ? "Cleaning up temporary files." : progress + ".";
      ui.setStatusText(progress);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if ((ui.getStatus() & kCancelBit) != 0 || ui.shouldExit()) return matched;
    }
    const std::string path = directory + "/" + name;
    if (runFileName(name) && removable(path)) ::unlink(path.c_str());
  }
  return matched;
}
