#include "driver/qvHtmlFileFilter.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

#include "base/qvTextUtil.h"

bool qvHtmlFileFilter::isHtmlName(std::string_view name) {
  const std::string lower = qvLowerCase(name);
  return lower.ends_with(".htm") || lower.ends_with(".html") || lower.ends_with(".shtml");
}

bool qvHtmlFileFilter::accept(const std::filesystem::directory_entry& entry) const {
  std::error_code ec;
  if (entry.is_directory(ec)) return true;
  return isHtmlName(entry.path().filename().string());
}
