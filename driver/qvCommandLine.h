#pragma once
// The engine's command line. Each argument is an option (it begins with "-")
// or a start point. An option is matched against the keyword table in order:
// the text after the "-", lower-cased, selects the first keyword it begins
// with (so -NoImages selects "noim" and -DEBUG selects "deb"); an option that
// matches nothing is ignored. A leading "--" is read as "-". Options that take
// an argument take the next command-line argument.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct qvDriverSettings;

// A command-line mistake; what() is the text to print, the process ends with
// status 1.
class qvCommandLineError : public std::runtime_error {
 public:
  explicit qvCommandLineError(const std::string& text) : std::runtime_error(text) {}
};

class qvCommandLine {
 public:
  // Everything the command line asked for beyond the driver's settings.
  bool heapDebug = false;  // "heapd": kept, nothing reads it
  // Colour switches: the topic colours and the matching colour choice
  // (1 Tan, 2 White, 3 Grey).
  struct Colours {
    unsigned mainColour;
    unsigned nonScrollColour;
    int choice;
  };
  std::optional<Colours> colours;
  bool batch = false;
  bool help = false;
  bool version = false;
  bool offline = false;
  bool noCache = false;
  bool https = false;
  std::optional<int> maxURLs;
  std::optional<int> depth;
  std::optional<std::string> out;
  std::optional<std::string> proxyHost;
  std::optional<int> proxyPort;
  std::optional<int> timeMinutes;
  std::vector<std::string> startPoints;
  // Options given that this build accepts but cannot act on (the network
  // and the disk cache are not built in yet), as keywords.
  std::vector<std::string> notInThisBuild;

  // True when the first argument is exactly "-fulldebug": full debugging
  // then starts before anything else happens.
  static bool firstArgumentIsFullDebug(const std::vector<std::string>& args);

  // The keyword an option argument selects, or null. `arg` includes its "-".
  static const char* matchKeyword(const std::string& arg);

  // Reads `args` (without the program name) left to right, setting the
  // fields above and the settings the options name. `onArgument` is called
  // once per argument before it is looked at. Throws qvCommandLineError for
  // a missing or malformed option argument.
  template <typename OnArgument>
  void parse(const std::vector<std::string>& args, qvDriverSettings& settings, OnArgument onArgument) {
    for (size_t i = 0; i < args.size(); ++i) {
      onArgument();
      i = parseOne(args, i, settings);
    }
  }
  void parse(const std::vector<std::string>& args, qvDriverSettings& settings) {
    parse(args, settings, [] {});
  }

  // The usage text, listing every option.
  static std::string usage();

 private:
  // Handles args[i]; returns the index of the last argument it used.
  size_t parseOne(const std::vector<std::string>& args, size_t i, qvDriverSettings& settings);
  static std::string takeArgument(const std::vector<std::string>& args, size_t& i, const std::string& option);
  static int takeNumber(const std::vector<std::string>& args, size_t& i, const std::string& option);
};
