#pragma once
// Where the tests find hlp-view, the tool that opens a help file in Wine's
// viewer and takes a screenshot: $HLPVIEW, else beside the repository in
// ../shared/tools. Empty when neither exists (the viewer tests then skip).

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::string viewerTool() {
  if (const char* env = std::getenv("HLPVIEW")) return env;
  const std::filesystem::path shared =
      std::filesystem::path(CORVANE_SOURCE_DIR) / ".." / "shared" / "tools" / "hlp-view";
  return std::filesystem::exists(shared) ? shared.string() : std::string();
}
