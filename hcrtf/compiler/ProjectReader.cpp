#include "hcrtf/compiler/ProjectReader.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "hcrtf/compiler/ProjectPaths.h"
#include "hcrtf/compiler/TextUtil.h"

namespace fs = std::filesystem;

namespace hcrtf::compiler {

namespace {

enum class Section { None, Options, Files, Windows, Config, Map, Alias, Baggage, Bitmaps, Ignored };

Section sectionFor(std::string_view name) {
  const std::string lower = toLower(name);
  if (lower == "options") return Section::Options;
  if (lower == "files") return Section::Files;
  if (lower == "windows") return Section::Windows;
  if (lower == "config") return Section::Config;
  if (lower == "map") return Section::Map;
  if (lower == "alias") return Section::Alias;
  if (lower == "baggage") return Section::Baggage;
  if (lower == "bitmaps") return Section::Bitmaps;
  return Section::Ignored;
}

// COMPRESS= as help compilers read it. Words: HIGH, MAXIMUM, YES, TRUE, ON
// (and the option left out) ask for all we do, phrase compression of the
// text and LZ77 packing of the blocks; MEDIUM for LZ77 alone; LOW, NO, FALSE,
// OFF, NONE for neither. A number is a set of flags: 2 (phrases) or 4 (the
// newer phrase form, which is the one we write) for phrases, 8 for LZ77; 1
// for both; 0 for neither. Words after the number ("12 Hall Zeck") are
// comments. Anything else keeps both on.
void readCompress(std::string_view value, HelpProject& project) {
  const std::string lower = toLower(trim(value));
  std::size_t digits = 0;
  while (digits < lower.size() && digits < 4 && lower[digits] >= '0' && lower[digits] <= '9') ++digits;
  bool phrases = true, lz77 = true;
  if (digits > 0) {
    const int flags = std::stoi(lower.substr(0, digits));
    phrases = flags == 1 || (flags & 0x06) != 0;
    lz77 = flags == 1 || (flags & 0x08) != 0;
  } else if (lower == "medium") {
    phrases = false;
  } else if (lower.empty() || lower == "low" || lower == "no" || lower == "false" || lower == "off" || lower == "none") {
    phrases = lz77 = false;
  }
  project.compressRequested = lz77;
  project.phrasesRequested = phrases;
}

// "(r16777215)", "(255,255,255)" or "()" to 0x00BBGGRR.
std::optional<std::uint32_t> parseColour(std::string_view field) {
  field = trim(field);
  if (field.size() < 2 || field.front() != '(' || field.back() != ')') return std::nullopt;
  field = trim(field.substr(1, field.size() - 2));
  if (field.empty()) return std::nullopt;
  long long value = 0;
  if (field.front() == 'r' || field.front() == 'R') {
    if (!parseInteger(field.substr(1), value) || value < 0) return std::nullopt;
    return static_cast<std::uint32_t>(value & 0xFFFFFF);
  }
  const auto parts = splitTopLevel(field, ',');
  if (parts.size() != 3) return std::nullopt;
  std::uint32_t rgb = 0;
  for (int i = 0; i < 3; ++i) {
    if (!parseInteger(parts[i], value) || value < 0 || value > 255) return std::nullopt;
    rgb |= static_cast<std::uint32_t>(value) << (8 * i);
  }
  return rgb;
}

class ProjectParser {
 public:
  ProjectParser(Diagnostics& diag, HelpProject& project) : diag_(diag), project_(project) {}

  // The folders of the files [BITMAPS] names, searched after BMROOT's.
  const std::vector<fs::path>& listedBitmapFolders() const { return listedBitmapFolders_; }

  void line(std::string_view text, int number) {
    where_ = SourcePos{project_.projectFile.filename().string(), number};
    text = trim(text);
    if (text.empty() || text.front() == ';' || text.starts_with("//")) return;
    if (text.front() == '[') return sectionHeader(text);
    switch (section_) {
      case Section::Options: return option(text);
      case Section::Files: return file(text);
      case Section::Windows: return window(text);
      case Section::Config:
        project_.configMacros.emplace_back(text);
        project_.configMacroLines.push_back(where_);
        return;
      case Section::Map: return mapEntry(text);
      case Section::Alias: return alias(text);
      case Section::Baggage:
        project_.baggage.push_back(resolveProjectPath(project_.projectDir, text));
        project_.baggageLines.push_back(where_);
        return;
      case Section::Bitmaps: return bitmapFile(text);
      case Section::Ignored: return;
      case Section::None:
        diag_.warning(where_, "text outside any section ignored");
        return;
    }
  }

 private:
  void sectionHeader(std::string_view text) {
    const auto close = text.find(']');
    if (close == std::string_view::npos) {
      diag_.warning(where_, "section name without ']'");
      section_ = Section::Ignored;
      return;
    }
    const std::string_view name = trim(text.substr(1, close - 1));
    section_ = sectionFor(name);
    if (section_ == Section::Ignored) diag_.warning(where_, "section [" + std::string(name) + "] is not supported; ignored");
  }

  void option(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) {
      diag_.warning(where_, "option without '=' ignored");
      return;
    }
    const std::string key = toLower(trim(text.substr(0, eq)));
    const std::string_view value = trim(text.substr(eq + 1));
    if (key == "hlp") project_.helpFile = literalProjectPath(project_.projectDir, value);
    else if (key == "title") project_.title = std::string(value);
    else if (key == "copyright") project_.copyright = std::string(value);
    else if (key == "citation") project_.citation = std::string(value);
    else if (key == "cnt") project_.contentsFile = literalProjectPath({}, value).filename().string();
    else if (key == "contents" || key == "index") project_.contents = std::string(value);
    else if (key == "compress") readCompress(value, project_);
    else if (key == "bmroot") project_.bitmapRoots = folders(value);
    else if (key == "root") project_.rtfRoots = folders(value);
    else if (key == "lcid") lcid(value);
    else if (key == "charset") charset(value);
    else if (key == "hcw" || key == "notes" || key == "report" || key == "errorlog" || key == "oldkeyphrase" ||
             key == "warning" || key == "deffont" || key == "dbcs" ||
             key == "fts" || key == "language")
      return;
    else diag_.warning(where_, "unknown option " + std::string(trim(text.substr(0, eq))) + " ignored");
  }

  void lcid(std::string_view value) {
    long long number = 0;
    const auto parts = splitTopLevel(value, ' ');
    if (!parts.empty() && parseInteger(parts.front(), number)) project_.lcid = static_cast<std::uint16_t>(number);
  }

  void charset(std::string_view value) {
    long long number = 0;
    const auto parts = splitTopLevel(value, ' ');
    if (parts.empty() || !parseInteger(parts.front(), number) || number < 0 || number > 255) {
      diag_.warning(where_, "CHARSET=" + std::string(value) + " is not a character set number 0..255; ignored");
      return;
    }
    project_.charset = static_cast<std::uint8_t>(number);
  }

  std::vector<fs::path> folders(std::string_view value) {
    std::vector<fs::path> result;
    for (const auto& part : splitTopLevel(value, ',')) {
      const std::string_view folder = trim(part);
      if (!folder.empty()) result.push_back(resolveProjectPath(project_.projectDir, folder));
    }
    return result;
  }

  void file(std::string_view text) {
    project_.topicFileLines.push_back(where_);
    std::vector<fs::path> roots = project_.rtfRoots;
    roots.push_back(project_.projectDir);
    fs::path found = findInRoots(roots, text);
    project_.topicFiles.push_back(found.empty() ? resolveProjectPath(project_.projectDir, text) : found);
  }

  void window(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) {
      diag_.warning(where_, "window definition without '=' ignored");
      return;
    }
    WindowDef def;
    def.where = where_;
    def.name = std::string(trim(text.substr(0, eq)));
    if (def.name.size() > 8) {
      diag_.warning(where_, "window name '" + def.name + "' is longer than 8 characters; cut");
      def.name.resize(8);
    }
    const auto fields = splitTopLevel(text.substr(eq + 1), ',');
    std::size_t next = 0;
    if (next < fields.size()) def.caption = unquote(fields[next++]);
    // An optional class name in quotes may follow the caption.
    if (next < fields.size() && trim(fields[next]).starts_with('"')) ++next;
    if (next < fields.size()) position(fields[next++], def);
    if (next < fields.size()) {
      long long state = 0;
      def.maximize = parseInteger(fields[next++], state) && state == 1;
    }
    if (next < fields.size()) def.scrollingRgb = parseColour(fields[next++]);
    if (next < fields.size()) def.nonScrollingRgb = parseColour(fields[next++]);
    if (def.caption.size() > 50) {
      diag_.warning(where_, "window caption longer than 50 characters; cut");
      def.caption.resize(50);
    }
    project_.windows.push_back(std::move(def));
  }

  static std::string unquote(std::string_view field) {
    field = trim(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = field.substr(1, field.size() - 2);
    return std::string(field);
  }

  void position(std::string_view field, WindowDef& def) {
    field = trim(field);
    if (field.size() < 2 || field.front() != '(' || field.back() != ')') return;
    const auto parts = splitTopLevel(field.substr(1, field.size() - 2), ',');
    std::optional<int>* slots[] = {&def.x, &def.y, &def.width, &def.height};
    for (std::size_t i = 0; i < parts.size() && i < 4; ++i) {
      long long value = 0;
      if (!parseInteger(parts[i], value)) continue;
      if (value < 0 || value > 1023) {
        diag_.warning(where_, "window position or size outside 0..1023; clamped");
        value = value < 0 ? 0 : 1023;
      }
      *slots[i] = static_cast<int>(value);
    }
  }

  // A [MAP] line: "name=number", "name number" or "#define name number",
  // with a ';' or "//" comment after it, or "#include file" naming a file of
  // such lines (a C header of #defines, say).
  void mapEntry(std::string_view text) {
    if (const auto comment = text.find("//"); comment != std::string_view::npos) text = trim(text.substr(0, comment));
    if (const auto comment = text.find(';'); comment != std::string_view::npos) text = trim(text.substr(0, comment));
    if (text.empty()) return;
    if (startsWithIgnoreCase(text, "#include")) return mapInclude(trim(text.substr(8)));
    const bool define = startsWithIgnoreCase(text, "#define");
    if (define) text = trim(text.substr(7));
    else if (includeDepth_ > 0 && text.front() == '#') return;  // #ifndef and friends of a header
    std::string_view name, number;
    if (const auto eq = text.find('='); eq != std::string_view::npos) {
      name = trim(text.substr(0, eq));
      number = trim(text.substr(eq + 1));
    } else {
      const auto blank = text.find_first_of(" \t");
      if (blank == std::string_view::npos) {
        // "#define GUARD_H" in a header defines no number.
        if (!define || includeDepth_ == 0) diag_.warning(where_, "map entry without a number ignored");
        return;
      }
      name = trim(text.substr(0, blank));
      number = trim(text.substr(blank + 1));
    }
    long long id = 0;
    if (name.empty() || !parseInteger(stripParentheses(number), id)) {
      diag_.warning(where_, "map entry '" + std::string(text) + "' is not 'name=number'; ignored");
      return;
    }
    project_.map.push_back(MapEntry{std::string(name), static_cast<std::int32_t>(id), where_});
  }

  void alias(std::string_view text) {
    if (const auto comment = text.find(';'); comment != std::string_view::npos) text = trim(text.substr(0, comment));
    const auto eq = text.find('=');
    const std::string_view name = eq == std::string_view::npos ? std::string_view() : trim(text.substr(0, eq));
    const std::string_view context = eq == std::string_view::npos ? std::string_view() : trim(text.substr(eq + 1));
    if (name.empty() || context.empty()) {
      diag_.warning(where_, "alias '" + std::string(text) + "' is not 'alias=context string'; ignored");
      return;
    }
    project_.aliases.push_back(AliasEntry{std::string(name), std::string(context), where_});
  }

  // [BITMAPS] names picture files one by one (older projects); their folders
  // are searched like BMROOT's.
  void bitmapFile(std::string_view text) {
    const fs::path folder = resolveProjectPath(project_.projectDir, text).parent_path();
    if (std::find(listedBitmapFolders_.begin(), listedBitmapFolders_.end(), folder) == listedBitmapFolders_.end()) {
      listedBitmapFolders_.push_back(folder);
    }
  }

  // "(100)" and "(0x10 )" as C headers write numbers.
  static std::string_view stripParentheses(std::string_view number) {
    while (number.size() >= 2 && number.front() == '(' && number.back() == ')') number = trim(number.substr(1, number.size() - 2));
    return number;
  }

  void mapInclude(std::string_view written) {
    if (written.size() >= 2 && ((written.front() == '"' && written.back() == '"') ||
                                (written.front() == '<' && written.back() == '>'))) {
      written = trim(written.substr(1, written.size() - 2));
    }
    if (written.empty()) return diag_.warning(where_, "#include without a file name ignored");
    if (includeDepth_ >= kMaxIncludeDepth) {
      return diag_.warning(where_, "#include nested more than " + std::to_string(kMaxIncludeDepth) + " deep; ignored");
    }
    const fs::path path = resolveProjectPath(project_.projectDir, written);
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    if (std::find(including_.begin(), including_.end(), canonical) != including_.end()) {
      return diag_.warning(where_, "map file '" + std::string(written) + "' includes itself; ignored");
    }
    // Only a regular file of a sensible size: "#include /dev/zero" must not
    // read for ever.
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kMaxMapFile) {
      return diag_.warning(where_, "map file '" + std::string(written) + "' not found or not a file of at most " +
                                       std::to_string(kMaxMapFile >> 20) + " MB; its entries are missing");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return diag_.warning(where_, "map file '" + std::string(written) + "' cannot be read; its entries are missing");
    std::ostringstream content;
    content << in.rdbuf();
    const SourcePos including = where_;
    ++includeDepth_;
    including_.push_back(canonical);
    const std::string whole = content.str();
    std::string_view text = whole;
    bool inComment = false;
    for (int number = 1; !text.empty(); ++number) {
      const auto end = text.find('\n');
      std::string line(text.substr(0, end));
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      inComment = dropBlockComments(line, inComment);
      where_ = SourcePos{path.filename().string(), number};
      mapEntry(trim(line));
    }
    --includeDepth_;
    including_.pop_back();
    where_ = including;
  }

  // Removes /* ... */ comments from one line of a header; returns whether a
  // comment is still open at its end.
  static bool dropBlockComments(std::string& line, bool inComment) {
    std::string kept;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (inComment) {
        if (line.compare(i, 2, "*/") == 0) {
          inComment = false;
          ++i;
        }
      } else if (line.compare(i, 2, "/*") == 0) {
        inComment = true;
        ++i;
      } else {
        kept += line[i];
      }
    }
    line = kept;
    return inComment;
  }

  static constexpr int kMaxIncludeDepth = 8;
  static constexpr std::uintmax_t kMaxMapFile = 16u << 20;
  int includeDepth_ = 0;
  std::vector<fs::path> including_;  // the map files being read, outermost first
  std::vector<fs::path> listedBitmapFolders_;
  Diagnostics& diag_;
  HelpProject& project_;
  Section section_ = Section::None;
  SourcePos where_;
};

}  // namespace

HelpProject ProjectReader::readFile(const fs::path& projectFile) {
  std::ifstream in(projectFile, std::ios::binary);
  if (!in) {
    diag_.error(SourcePos{projectFile.string(), 0}, "cannot open the help project");
    HelpProject empty;
    empty.projectFile = projectFile;
    return empty;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return parse(text.str(), projectFile);
}

HelpProject ProjectReader::parse(std::string_view text, const fs::path& projectFile) {
  HelpProject project;
  project.projectFile = projectFile;
  project.projectDir = projectFile.has_parent_path() ? projectFile.parent_path() : fs::path(".");
  ProjectParser parser(diag_, project);
  int number = 0;
  while (!text.empty()) {
    ++number;
    const auto end = text.find('\n');
    parser.line(text.substr(0, end), number);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (project.helpFile.empty()) project.helpFile = project.projectDir / projectFile.stem().concat(".hlp");
  if (project.bitmapRoots.empty()) project.bitmapRoots.push_back(project.projectDir);
  for (const fs::path& folder : parser.listedBitmapFolders()) {
    if (std::find(project.bitmapRoots.begin(), project.bitmapRoots.end(), folder) == project.bitmapRoots.end()) {
      project.bitmapRoots.push_back(folder);
    }
  }
  return project;
}

}  // namespace hcrtf::compiler
