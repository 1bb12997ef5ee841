#include "corvane2/qvHcRtfRunner.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "base/qvHelpFileName.h"
#include "corvane2/TGUIThread.h"
#include "corvane2/TqvNewStatus.h"
#include "corvane2/qvSharedBlock.h"
#include "corvane2/qvWindowBox.h"
#include "platform/qvMessageBox.h"
#include "platform/qvProcess.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

void reportFailure(const std::string& reason) {
  const bool shown = TGUIThread::instance().invoke([&reason] {
    qvShowWindowBox(TGUIThread::instance().window(), reason, "Could not run help compiler",
                    qvMessageBox::kOk | qvMessageBox::kIconWarning);
  });
  if (!shown) std::fprintf(stderr, "Could not run help compiler: %s\n", reason.c_str());
}

std::string readAll(int fd) {
  std::string output;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const std::size_t room = qvHcRtfRunner::kOutputLimit - std::min<std::size_t>(output.size(), qvHcRtfRunner::kOutputLimit);
    output.append(chunk, std::min<std::size_t>(room, static_cast<std::size_t>(got)));
  }
  return output;
}

// Collects the output until the compiler closes it, reaps the compiler and
// tells the window.
void watch(std::shared_ptr<qvProcess> process, int outputFd) {
  const std::string output = readAll(outputFd);
  ::close(outputFd);
  const int status = process->wait();
  TqvNewStatus* const window = TGUIThread::instance().window();
  if (window == nullptr) return;
  const QString shown = QString::fromLocal8Bit(output.c_str());
  QMetaObject::invokeMethod(window, [window, status, shown] { window->helpCompilerEnded(status, shown); },
                            Qt::QueuedConnection);
}

}  // namespace

int qvHcRtfRunner::run(const char* commandLine, const char* directory) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    reportFailure(std::strerror(errno));
    return 0;
  }
  auto process = std::make_shared<qvProcess>();
  const bool started = process->start(commandLine != nullptr ? commandLine : "", directory, pipeFds[1]);
  ::close(pipeFds[1]);
  if (!started) {
    ::close(pipeFds[0]);
    reportFailure(process->errorText());
    return 0;
  }
  char name[1024] = {};
  qvSharedBlock::instance().copyText(qvStringIndex::kHelpFileName, name, sizeof name);
  const QString helpFile = QString::fromLocal8Bit(qvHelpFileName::withExtension(name).c_str());
  // Decided on the window thread before the engine can report idle, so Start
  // never comes back while the compiler still reads the work files.
  TGUIThread::instance().invoke([helpFile] { TGUIThread::instance().window()->helpCompilerStarted(helpFile); });
  std::thread(watch, process, pipeFds[0]).detach();
  return 1;
}
