#include "corvane2/qvFirefoxProfiles.h"

#include "corvane2/qvIniFile.h"

namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string resolved(const std::string& path, bool relative, const std::string& iniFolder) {
  return relative ? iniFolder + "/" + path : path;
}

// A profile section's folder; IsRelative defaults to relative, as Firefox
// writes it for every profile it creates itself.
std::optional<std::string> profileFolder(const qvIniFile::Section& profile, const std::string& iniFolder) {
  std::optional<std::string> path = profile.value("Path");
  if (!path || path->empty()) return std::nullopt;
  return resolved(*path, profile.value("IsRelative").value_or("1") != "0", iniFolder);
}

std::optional<std::string> installDefault(const qvIniFile& file, const std::string& iniFolder) {
  for (const qvIniFile::Section& install : file.sections()) {
    if (!startsWith(install.name, "Install")) continue;
    std::optional<std::string> path = install.value("Default");
    if (!path || path->empty()) continue;
    // The profile section that holds the same path says whether it is
    // relative; without one, an absolute path is one that starts with "/".
    for (const qvIniFile::Section& profile : file.sections()) {
      if (startsWith(profile.name, "Profile") && profile.value("Path") == path) {
        return profileFolder(profile, iniFolder);
      }
    }
    return resolved(*path, path->front() != '/', iniFolder);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> qvFirefoxProfiles::defaultProfile(std::string_view profilesIni, const std::string& iniFolder) {
  const qvIniFile file = qvIniFile::parse(profilesIni);
  if (std::optional<std::string> folder = installDefault(file, iniFolder)) return folder;
  for (const qvIniFile::Section& profile : file.sections()) {
    if (startsWith(profile.name, "Profile") && profile.value("Default") == "1") {
      return profileFolder(profile, iniFolder);
    }
  }
  return std::nullopt;
}
