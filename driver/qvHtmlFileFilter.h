#pragma once
// Which entries of a local directory the scan of a local tree looks at:
// subdirectories (to descend into) and files whose names mark them as HTML.

#include <filesystem>
#include <string_view>

class qvHtmlFileFilter {
 public:
  // True for a directory, or for a name whose lower-cased form ends with
  // ".htm", ".html" or ".shtml".
  bool accept(const std::filesystem::directory_entry& entry) const;

  // The name test alone.
  static bool isHtmlName(std::string_view name);
};
