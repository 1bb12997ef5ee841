#pragma once
// Starting another program. A command line is split at blanks; its first
// word names the program, which is looked for beside the running executable
// first, then on PATH (a word containing "/" is taken as a path). The child
// gets the caller's environment and no open files beyond the three standard
// streams.

#include <string>
#include <sys/types.h>
#include <vector>

class qvProcess {
 public:
  // The words of `commandLine` (runs of blanks separate them).
  static std::vector<std::string> splitCommandLine(const std::string& commandLine);
  // Where `program` would be started from; empty when it is nowhere.
  static std::string findProgram(const std::string& program);

  // Starts the command line in `directory` (null: the current directory).
  // False with errorText() (the system's text) when it could not be started.
  bool start(const std::string& commandLine, const char* directory);
  // The same, with standard output and error going to `outputFd` and
  // standard input reading nothing.
  bool start(const std::string& commandLine, const char* directory, int outputFd);

  // Waits for the started process: its exit status, or 128 + signal number
  // when a signal ended it, or -1 when nothing was started.
  int wait();

  pid_t pid() const { return pid_; }
  const std::string& errorText() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string error_;
};
