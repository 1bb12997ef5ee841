#pragma once
// Reads a small settings file whole. Files larger than the limit are not
// settings files and read as nothing, as do missing and unreadable ones.

#include <optional>
#include <string>

class qvTextFile {
 public:
  static std::optional<std::string> read(const std::string& path, size_t limit = 16u << 20);
  static bool isRegularFile(const std::string& path);
};
