#pragma once
// Settings and URL profiles in the registry: the settings key and one key per
// profile below "Urls". Values missing or of another kind read as the
// defaults of qvWindowSettings and qvProfileOptions; the engine's batch mode
// reads the same names and kinds.

#include <optional>
#include <string>

#include "corvane2/TqvRegistry.h"
#include "corvane2/qvWindowSettings.h"

class qvRegistry;

class qvSettingsStore {
 public:
  static constexpr int kHistoryLimit = 64;

  explicit qvSettingsStore(qvRegistry& registry);

  // The settings key, or nothing when there is none yet. `outputLocation`
  // is the default of "DefaultOutputLocation". A port that is not a number
  // switches the proxy off and reads as "0".
  std::optional<qvWindowSettings> loadSettings(const std::string& outputLocation);

  // Writes the settings key and, when `profileUrl` has a profile, `options`
  // into it, in one update. The URL history is written only when it is not
  // empty; the proxy exceptions always (an emptied list stays empty).
  // `forgetFirstRun` deletes "FirstRun" in the same update.
  bool saveSettings(const qvWindowSettings& settings, const std::string& profileUrl,
                    const qvProfileOptions& options, bool forgetFirstRun = false);
  // Only the settings key, with no profile (the save that follows a change).
  bool saveSettingsOnly(const qvWindowSettings& settings);

  bool profileExists(const std::string& url);
  // The URL's profile, else "default", else nothing. A colour outside 0 to 3
  // reads as 0.
  std::optional<qvProfileOptions> loadProfile(const std::string& url);
  bool saveProfile(const std::string& url, const qvProfileOptions& options);
  bool deleteProfile(const std::string& url);

  // Puts `url` at the top of `history` (moving an equal entry up); an entry
  // pushed beyond the limit is dropped with its profile. Saves `options` as
  // the URL's profile, all in one update.
  bool addToHistory(std::vector<std::string>& history, const std::string& url, const qvProfileOptions& options);

  const std::string& errorText() const { return registry_.ErrorText(); }
  // The report of a registry file that was put aside, once.
  std::string takeWarning() { return registry_.TakeWarning(); }

 private:
  static std::string profileKey(const std::string& url);
  void writeSettings(const qvWindowSettings& settings);
  void writeProfile(const std::string& url, const qvProfileOptions& options);
  qvProfileOptions readProfile();

  TqvRegistry registry_;
};
