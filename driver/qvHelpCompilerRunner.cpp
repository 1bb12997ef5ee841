#include "driver/qvHelpCompilerRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace {

bool isExecutable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

std::string executableDirectory() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<std::size_t>(n));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Owns both ends of a pipe until they are handed over or closed.
class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  bool ok() const { return fds_[0] >= 0; }
  int readEnd() const { return fds_[0]; }
  int writeEnd() const { return fds_[1]; }
  void closeWrite() { closeFd(fds_[1]); }
  void closeRead() { closeFd(fds_[0]); }

 private:
  static void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

// Hands every complete line read from `fd` to `sink`, then the unterminated
// rest; carriage returns before line ends are dropped.
void forwardLines(int fd, const qvHelpCompilerRunner::LineSink& sink) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(n));
    for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
      std::string text = pending.substr(0, nl);
      if (!text.empty() && text.back() == '\r') text.pop_back();
      if (sink) sink(text);
      pending.erase(0, nl + 1);
    }
  }
  if (!pending.empty() && sink) sink(pending);
}

}  // namespace

std::vector<std::string> qvHelpCompilerRunner::splitWords(const std::string& commandLine) {
  std::vector<std::string> words;
  std::istringstream in(commandLine);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string qvHelpCompilerRunner::locate(const std::string& program) {
  if (program.find('/') != std::string::npos) return isExecutable(program) ? program : std::string();
  const std::string beside = executableDirectory() + "/" + program;
  if (isExecutable(beside)) return beside;
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
    if (isExecutable(candidate)) return candidate;
  }
  return {};
}

qvHelpCompilerRunner::Result qvHelpCompilerRunner::run(const std::string& commandLine, const char* directory,
                                                       const LineSink& sink) {
  Result result;
  std::vector<std::string> words = splitWords(commandLine);
  if (words.empty()) {
    result.error = "empty command line";
    return result;
  }
  const std::string program = locate(words[0]);
  if (program.empty()) {
    result.error = words[0] + " not found beside the executable or on PATH";
    return result;
  }
  Pipe output;
  if (!output.ok()) {
    result.error = std::strerror(errno);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output.writeEnd(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output.writeEnd(), STDERR_FILENO);
  if (directory != nullptr) posix_spawn_file_actions_addchdir_np(&actions, directory);
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = -1;
  const int rc = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  output.closeWrite();
  if (rc != 0) {
    result.error = program + ": " + std::strerror(rc);
    return result;
  }
  result.started = true;
  forwardLines(output.readEnd(), sink);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
