#pragma once
// Which Firefox profile is the default one, from the profiles.ini of a
// Firefox folder: the profile an [Install...] section names with Default=,
// else the [Profile...] section marked Default=1. Relative paths are taken
// from the folder of profiles.ini.

#include <optional>
#include <string>
#include <string_view>

class qvFirefoxProfiles {
 public:
  // The default profile's folder, or nothing when the file names none.
  static std::optional<std::string> defaultProfile(std::string_view profilesIni, const std::string& iniFolder);
};
