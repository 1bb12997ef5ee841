#pragma once
// The engine's driver: brings the subsystems up in a fixed order, reads the
// command line, then performs conversion runs one after another. Each run
// waits for a start (unless start points are already pending), crawls,
// writes the topics, writes the help project and has it compiled, and always
// ends by forgetting the run's URLs. A batch run does this once and reports
// through the exit status whether a help file was written.
//
// The driver is also where start points arrive, from the command line and
// from the window's Start button (qvStartPoints).

#include <memory>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"
#include "driver/qvCommandLine.h"
#include "driver/qvExitThread.h"
#include "ui/qvDebugLog.h"
#include "ui/qvMemoryLog.h"
#include "ui/qvStartPoints.h"
#include "ui/qvUserInterfaceFactory.h"

class qvConversionRun;
class qvHtmlContext;
class qvImgLib;
class qvTCP;
class qvUserInterface;

class qvDriver : public qvStartPoints {
 public:
  // Exit statuses of a batch run.
  static constexpr int kHelpFileWritten = 0;
  static constexpr int kStartFailed = 1;
  static constexpr int kNoHelpFile = 2;
  // A help file was written, but it holds none of the site's pages: only
  // the fixed topics, since every start point failed.
  static constexpr int kNothingConverted = 3;

  // `args` are the command-line arguments without the program name.
  explicit qvDriver(std::vector<std::string> args);
  ~qvDriver() override;

  // Start-up and the run loop. Returns only in batch mode (with the exit
  // status); failures of start-up end the process with status 1.
  int run();

  // qvStartPoints
  int addLocalStart(const std::string& path) override;
  UrlResult addStartUrl(const std::string& url) override;
  void clearStarts() override;
  void setColours(unsigned mainColour, unsigned nonScrollColour) override;

 private:
  // Start-up steps.
  void readWorkingDirectory();
  // Console or window: -help, -batch, the display and the start points decide.
  void chooseUserInterface();
  void createUserInterface();
  // Reports that the user interface could not be set up and ends the process.
  [[noreturn]] void failUserInterface();
  void startThreads();
  void processArguments();
  bool httpsSaved() const;
  void addCommandLineStart(const std::string& start);
  void prepareBatchRun();
  // Loads the picture libraries; without them the process ends.
  void startImageLibrary();
  void startNetwork();
  void createWorkDirectories();
  [[noreturn]] void fail(int checkpoint);

  // One run and its steps.
  void oneRun();
  bool haveStart();
  void prepareRun();
  bool openPopups();
  void crawlStep();
  void finalPassStep();
  void projectStep();
  void finishRun();
  int batchResult() const;

  void cleanWorkingFiles();
  std::string resolveAgainstStartDirectory(const std::string& path) const;

  std::vector<std::string> args_;
  std::string startDirectory_;  // the directory the engine was started in
  qvDriverSettings settings_;
  qvDebugLog debugLog_;
  qvCommandLine commandLine_;
  qvUserInterfaceFactory::Kind kind_ = qvUserInterfaceFactory::Kind::Gui;
  std::unique_ptr<qvUserInterface> ui_;
  std::unique_ptr<qvHtmlContext> context_;
  std::unique_ptr<qvImgLib> imageLibrary_;
  // The HTTP client of every run.
  std::unique_ptr<qvTCP> network_;
  // The crawl, final pass and project steps; made at the first run.
  std::unique_ptr<qvConversionRun> conversion_;
  bool haveProject_ = false;
  std::unique_ptr<qvExitThread> exitThread_;
  std::unique_ptr<qvMemDebugThread> memDebugThread_;
  std::unique_ptr<qvGarbageThread> garbageThread_;
  int startCount_ = 0;
  long runStartTime_ = 0;
  // What the last run gave: topics of the site written, and why the start
  // point gave none (empty when it was converted).
  int topicsWritten_ = 0;
  std::string startFailure_;
};
