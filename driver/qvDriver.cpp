#include "driver/qvDriver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "base/qvBuildVersion.h"
#include "base/qvHelpFileName.h"
#include "driver/qvConversionRun.h"
#include "driver/qvLocalScanner.h"
#include "driver/qvTemporaryFiles.h"
#include "html/qvHtmlContext.h"
#include "image/qvGuiImgLib.h"
#include "net/qvTCP.h"
#include "platform/qvProcessExit.h"
#include "platform/qvRegistry.h"
#include "ui/qvGuiUserInterface.h"
#include "ui/qvPlainUserInterface.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvStartOptions.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {


std::string currentDirectory() {
  std::error_code ec;
  std::string dir = std::filesystem::current_path(ec).string();
  return ec ? std::string(".") : dir;
}

bool haveDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

}  // namespace

qvDriver::qvDriver(std::vector<std::string> args)
    : args_(std::move(args)), startDirectory_(currentDirectory()), debugLog_(settings_) {}

qvDriver::~qvDriver() = default;

int qvDriver::run() {
  // 1. -fulldebug as the first argument covers all of start-up.
  if (qvCommandLine::firstArgumentIsFullDebug(args_)) settings_.fullDebug = true;
  debugLog_.checkpoint(0);
  debugLog_.checkpoint(5);
  // 2. Native support: the cache builds its own tables when it starts.
  debugLog_.checkpoint(10);
  // 3. The working directory.
  readWorkingDirectory();
  debugLog_.checkpoint(20);
  // 4. and 5. The MIME table, prototypes, item list and image library are
  // created by the passes that use them.
  debugLog_.checkpoint(30);
  debugLog_.checkpoint(40);
  // 6. The user interface and the conversion context.
  createUserInterface();
  debugLog_.checkpoint(120);
  // 8. Housekeeping threads.
  startThreads();
  debugLog_.checkpoint(140);
  // 9. Options and start points.
  processArguments();
  // 10.
  ui_->statusMessage("Corvane version " + settings_.version);
  debugLog_.checkpoint(200);
  debugLog_.checkpoint(210);
  startImageLibrary();
  debugLog_.checkpoint(230);
  // 13.
  startNetwork();
  debugLog_.checkpoint(240);
  // 14.
  createWorkDirectories();
  debugLog_.checkpoint(250);
  // 15. The run loop.
  debugLog_.checkpoint(320);
  if (kind_ == qvUserInterfaceFactory::Kind::Plain) prepareBatchRun();
  for (int checkpoint : {330, 340, 350, 360}) debugLog_.checkpoint(checkpoint);
  for (;;) {
    oneRun();
    if (commandLine_.batch) return batchResult();
  }
}

void qvDriver::startImageLibrary() {
  imageLibrary_ = std::make_unique<qvGuiImgLib>(*ui_);
  if (!imageLibrary_->init()) {
    const std::string text = "Graphics converter initialise failed (" + imageLibrary_->getMessage() + ")";
    ui_->errorBox(text);
    ui_->statusMessage(text);
    qvEndProcess(kStartFailed);
  }
  context_->imageLibrary = imageLibrary_.get();
}

void qvDriver::startNetwork() {
  network_ = std::make_unique<qvTCP>(*ui_, qvConversionRun::kWorkDirectory);
  if (network_->init(settings_.version)) return;
  ui_->showError("Error initialising comms subsystem");
  qvEndProcess(kStartFailed);
}

void qvDriver::readWorkingDirectory() {
  qvRegistry registry(qvRegistry::defaultPath());
  std::optional<std::string> path = registry.readString(kCorvaneSettingsKey, "Path");
  std::string warning = registry.takeWarning();
  if (!warning.empty()) std::cerr << warning << std::endl;
  if (!path || path->empty()) return;
  if (::chdir(path->c_str()) != 0) {
    std::cerr << "cannot change to the working directory " << *path << ": " << std::strerror(errno) << std::endl;
  }
}

void qvDriver::chooseUserInterface() {
  // The choice is made before the options are read in earnest, since the
  // interface must exist to report on them.
  qvDriverSettings scratch;
  qvCommandLine preview;
  bool malformed = false;
  try {
    preview.parse(args_, scratch);
  } catch (const qvCommandLineError&) {
    malformed = true;  // reported when the arguments are read in earnest
  }
  if (preview.help) {
    std::cout << qvCommandLine::usage();
    qvEndProcess(0);
  }
  if (preview.version) {
    std::cout << qvVersionLine("corvane") << "\n";
    qvEndProcess(0);
  }
  if (!preview.batch && !haveDisplay()) {
    std::cerr << "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): running in batch mode."
              << std::endl;
    preview.batch = true;
  }
  if (preview.batch && preview.startPoints.empty() && !malformed) {
    std::cerr << qvCommandLine::usage();
    qvEndProcess(kStartFailed);
  }
  commandLine_.batch = preview.batch;
  kind_ = preview.batch ? qvUserInterfaceFactory::Kind::Plain : qvUserInterfaceFactory::Kind::Gui;
}

void qvDriver::createUserInterface() {
  chooseUserInterface();
  debugLog_.checkpoint(90);
  ui_ = qvUserInterfaceFactory::create(kind_, settings_);
  context_ = std::make_unique<qvHtmlContext>(*ui_, settings_);
  if (!ui_->load()) failUserInterface();
  debugLog_.checkpoint(100);
  if (!ui_->init()) failUserInterface();
  debugLog_.checkpoint(110);
}

void qvDriver::failUserInterface() {
  std::string text = "failed to initialise user interface (" + ui_->getErrorText() + ")";
  if (kind_ == qvUserInterfaceFactory::Kind::Gui) {
    ui_->errorBox(text);
  } else {
    std::cout << text << std::endl;
  }
  qvEndProcess(kStartFailed);
}

void qvDriver::startThreads() {
  auto* logging = dynamic_cast<qvLoggingUserInterface*>(ui_.get());
  qvExitThread::Actions actions;
  actions.closeLog = [logging] {
    if (logging) logging->closeLog();
  };
  actions.cleanWorkingFiles = [this] { cleanWorkingFiles(); };
  exitThread_ = std::make_unique<qvExitThread>(*ui_, std::move(actions));
  garbageThread_ = std::make_unique<qvGarbageThread>(settings_);
  // The debug switch may only be seen with the arguments, so the memory
  // trace starts there too (see processArguments).
  if (settings_.debug) memDebugThread_ = std::make_unique<qvMemDebugThread>();
}

void qvDriver::processArguments() {
  debugLog_.checkpoint(150);
  debugLog_.checkpoint(160);
  debugLog_.checkpoint(170);
  bool batch = commandLine_.batch;
  try {
    commandLine_.parse(args_, settings_, [this] { debugLog_.checkpoint(180); });
  } catch (const qvCommandLineError& e) {
    std::cout << e.what() << std::endl;
    qvEndProcess(kStartFailed);
  }
  // No display makes a batch run even without the option.
  commandLine_.batch = batch;
  if (settings_.debug && !memDebugThread_) memDebugThread_ = std::make_unique<qvMemDebugThread>();
  if (commandLine_.colours) setColours(commandLine_.colours->mainColour, commandLine_.colours->nonScrollColour);
  settings_.fetchHttps = commandLine_.https || httpsSaved();
  for (const std::string& start : commandLine_.startPoints) addCommandLineStart(start);
  debugLog_.checkpoint(190);
}

std::string qvDriver::resolveAgainstStartDirectory(const std::string& path) const {
  if (path.empty() || path[0] == '/') return path;
  return startDirectory_ + "/" + path;
}

void qvDriver::addCommandLineStart(const std::string& start) {
  // A relative path means the directory the engine was started in, even
  // when the registry moved the working directory elsewhere.
  if (qvStartOptions::isLocalPath(start, startDirectory_)) {
    std::string path = start.size() >= 2 && start[1] == ':' ? start : resolveAgainstStartDirectory(start);
    startCount_ = qvLocalScanner(context_->urlTable(), *ui_).scanLocal(path, startCount_);
    return;
  }
  if (addStartUrl(start) == UrlResult::Accepted) return;
  ui_->statusMessage("Don't understand URL '" + start + "'");
}

int qvDriver::addLocalStart(const std::string& path) {
  int before = startCount_;
  startCount_ = qvLocalScanner(context_->urlTable(), *ui_).scanLocal(path, startCount_);
  return context_->urlTable().hasPending() ? startCount_ - before : 0;
}

// Whether the user chose to fetch https pages, known before any start point
// is read: the window's setting, or in a batch run what the window saved.
bool qvDriver::httpsSaved() const {
  if (kind_ != qvUserInterfaceFactory::Kind::Plain) return ui_->getValue(qvValueIndex::kFetchHttps) != 0;
  qvRegistry registry(qvRegistry::defaultPath());
  return registry.readDword(kCorvaneSettingsKey, "FetchHttps").value_or(0) != 0;
}

qvStartPoints::UrlResult qvDriver::addStartUrl(const std::string& url) {
  if (url.empty()) return UrlResult::Nothing;
  // The window's start point comes with its run's settings.
  if (kind_ != qvUserInterfaceFactory::Kind::Plain) settings_.fetchHttps = commandLine_.https || httpsSaved();
  qvURLStatus* status = context_->urlTable().addURL(url, startCount_, 0);
  if (status == nullptr) return UrlResult::Rejected;
  if (!context_->urlTable().makeURL(*status)) {
    status->badURL = true;
    return UrlResult::Rejected;
  }
  if (context_->urlTable().startURL() == nullptr) context_->urlTable().setStartURL(status);
  ++startCount_;
  return UrlResult::Accepted;
}

void qvDriver::clearStarts() {
  context_->urlTable().resetRun();
  startCount_ = 0;
}

void qvDriver::setColours(unsigned mainColour, unsigned nonScrollColour) {
  context_->urlTable().mainColour = mainColour;
  context_->urlTable().nonScrollColour = nonScrollColour;
}

void qvDriver::prepareBatchRun() {
  auto* console = dynamic_cast<qvPlainUserInterface*>(ui_.get());
  if (console == nullptr) return;
  qvRegistry registry(qvRegistry::defaultPath());
  qvConsoleSettings values = qvConsoleSettings::defaults();
  std::string first = commandLine_.startPoints.empty() ? std::string() : commandLine_.startPoints.front();
  values.readRegistry(registry, first);
  std::string warning = registry.takeWarning();
  if (!warning.empty()) ui_->showError(warning);
  // What the command line says wins over what the window saved.
  const qvCommandLine& cl = commandLine_;
  if (cl.maxURLs) values.values[qvValueIndex::kMaxUrls] = *cl.maxURLs;
  if (cl.depth) values.values[qvValueIndex::kMaxDepth] = *cl.depth;
  if (cl.colours) values.values[qvValueIndex::kColourChoice] = cl.colours->choice;
  if (settings_.siteWide) values.toggles |= qvToggleBit::kSiteWide;
  if (settings_.noImages) values.toggles |= qvToggleBit::kNoImages;
  if (cl.offline) values.values[qvValueIndex::kOffline] = 1;
  if (cl.noCache) values.values[qvValueIndex::kCacheEnabled] = 0;
  if (cl.https) values.values[qvValueIndex::kFetchHttps] = 1;
  if (cl.proxyHost) {
    values.strings[qvStringIndex::kProxyHost] = *cl.proxyHost;
    values.values[qvValueIndex::kProxyPort] = *cl.proxyPort;
    values.values[qvValueIndex::kProxyEnabled] = 1;
  }
  if (cl.timeMinutes && *cl.timeMinutes > 0) {
    values.deadline = std::chrono::steady_clock::now() + std::chrono::minutes(*cl.timeMinutes);
  }
  std::string helpFile;
  if (cl.out) {
    helpFile = resolveAgainstStartDirectory(*cl.out);
  } else if (!values.text(qvStringIndex::kHelpFileName).empty()) {
    helpFile = values.text(qvStringIndex::kHelpFileName);
  } else {
    std::string location = registry.readString(kCorvaneSettingsKey, "DefaultOutputLocation").value_or("");
    if (location.empty()) location = currentDirectory() + "/HelpFiles";
    helpFile = location + "/" + qvHelpFileName::derived(first);
  }
  console->setConsoleSettings(values);
  for (const std::string& option : cl.notInThisBuild) {
    ui_->statusMessage("-" + option + " : not supported in this build; ignored");
  }
  console->setShowProgress(::isatty(STDERR_FILENO) != 0);
  settings_.helpFileName = qvHelpFileName::withExtension(helpFile);
  if (!qvStartOptions::canCreateHelpFile(settings_.helpFileName)) {
    ui_->errorBox("Cannot create file '" + settings_.helpFileName + "'");
    qvEndProcess(kStartFailed);
  }
  if (context_->urlTable().startURL() == nullptr) {
    ui_->errorBox("No start point could be used");
    qvEndProcess(kStartFailed);
  }
  qvStartOptions::reportStartOptions(*ui_, *this, settings_);
}

void qvDriver::createWorkDirectories() {
  for (const char* dir : {"rtf", "HelpFiles"}) {
    std::error_code ec;
    std::filesystem::create_directory(dir, ec);
  }
}

void qvDriver::oneRun() {
  runStartTime_ = static_cast<long>(std::time(nullptr));
  try {
    if (!haveStart()) return finishRun();
    prepareRun();
    if (openPopups()) {
      crawlStep();
      finalPassStep();
      projectStep();
    }
  } catch (const qvCancelException&) {
    ui_->showError("Cancelled by user");
  } catch (const std::exception& e) {
    // A failure that escaped every inner handler ends this run only.
    ui_->showError(e.what());
  }
  finishRun();
}

bool qvDriver::haveStart() {
  ui_->setInfo("", "", "", "");
  debugLog_.checkpoint(370);
  settings_.enough = false;
  ui_->setProgressPosition(0, false);
  ui_->setProgressPosition(0, true);
  debugLog_.checkpoint(380);
  if (context_->urlTable().hasPending()) return true;
  ui_->waitForStart(*this);
  if (context_->urlTable().hasPending()) return true;
  ui_->errorBox("Internal Error #1");
  ui_->showError("Internal Error #1");
  return false;
}

void qvDriver::prepareRun() {
  debugLog_.checkpoint(390);
  // The robots object of the run, the clean-up of earlier runs' files and the
  // HTTP client's reset belong to the crawl step.
  settings_.abortCrawl = false;
  debugLog_.checkpoint(400);
}

bool qvDriver::openPopups() {
  std::FILE* popups = std::fopen("rtf/popups.rtf", "wb");
  if (popups == nullptr) {
    ui_->showError(std::string("IO Exception creating popups.rtf : ") + std::strerror(errno));
    return false;
  }
  std::fclose(popups);
  debugLog_.checkpoint(410);
  return true;
}

// The three passes of a run. Each is one call into the class that does it.
void qvDriver::crawlStep() {
  if (!conversion_) {
    conversion_ = std::make_unique<qvConversionRun>(*context_);
    conversion_->setNetwork(*network_);
  }
  haveProject_ = false;
  conversion_->crawl();
}

void qvDriver::finalPassStep() {
  haveProject_ = conversion_->finalPass();
  topicsWritten_ = conversion_->topicsWritten();
  const qvURLStatus* start = context_->urlTable().startURL();
  startFailure_.clear();
  if (start != nullptr && !start->converted) {
    const std::string reason = start->failureText.value_or("not converted");
    startFailure_ = reason.starts_with("URL ") ? reason : "URL " + start->url + " : " + reason;
  }
}

void qvDriver::projectStep() {
  if (haveProject_) conversion_->project();
}

void qvDriver::finishRun() {
  debugLog_.checkpoint(420);
  context_->urlTable().resetRun();
  startCount_ = 0;
}

int qvDriver::batchResult() const {
  struct stat st {};
  const bool written =
      ::stat(settings_.helpFileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime >= runStartTime_;
  if (!written) {
    ui_->statusMessage("No help file was written");
    return kNoHelpFile;
  }
  if (topicsWritten_ == 0) {
    const std::string why = startFailure_.empty() ? std::string() : " (" + startFailure_ + ")";
    ui_->statusMessage("No page was converted" + why + "; " + settings_.helpFileName +
                       " holds only the fixed topics");
    return kNothingConverted;
  }
  ui_->statusMessage("Help file " + settings_.helpFileName + " written with " + std::to_string(topicsWritten_) +
                     (topicsWritten_ == 1 ? " topic" : " topics"));
  return kHelpFileWritten;
}

void qvDriver::cleanWorkingFiles() {
  // Runs on the exit watcher's thread: nothing may escape it.
  try {
    cleanTemporaries("rtf", *ui_);
  } catch (const std::exception&) {
    // The user stopped the clean-up; what is left stays for the next run.
  }
}
