#pragma once
// Starts the help compiler as a child process when no user-interface library
// does it for us (console and batch runs): finds the program beside the
// running executable or on PATH, passes its output on line by line, and waits
// for it to end.

#include <functional>
#include <string>
#include <vector>

class qvHelpCompilerRunner {
 public:
  // Receives each line the compiler writes (standard output and error
  // together), without its line end.
  using LineSink = std::function<void(const std::string&)>;

  struct Result {
    bool started = false;  // false: the program was not found or could not start
    int exitStatus = -1;   // the child's exit status; -1 when it died of a signal
    std::string error;     // why it did not start, when it did not
  };

  // Runs `commandLine` (split at blanks; the first word names the program) in
  // `directory`, or in the current directory when that is null, and waits.
  static Result run(const std::string& commandLine, const char* directory, const LineSink& sink);

  // Full path of `program`: beside the running executable, else the first
  // executable match on PATH; empty when there is none. A name that contains
  // "/" is taken as it stands.
  static std::string locate(const std::string& program);

  // `commandLine` split at blanks, empty words dropped.
  static std::vector<std::string> splitWords(const std::string& commandLine);
};
