#include "net/qvTCP.h"

#include <filesystem>
#include <utility>

#include "cache/CacheClock.h"
#include "cache/CacheIndex.h"
#include "cache/CacheMaintenance.h"
#include "cache/CacheMaintenanceThread.h"
#include "cache/CachePolicy.h"
#include "driver/qvTemporaryFiles.h"
#include "net/HttpClient.h"
#include "platform/qvCacheMutex.h"
#include "platform/qvMessageBox.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {
// The dump of the cache index, in the engine's working directory.
constexpr const char* kDumpFile = "cache.dump";
}  // namespace

qvTCP::qvTCP(qvUserInterface& ui, std::string workDirectory, std::string cacheDirectory)
    : ui_(ui),
      workDirectory_(std::move(workDirectory)),
      client_(std::make_unique<HttpClient>(ui_, (std::filesystem::path(workDirectory_) / "url.dat").string(),
                                           bytesReceived_)),
      cacheDirectory_(std::move(cacheDirectory)) {}

qvTCP::~qvTCP() {
  maintenanceThread_.reset();
  // The client may still point at the policy.
  client_->setCache(nullptr);
}

bool qvTCP::init(std::string_view /*version*/) {
  cacheMutex_ = std::make_unique<qvCacheMutex>();
  if (!cacheMutex_->valid()) {
    qvMessageBox::show("Cannot create cache mutex", "Corvane initialisation error",
                       qvMessageBox::kOk | qvMessageBox::kIconStop);
    return false;
  }
  client_->readStartupSettings();
  // Index times are shifted by the bias, so it is needed before the index
  // is opened (and validated by its age).
  takeTimeZoneBias();
  openCacheWhenWanted();
  startMaintenance();
  return true;
}

void qvTCP::startMaintenance() {
  const auto figures = [this] {
    // Read without the lock: figures for the window, not for decisions.
    const CacheHeader& header = cacheIndex_->header();
    return CacheMaintenanceThread::Figures{static_cast<int>(header.entryCount),
                                           static_cast<int>(header.bytesCached), cacheHits(), cacheMisses()};
  };
  maintenanceThread_ = std::make_unique<CacheMaintenanceThread>(
      ui_, figures, [this](int commands) { cacheMaintenance_->runCommands(commands); });
}

void qvTCP::takeTimeZoneBias() {
  std::optional<std::int64_t> bias = CacheClock::systemBias();
  if (!bias) {
    ui_.showWarning("Could not obtain timezone bias from system (GetTimeZoneInformation () failed)");
    ui_.setStatusText("Could not obtain timezone bias from system");
    bias = 0;
  }
  cacheIndex_ = std::make_unique<CacheIndex>(ui_, *cacheMutex_, cacheDirectory_, CacheClock(*bias));
  cachePolicy_ = std::make_unique<CachePolicy>(ui_, *cacheIndex_);
  cacheMaintenance_ = std::make_unique<CacheMaintenance>(*cacheIndex_, kDumpFile);
  cacheMaintenance_->attach();
  cachePolicy_->setBeforeStore([this] { return cacheMaintenance_->makeRoomForStore(); });
  client_->setCache(cachePolicy_.get());
}

void qvTCP::openCacheWhenWanted() {
  if (cacheOpenTried_ || !cacheIndex_ || ui_.getValue(qvValueIndex::kCacheEnabled) == 0) return;
  cacheOpenTried_ = true;
  cacheIndex_->openOrCreate();
}

std::optional<std::string> qvTCP::fetch(std::string_view url, std::optional<std::string_view> referrer) {
  openCacheWhenWanted();
  if (!client_->request(url, referrer, HttpClient::Mode::kBody)) return std::nullopt;
  return client_->dataFile();
}

std::optional<std::string> qvTCP::get(std::string_view url, std::optional<std::string_view> referrer,
                                      std::string_view name) {
  openCacheWhenWanted();
  if (!client_->request(url, referrer, HttpClient::Mode::kHeaders)) return std::nullopt;
  return client_->headers().find(name);
}

std::optional<std::string> qvTCP::bodyFile() {
  if (!client_->readBody()) return std::nullopt;
  return client_->dataFile();
}

std::optional<std::string> qvTCP::headerValue(std::string_view name) const { return client_->headers().find(name); }

int qvTCP::statusCode() const { return client_->errorCode(); }

const std::string& qvTCP::errorText() const { return client_->message(); }

void qvTCP::disconnect() { client_->disconnect(); }

bool qvTCP::readProxySettings() { return client_->readProxySettings(); }

bool qvTCP::isCached(std::string_view url) {
  openCacheWhenWanted();
  return cachePolicy_ && cachePolicy_->isCached(url);
}

bool qvTCP::recordAlias(std::string_view url, std::string_view target) {
  return cachePolicy_ && cachePolicy_->recordAlias(url, target, client_->headers());
}

bool qvTCP::cleanupTempFiles() { return cleanRunFiles(workDirectory_, ui_); }

bool qvTCP::lastBodyComplete() const { return client_->lastBodyComplete(); }

int qvTCP::cacheHits() const { return client_->cacheHits(); }

int qvTCP::cacheMisses() const { return client_->cacheMisses(); }

void qvTCP::reset() {
  client_->disconnect();
  bytesReceived_ = 0;
  if (cachePolicy_) cachePolicy_->startRun();
}
