// hcrtf: compiles a help project (.hpj) and its RTF topic files into a
// WinHelp 4 help file.
//
//   hcrtf [/nc] [/xh] [other switches] PROJECT.hpj
//
// Switches start with "/" or "-" and hold no "." and no further "/"; an
// argument naming an existing file is a project whatever it looks like, so
// "/home/a/proj" is a path, not a switch. /nc and /xh are accepted and change nothing
// (there is no banner to hide and no window to leave open); /version (also
// -version, --version) prints the version and ends; others are reported and
// ignored. Exit status 0 means the help file was written.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "base/qvBuildVersion.h"
#include "hcrtf/compiler/Compiler.h"
#include "hcrtf/compiler/TextUtil.h"

namespace {

bool isSwitch(const std::string& arg) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
  if (arg.find('.') != std::string::npos || arg.find('/', 1) != std::string::npos) return false;
  std::error_code ignored;
  return !std::filesystem::exists(arg, ignored);
}

}  // namespace

int main(int argc, char** argv) {
  hcrtf::compiler::Diagnostics diagnostics(&std::cerr);
  std::vector<std::string> projects;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (isSwitch(arg)) {
      const std::string name = hcrtf::compiler::toLower(arg.substr(1));
      if (name == "version" || name == "-version") {
        std::cout << qvVersionLine("hcrtf") << "\n";
        return 0;
      }
      if (name != "nc" && name != "xh") diagnostics.warning({}, "unknown switch " + arg + " ignored");
      continue;
    }
    projects.push_back(arg);
  }
  if (projects.size() != 1) {
    std::cerr << "usage: hcrtf [/nc] [/xh] PROJECT.hpj\n";
    return 2;
  }
  hcrtf::compiler::Compiler compiler(diagnostics);
  const hcrtf::compiler::CompileResult result = compiler.compile(projects.front());
  if (!result.written) {
    std::cerr << "hcrtf: " << diagnostics.errorCount() << " error(s); no help file written\n";
    return 1;
  }
  return 0;
}
