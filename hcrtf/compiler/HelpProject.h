#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "hcrtf/compiler/Diagnostics.h"

namespace hcrtf::compiler {

// A window of the [WINDOWS] section. Absent values keep the viewer's
// defaults; positions are in the viewer's 0..1023 screen units.
struct WindowDef {
  std::string name;
  std::string caption;
  std::optional<int> x, y, width, height;
  bool maximize = false;
  std::optional<std::uint32_t> scrollingRgb;     // 0x00BBGGRR
  std::optional<std::uint32_t> nonScrollingRgb;
  SourcePos where;
};

// [ALIAS]: a second context string for a topic ("old_name=new_name").
struct AliasEntry {
  std::string alias;
  std::string context;
  SourcePos where;
};

struct MapEntry {
  std::string context;
  std::int32_t id = 0;
  SourcePos where;
};

// Everything a help project file asks for, with paths already resolved.
struct HelpProject {
  std::filesystem::path projectFile;
  std::filesystem::path projectDir;
  std::filesystem::path helpFile;        // HLP=, else the project's name + ".hlp"
  std::string title;
  std::string copyright;
  std::string citation;                  // CITATION=: added to text copied or printed
  std::string contentsFile;              // CNT=: the contents (.cnt) file's name
  std::string contents;                  // context string of the contents topic
  bool compressRequested = true;                    // COMPRESS=: LZ77-packed topic blocks
  bool phrasesRequested = true;                     // COMPRESS=: phrase-compressed topic text
  std::vector<std::filesystem::path> bitmapRoots;   // BMROOT=, else the project folder
  std::vector<std::filesystem::path> rtfRoots;      // ROOT=, else the project folder
  std::vector<std::filesystem::path> topicFiles;    // [FILES], resolved
  std::vector<SourcePos> topicFileLines;            // where each was named
  std::vector<WindowDef> windows;
  std::vector<std::string> configMacros;
  std::vector<SourcePos> configMacroLines;          // where each was written
  std::vector<MapEntry> map;
  std::vector<AliasEntry> aliases;
  std::vector<std::filesystem::path> baggage;       // [BAGGAGE] files, stored in the help file by name
  std::vector<SourcePos> baggageLines;
  std::uint16_t lcid = 0x0409;
  std::optional<std::uint8_t> charset;              // CHARSET=, else taken from the topic files
};

}  // namespace hcrtf::compiler
