#include "driver/qvConversionRun.h"

#include <filesystem>

#include "base/qvDriverSettings.h"
#include "driver/qvFileSink.h"
#include "driver/qvHelpProject.h"
#include "driver/qvRemoteFetcher.h"
#include "driver/qvTCPRobotsFetcher.h"
#include "driver/qvTemporaryFiles.h"
#include "html/qvHtmlContext.h"
#include "net/qvTCP.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"
#include "url/NoRobots.h"
#include "url/qvURLStatus.h"

qvConversionRun::qvConversionRun(qvHtmlContext& context, std::string workDirectory)
    : context_(context),
      workDirectory_(std::move(workDirectory)),
      prototypes_(context),
      parser_(context, prototypes_),
      images_(context.imageLibrary != nullptr ? *context.imageLibrary : noPictures_, context, workDirectory_),
      crawler_(context, parser_, items_, mimeTypes_, counters_, workDirectory_),
      converter_(context, parser_),
      finalPass_(context, converter_, counters_, workDirectory_) {
  context_.imageConverter = &images_;
  crawler_.setImageLoader([this](qvURLStatus& status, const qvURL& url) {
    return images_.addImage(url.externalForm(), 0, 0, status.referrer);
  });
}

namespace {
// The name robots files are asked about.
constexpr const char* kRobotName = "Corvane v1.1";
}  // namespace

qvConversionRun::~qvConversionRun() { context_.imageConverter = nullptr; }

void qvConversionRun::setNetwork(qvTCP& tcp) {
  network_ = &tcp;
  fetcher_ = std::make_unique<qvRemoteFetcher>(tcp, context_.urlTable(), context_.ui(), context_.settings());
  crawler_.setRemoteFetcher(fetcher_.get());
  images_.setNetwork(&tcp);
  robotsFetcher_ = std::make_unique<qvTCPRobotsFetcher>(tcp);
  crawler_.setRobotsCheck([this](const qvURL& url) { return robots_ == nullptr || robots_->ok(url); });
}

void qvConversionRun::crawl() {
  counters_.reset();
  if (network_ != nullptr) {
    network_->reset();
    robots_ = std::make_unique<NoRobots>(kRobotName, *robotsFetcher_);
  }
  context_.settings().abortCrawl = false;
  cleanRunFiles(workDirectory_, context_.ui());
  images_.beginRun();
  crawler_.crawl();
}

bool qvConversionRun::finalPass() {
  qvFileSink popups(workDirectory_ + "/popups.rtf");
  if (popups.failed()) {
    context_.ui().showError("IO Exception creating popups.rtf : " + popups.errorText());
    return false;
  }
  const bool haveStart = finalPass_.run(popups);
  if (!popups.close()) context_.ui().showError("IO Exception : " + popups.errorText());
  return haveStart;
}

void qvConversionRun::project() {
  qvHelpProjectInput input;
  input.topicCount = finalPass_.topicsWritten();
  // The compiler reads the project from the work directory and would take a
  // relative name from there; the user meant the engine's own directory.
  input.helpFileName = std::filesystem::absolute(context_.settings().helpFileName).string();
  input.title = context_.urlTable().startURL() != nullptr ? context_.urlTable().startURL()->title : std::string();
  input.mainColour = context_.urlTable().mainColour;
  input.nonScrollColour = context_.urlTable().nonScrollColour;
  input.browseButtons = context_.ui().getValue(qvValueIndex::kBrowseButtons) != 0;
  input.helpIds.assign(context_.urlTable().helpIds().begin(), context_.urlTable().helpIds().end());
  qvHelpProject(context_.ui(), workDirectory_).build(input);
}
