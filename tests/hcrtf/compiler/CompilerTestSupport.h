#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A scratch folder for one test, removed afterwards, and small helpers to
// write project files into it and to run programs.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("hcrtf-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path write(const std::string& name, const std::string& text) const {
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

 private:
  static int& counter() {
    static int value = 0;
    return value;
  }
  std::filesystem::path path_;
};

// Runs a shell command; returns its standard output and sets `status` to its
// exit status.
inline std::string runCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) {
    status = -1;
    return output;
  }
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int raw = ::pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

// RTF lines joined with CR LF, as the converter writes them.
inline std::string rtfLines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// A font table and colour table like the converter's topic header.
inline std::string rtfHeader() {
  return rtfLines({"{\\rtf1", "{\\fonttbl", "\\f0\\fswiss Arial;", "\\f1\\froman Times New Roman;",
                   "\\f2\\fmodern Courier New;", "}", "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;",
                   "\\red128\\green0\\blue128;}", "\\deff0", "\\fs24"});
}
