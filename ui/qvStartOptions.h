#pragma once
// The checks and settings made when a run is started, shared by the window's
// Start button and the console's batch run: what kind of start point a text
// is, the help file name, the colour choice and the options line of the log.

#include <string>

class qvStartPoints;
class qvUserInterface;
struct qvDriverSettings;

class qvStartOptions {
 public:
  // A start point is a local path when its second character is ':', when it
  // begins with "/", or when it holds no "://" and names an existing file or
  // directory. Everything else is a URL. A relative path is looked up in
  // `baseDirectory` when one is given, else in the current directory.
  static bool isLocalPath(const std::string& start, const std::string& baseDirectory = {});

  // Whether the help file can be written. An existing file is opened without
  // being emptied, so a failed run does not destroy the last help file; a new
  // one is created and removed again.
  static bool canCreateHelpFile(const std::string& name);

  // Sets the topic colours for colour choice 0 Auto, 1 Tan, 2 White, 3 Grey
  // and returns ", Colour " + its name; any other choice sets nothing and
  // returns "". Auto also sets the settings' autoColour flag.
  static std::string applyColourChoice(int choice, qvStartPoints& starts, qvDriverSettings& settings);

  // Reads the toggles and limits, applies the colour choice of getValue(3),
  // and logs "Options are [...]" (log only) and "Output help file is ...".
  static void reportStartOptions(qvUserInterface& ui, qvStartPoints& starts, qvDriverSettings& settings);

};
