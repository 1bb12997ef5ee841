#pragma once
// Where the tests find hlp-view, the tool that opens a help file in Wine's
// viewer and takes a screenshot: $HLPVIEW, else beside the repository in
// ../shared/tools. Empty when neither exists (the viewer tests then skip).
//
// runViewer() runs one viewer session. Wine starts slowly on a loaded
// machine (the tests run two at a time, and each session starts Wine cold),
// so sessions wait long for the first window, and a session in which no
// window appeared while winhlp32 was still starting is run once more: that
// says nothing about the help file. A viewer that exits or shows an error box
// is never retried.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

inline std::string viewerTool() {
  if (const char* env = std::getenv("HLPVIEW")) return env;
  const std::filesystem::path shared =
      std::filesystem::path(CORVANE_SOURCE_DIR) / ".." / "shared" / "tools" / "hlp-view";
  return std::filesystem::exists(shared) ? shared.string() : std::string();
}

// How long a session waits for the help window, as hlp-view options.
inline std::string viewerTimeoutOption() { return " --timeout 120 "; }

struct ViewerRun {
  int status = -1;
  std::string output;
};

// Runs a shell command with standard error folded into its output.
inline ViewerRun runShellCommand(const std::string& command) {
  ViewerRun result;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) result.output.append(buffer.data(), got);
  const int raw = pclose(pipe.release());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

// Runs `command` (a shell command that ends in an hlp-view call); its exit
// status and everything it printed, of the retry when there was one.
inline ViewerRun runViewer(const std::string& command) {
  ViewerRun first = runShellCommand(command);
  if (first.status != 2 || first.output.find("no help window within") == std::string::npos) return first;
  ViewerRun second = runShellCommand(command);
  second.output = "(first session: no window while Wine was starting; run again)\n" + second.output;
  return second;
}
