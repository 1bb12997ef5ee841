#include "driver/qvHtmlCleanFilter.h"

#include <sys/stat.h>
#include <array>
#include <string_view>

#include "base/qvTextUtil.h"
#include "ui/qvUserInterface.h"

std::atomic<long> qvHtmlCleanFilter::count_{0};

bool qvHtmlCleanFilter::accept(const std::string& directory, const std::string& name) {
  if (count_.fetch_add(1) % 100 == 99) ui_.appendStatusLine(".", true);
  struct stat info {};
  const std::string path = directory + "/" + name;
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return false;
  static constexpr std::array<std::string_view, 9> kExtensions{".tmp", ".rtf", ".hpj", ".bmp", ".gif",
                                                               ".jpg", ".png", ".fts", ".data"};
  const std::string lower = qvLowerCase(name);
  for (const std::string_view extension : kExtensions) {
    if (lower.size() >= extension.size() && lower.compare(lower.size() - extension.size(), extension.size(),
                                                          extension) == 0) {
      return true;
    }
  }
  return false;
}
