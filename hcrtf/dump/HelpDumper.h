#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

#include <optional>

#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/Picture.h"
#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/SystemInfo.h"
#include "hcrtf/dump/TopicReader.h"

namespace hcrtf::dump {

// What to print; with none of the sections chosen, all of them are.
struct DumpOptions {
  bool files = false;
  bool system = false;
  bool fonts = false;
  bool topics = false;
  bool titles = false;
  bool context = false;
  bool keywords = false;
  bool map = false;
  bool pictures = false;
  bool targets = false;
  std::string helpFileName;  // the file's own name, which jump macros may give
  std::string pictureDir;  // write each decoded bitmap here when set
  bool ppm = false;        // PPM instead of BMP
  // Leave topic positions, offsets and block counts out of the topics
  // section, so that builds of one project with and without compression
  // can be compared line by line.
  bool noOffsets = false;
  std::map<std::int32_t, std::string> names;  // hash -> context string

  bool anySection() const {
    return files || system || fonts || topics || titles || context || keywords || map || pictures || targets;
  }
};

// Prints a help file section by section in a stable text form. A damaged
// internal file becomes an "error:" line in its section and the rest goes
// on; dump() returns how many such errors there were.
class HelpDumper {
 public:
  HelpDumper(const HelpFile& file, DumpOptions options);
  int dump(std::ostream& out);

 private:
  void dumpFiles(std::ostream& out);
  void dumpSystem(std::ostream& out);
  void dumpFonts(std::ostream& out);
  void dumpTopics(std::ostream& out);
  void dumpTitles(std::ostream& out);
  void dumpContext(std::ostream& out);
  void dumpKeywords(std::ostream& out);
  void dumpMap(std::ostream& out);
  void dumpPictures(std::ostream& out);
  // Every jump, popup and jump macro into this file whose topic is missing.
  void dumpTargets(std::ostream& out);
  void writePictureFile(const std::string& name, std::size_t index, const PictureImage& img,
                        std::ostream& out);
  // |SYSTEM, the phrase table and the topics, read once on first use; later
  // sections name topics by offset. Problems go to `out` the first time.
  const SystemInfo* system(std::ostream& out);
  const TopicList* topics(std::ostream& out);
  std::string describeOffset(std::uint32_t offset);
  // "topic N" for an offset where a topic starts, "-" for none, else hex.
  std::string topicName(std::uint32_t offset) const;
  // The named internal file, or a "no ... file" line and nothing: a file a
  // help file may lack is not an error.
  std::optional<std::span<const std::uint8_t>> sectionFile(const char* name, std::ostream& out) const;
  void error(std::ostream& out, const std::string& what);
  // Runs one section, turning any FormatError into an error line.
  template <typename F>
  void section(std::ostream& out, const char* title, F&& body);

  const HelpFile& file_;
  DumpOptions options_;
  int errors_ = 0;
  bool systemTried_ = false;
  std::optional<SystemInfo> system_;
  bool topicsTried_ = false;
  std::optional<TopicList> topics_;
};

}  // namespace hcrtf::dump
