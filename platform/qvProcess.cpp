#include "platform/qvProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/qvDynamicLibrary.h"

extern char** environ;

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> qvProcess::splitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  for (char c : commandLine) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

std::string qvProcess::findProgram(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : std::string();
  std::string beside = qvDynamicLibrary::executableDirectory() + "/" + program;
  if (isExecutableFile(beside)) return beside;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
    if (isExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

bool qvProcess::start(const std::string& commandLine, const char* directory) {
  return start(commandLine, directory, -1);
}

bool qvProcess::start(const std::string& commandLine, const char* directory, int outputFd) {
  error_.clear();
  std::vector<std::string> words = splitCommandLine(commandLine);
  std::string program = words.empty() ? std::string() : findProgram(words[0]);
  if (program.empty()) {
    error_ = std::strerror(ENOENT);
    return false;
  }
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outputFd >= 0) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
  }
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (directory != nullptr) posix_spawn_file_actions_addchdir_np(&actions, directory);
  int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    error_ = std::strerror(rc);
    return false;
  }
  return true;
}

int qvProcess::wait() {
  if (pid_ < 0) return -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) {
      pid_ = -1;
      return -1;
    }
  }
  pid_ = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}
