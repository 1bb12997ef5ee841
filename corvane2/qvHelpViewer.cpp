#include "corvane2/qvHelpViewer.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <dlfcn.h>

#include <filesystem>

#include "platform/qvDynamicLibrary.h"
#include "platform/qvProcess.h"

namespace {

std::string libraryDirectory() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&qvHelpViewer::helpFile), &info) == 0 || info.dli_fname == nullptr) return {};
  return std::filesystem::path(info.dli_fname).parent_path().string();
}

}  // namespace

namespace qvHelpViewer {

std::string helpFile() {
  for (const std::string& folder : {libraryDirectory(), qvDynamicLibrary::executableDirectory()}) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/Corvane.hlp";
    if (std::filesystem::is_regular_file(candidate)) return candidate;
  }
  return {};
}

std::string open(const char* context) {
  const std::string viewer = qvProcess::findProgram("winhlp32");
  if (viewer.empty()) return "No help viewer was found (Wine's winhlp32 is not installed).";
  const std::string file = helpFile();
  if (file.empty()) return "The help file Corvane.hlp was not found.";
  const QFileInfo info(QString::fromStdString(file));
  // Started detached: the viewer is not our child, so nothing is left to reap.
  const bool started = QProcess::startDetached(QString::fromStdString(viewer),
                                               {"-i", QString::fromLatin1(context), info.fileName()}, info.absolutePath());
  return started ? std::string() : "The help viewer could not be started.";
}

}  // namespace qvHelpViewer
