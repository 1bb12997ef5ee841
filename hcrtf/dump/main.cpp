// hlpdump: prints what a Windows Help file contains, in a stable text form.

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "base/qvBuildVersion.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/dump/HelpDumper.h"
#include "hcrtf/dump/HelpFile.h"

namespace {

namespace dump = hcrtf::dump;

const char* const kUsage =
    "usage: hlpdump FILE [--files] [--system] [--fonts] [--topics] [--titles]\n"
    "               [--context] [--keywords] [--map] [--pictures [DIR]] [--ppm]\n"
    "               [--targets] [--names FILE] [--no-offsets]\n"
    "       hlpdump --version\n"
    "Prints the sections asked for (all without any); --pictures DIR also writes\n"
    "every bitmap as DIR/bmN-I.bmp (or .ppm with --ppm); --names reads context\n"
    "strings, one a line, to show beside their hashes; --no-offsets leaves\n"
    "topic positions out, for comparing builds with and without compression;\n"
    "--targets lists the jumps, popups and jump macros into this file that lead\n"
    "to no topic.\n";

// Exit codes: 0 all read, 1 damaged parts reported, 2 not readable at all
// or a usage error.
constexpr int kDamaged = 1;
constexpr int kUnusable = 2;

bool readNames(const std::string& path, dump::DumpOptions& options) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) options.names.emplace(hcrtf::helpHash(line), line);
  }
  return true;
}

bool flag(const char* arg, dump::DumpOptions& o) {
  struct { const char* name; bool dump::DumpOptions::*member; } const flags[] = {
      {"--files", &dump::DumpOptions::files},     {"--system", &dump::DumpOptions::system},
      {"--fonts", &dump::DumpOptions::fonts},     {"--topics", &dump::DumpOptions::topics},
      {"--titles", &dump::DumpOptions::titles},   {"--context", &dump::DumpOptions::context},
      {"--keywords", &dump::DumpOptions::keywords}, {"--map", &dump::DumpOptions::map},
      {"--targets", &dump::DumpOptions::targets}, {"--ppm", &dump::DumpOptions::ppm},
      {"--no-offsets", &dump::DumpOptions::noOffsets}};
  for (const auto& f : flags) {
    if (std::strcmp(arg, f.name) == 0) {
      o.*f.member = true;
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  dump::DumpOptions options;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (flag(arg, options)) continue;
    if (std::strcmp(arg, "--version") == 0) {
      std::cout << qvVersionLine("hlpdump") << "\n";
      return 0;
    }
    if (std::strcmp(arg, "--pictures") == 0) {
      options.pictures = true;
      if (i + 1 < argc && argv[i + 1][0] != '-') options.pictureDir = argv[++i];
    } else if (std::strcmp(arg, "--names") == 0 && i + 1 < argc) {
      if (!readNames(argv[++i], options)) {
        std::cerr << "hlpdump: cannot read names from " << argv[i] << "\n";
        return kUnusable;
      }
    } else if (arg[0] != '-' && path.empty()) {
      path = arg;
    } else {
      std::cerr << "hlpdump: unknown argument " << arg << "\n" << kUsage;
      return kUnusable;
    }
  }
  if (path.empty()) {
    std::cerr << kUsage;
    return kUnusable;
  }
  try {
    const dump::HelpFile file = dump::HelpFile::load(path);
    options.helpFileName = std::filesystem::path(path).filename().string();
    dump::HelpDumper dumper(file, options);
    const int errors = dumper.dump(std::cout);
    std::cout.flush();
    return errors == 0 ? 0 : kDamaged;
  } catch (const std::exception& e) {
    std::cerr << "hlpdump: " << path << ": " << e.what() << "\n";
    return kUnusable;
  }
}
