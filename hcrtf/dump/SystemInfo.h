#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::dump {

// A window definition from the project's [WINDOWS] section: the window
// record of |SYSTEM.
struct WindowRecord {
  std::uint16_t flags = 0;  // which of the fields below are valid
  std::string type;
  std::string name;
  std::string caption;
  std::int16_t x = 0, y = 0, width = 0, height = 0;
  std::uint16_t maximize = 0;
  std::uint32_t scrollColour = 0;     // 0x00BBGGRR
  std::uint32_t nonScrollColour = 0;  // 0x00BBGGRR
};

// A record of |SYSTEM this reader has no field for, kept for listing.
struct SystemRecord {
  std::uint16_t type = 0;
  std::vector<std::uint8_t> data;
};

// |SYSTEM: the format version, the compression flags that decide how |TOPIC
// is read, and what the help project set (title, copyright, contents topic,
// start-up macros, windows, charset, language).
struct SystemInfo {
  std::uint16_t magic = 0;
  std::uint16_t minor = 0;
  std::uint16_t major = 0;
  std::uint32_t generated = 0;  // creation time stamp, or 0
  std::uint16_t flags = 0;

  std::string title;
  std::string copyright;
  std::optional<std::uint32_t> contents;  // topic offset
  std::vector<std::string> macros;
  std::vector<WindowRecord> windows;
  std::string citation;
  std::vector<std::uint16_t> lcid;
  std::string contentsFile;
  std::optional<std::uint16_t> charset;
  std::optional<std::uint8_t> defaultFontSize;
  std::optional<std::uint8_t> defaultFontCharset;
  std::string defaultFontName;
  std::string indexSeparators;
  std::vector<SystemRecord> others;

  // Topic block layout that follows from minor and flags.
  bool topicsCompressed() const;
  std::uint32_t topicBlockSize() const;

  // Throws FormatError for a wrong magic number or a record that runs past
  // the end of the file.
  static SystemInfo parse(std::span<const std::uint8_t> content);
};

}  // namespace hcrtf::dump
