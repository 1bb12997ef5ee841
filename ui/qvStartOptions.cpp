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

namespace {

std::string trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string dropHostPrefix(const std::string& text) {
  if (text.rfind("www.", 0) == 0) return text.substr(4);
  if (text.rfind("ftp.", 0) == 0) return text.substr(4);
  return text;
}

std::string cutAt(const std::string& text, char c) { return text.substr(0, text.find(c)); }

}  // namespace

bool qvStartOptions::isLocalPath(const std::string& start, const std::string& baseDirectory) {
  if (start.size() >= 2 && start[1] == ':') return true;
  if (!start.empty() && start[0] == '/') return true;
  if (start.empty() || start.find("://") != std::string::npos) return false;
  const std::string path = baseDirectory.empty() ? start : baseDirectory + "/" + start;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string qvStartOptions::withHelpExtension(const std::string& name) {
  std::string lowered = qvLowerCase(name);
  if (lowered.size() >= 4 && lowered.compare(lowered.size() - 4, 4, ".hlp") == 0) return name;
  return name + ".hlp";
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

std::string qvStartOptions::derivedHelpName(const std::string& url) {
  std::string text = qvLowerCase(trim(url));
  std::string name;
  if (text.rfind("http://", 0) == 0) {
    name = cutAt(dropHostPrefix(cutAt(text.substr(7), '/')), '.');
  } else if (text.size() > 2 && text[1] == ':') {
    std::string rest = text.substr(2);
    name = cutAt(rest.substr(rest.rfind('\\') == std::string::npos ? 0 : rest.rfind('\\') + 1), '.');
  } else {
    size_t scheme = text.find("://");
    if (scheme != std::string::npos) text = text.substr(scheme + 3);
    while (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    size_t back = text.rfind('\\');
    if (back != std::string::npos) text = text.substr(back + 1);
    size_t slash = text.rfind('/');
    if (slash != std::string::npos) text = text.substr(slash + 1);
    name = cutAt(dropHostPrefix(text), '.');
  }
  std::replace(name.begin(), name.end(), '\\', '/');
  for (char& c : name) {
    if (c == ':' || c == '?' || c == '/') c = '-';
  }
  if (name.empty()) name = "project";
  return name + ".hlp";
}
