#include "ui/qvStartOptions.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/qvDriverSettings.h"
#include "base/qvTextUtil.h"
#include "ui/qvStartPoints.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

bool qvStartOptions::isLocalPath(const std::string& start, const std::string& baseDirectory) {
  if (start.size() >= 2 && start[1] == ':') return true;
  if (!start.empty() && start[0] == '/') return true;
  if (start.empty() || start.find("://") != std::string::npos) return false;
  const std::string path = baseDirectory.empty() ? start : baseDirectory + "/" + start;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}


bool qvStartOptions::canCreateHelpFile(const std::string& name) {
  if (name.empty()) return false;
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return false;
    std::FILE* existing = std::fopen(name.c_str(), "ab");
    if (existing == nullptr) return false;
    std::fclose(existing);
    return true;
  }
  std::FILE* created = std::fopen(name.c_str(), "wb");
  if (created == nullptr) return false;
  std::fclose(created);
  return ::unlink(name.c_str()) == 0;
}

std::string qvStartOptions::applyColourChoice(int choice, qvStartPoints& starts, qvDriverSettings& settings) {
  settings.autoColour = false;
  switch (choice) {
    case 0:
      starts.setColours(0xFFFFFF, 0xE2FFFF);
      settings.autoColour = true;
      return ", Colour Auto";
    case 1:
      starts.setColours(0xE2FFFF, 0xFFFFFF);
      return ", Colour Tan";
    case 2:
      starts.setColours(0xFFFFFF, 0xE2FFFF);
      return ", Colour White";
    case 3:
      starts.setColours(0xC0C0C0, 0xE2FFFF);
      return ", Colour Grey";
    default:
      return "";
  }
}

void qvStartOptions::reportStartOptions(qvUserInterface& ui, qvStartPoints& starts, qvDriverSettings& settings) {
  std::string options = ui.readToggles() + ", " + ui.readValues();
  options += applyColourChoice(ui.getValue(qvValueIndex::kColourChoice), starts, settings);
  ui.statusMessage("Options are [" + options + "]", true);
  ui.statusMessage("Output help file is " + settings.helpFileName);
}

