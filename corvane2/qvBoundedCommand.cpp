#include "corvane2/qvBoundedCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/qvFileDescriptor.h"
#include "platform/qvProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Reads until end of file or the deadline; false at the deadline.
bool readUntilClosed(int fd, Clock::time_point deadline, size_t maxBytes, std::string& out) {
  char buffer[4096];
  while (true) {
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, millisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return true;
    size_t room = maxBytes > out.size() ? maxBytes - out.size() : 0;
    out.append(buffer, std::min(room, static_cast<size_t>(n)));
  }
}

// The exit status when the child ends before the deadline; otherwise the
// child is killed and reaped, and -1 returned.
int reap(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (true) {
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return -1;
}

}  // namespace

std::optional<std::string> qvBoundedCommand::run(const std::string& commandLine, int timeoutMs,
                                                  size_t maxBytes) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  qvFileDescriptor readEnd(fds[0]);
  qvProcess process;
  {
    qvFileDescriptor writeEnd(fds[1]);
    if (!process.start(commandLine, nullptr, writeEnd.get())) return std::nullopt;
  }
  std::string output;
  const bool complete = readUntilClosed(readEnd.get(), deadline, maxBytes, output);
  const int status = reap(process.pid(), complete ? deadline : Clock::now());
  if (!complete || status != 0) return std::nullopt;
  return output;
}
