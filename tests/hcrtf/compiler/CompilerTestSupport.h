#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "../../support/TempDirectory.h"

// Small helpers to run programs on projects written into a TempDirectory.

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
