#include "url/qvURLTable.h"

#include <functional>
#include <string>

#include "base/qvDriverSettings.h"
#include "url/qvFileURL.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLText.h"

qvURLTable::qvURLTable(const qvDriverSettings& settings) : settings_(settings) {}

qvURLTable::~qvURLTable() = default;

std::size_t qvURLTable::KeyHash::operator()(std::string_view key) const {
  return std::hash<std::string_view>{}(key);
}
std::size_t qvURLTable::KeyHash::operator()(const qvURLStatus* status) const {
  return (*this)(std::string_view(status->key));
}
bool qvURLTable::KeyEqual::operator()(const qvURLStatus* a, const qvURLStatus* b) const {
  return a->key == b->key;
}
bool qvURLTable::KeyEqual::operator()(std::string_view a, const qvURLStatus* b) const {
  return a == b->key;
}
bool qvURLTable::KeyEqual::operator()(const qvURLStatus* a, std::string_view b) const {
  return a->key == b;
}

// ---- Range ----

bool qvURLTable::inRange(const qvURLStatus& start, std::string_view url, bool siteWide) {
  const std::optional<qvURL> parsed = qvURL::parse(url);
  if (!parsed || qvURLText::lowerCase(parsed->host()) != start.host) return false;
  if (siteWide) return true;
  const std::string& file = parsed->file();
  if (file.starts_with(start.startDirectory)) return true;
  return !file.ends_with("/") && file + "/" == start.startDirectory;
}

// ---- Statuses ----

qvURLStatus* qvURLTable::findKey(std::string_view key) const {
  const auto found = byKey_.find(key);
  return found == byKey_.end() ? nullptr : *found;
}

qvURLStatus& qvURLTable::create(std::string url, int seedNumber, int depth) {
  qvURLStatus& status = statuses_.emplace_back(qvURLStatus::Token{});
  status.seedNumber = seedNumber;
  status.depth = depth;
  status.mainColour = mainColour;
  status.textColour = textColour;
  status.linkColour = linkColour;
  status.vlinkColour = vlinkColour;
  status.id = idCounter_++;
  status.documentName = "documentID" + std::to_string(documentCounter_++);
  status.skippedByUser = linksFrozen_;
  status.key = url;
  status.title = url;
  status.url = std::move(url);
  byKey_.insert(&status);
  pending_.insert(status.id);
  return status;
}

qvURLStatus* qvURLTable::addURL(std::string_view text, int seedNumber, int depth) {
  if (qvURLText::startsWithNoCase(qvURLText::trimmed(text), "file:")) {
    if (const auto known = fileLinks_.find(text); known != fileLinks_.end()) return known->second;
    qvURLStatus* status = addFile(qvFileURL::fileForURL(text), seedNumber, depth);
    fileLinks_.emplace(std::string(text), status);
    return status;
  }
  std::string url = qvURLCanonicaliser::canonicalURL(text, settings().fetchHttps);
  if (qvURLStatus* existing = findKey(url)) return existing;
  return &create(std::move(url), seedNumber, depth);
}

qvURLStatus* qvURLTable::addFile(std::string_view file, int seedNumber, int depth) {
  if (file.empty()) return nullptr;
  std::string url = qvURLCanonicaliser::canonicalURL(qvFileURL::urlForFile(file));
  if (qvURLStatus* existing = findKey(url)) return existing;
  qvURLStatus& status = create(std::move(url), seedNumber, depth);
  status.localFile = std::string(file);
  return &status;
}

qvURLStatus* qvURLTable::find(std::string_view url) const {
  if (qvURLText::startsWithNoCase(qvURLText::trimmed(url), "file:")) {
    return findKey(qvURLCanonicaliser::canonicalURL(qvFileURL::urlForFile(qvFileURL::fileForURL(url))));
  }
  return findKey(qvURLCanonicaliser::canonicalURL(url, settings().fetchHttps));
}

qvURLStatus* qvURLTable::statusById(int id) {
  if (id < 0 || static_cast<std::size_t>(id) >= statuses_.size()) return nullptr;
  return &statuses_[static_cast<std::size_t>(id)];
}

std::optional<qvURL> qvURLTable::makeURL(qvURLStatus& status) const {
  const std::string_view text = qvURLText::trimmed(status.url);
  if (qvURLText::startsWithNoCase(text, "file:")) return makeFileURL(status);
  if (qvURLText::startsWithNoCase(text, "ftp:")) {
    status.isFTP = true;
    return std::nullopt;
  }
  const bool secure = settings().fetchHttps && qvURLText::startsWithNoCase(text, "https:");
  if (!secure && !qvURLText::startsWithNoCase(text, "http:")) return std::nullopt;
  std::optional<qvURL> parsed = qvURL::parse(qvURLCanonicaliser::canonicalURL(text, settings().fetchHttps));
  if (!parsed || (secure && parsed->host().empty())) {
    status.badURL = true;
    return std::nullopt;
  }
  status.url = parsed->externalForm();
  // The directory is cut from the path, never from inside the query.
  const std::string path = parsed->path();
  status.startDirectory = path.substr(0, path.rfind('/') + 1);
  status.baseURL = parsed->protocol() + "://" + parsed->authority() + status.startDirectory;
  status.host = qvURLText::lowerCase(parsed->host());
  return parsed;
}

std::optional<qvURL> qvURLTable::makeFileURL(qvURLStatus& status) {
  if (!status.localFile) status.localFile = qvFileURL::fileForURL(status.url);
  const std::string file = qvFileURL::absolutePath(*status.localFile);
  status.url = qvURLCanonicaliser::canonicalURL(qvFileURL::urlForFile(file));
  status.title = status.url;
  status.baseURL = qvFileURL::directoryURL(file);
  status.host.clear();
  std::optional<qvURL> parsed = qvURL::parse(status.url);
  if (!parsed) status.badURL = true;
  return parsed;
}

bool qvURLTable::setBase(qvURLStatus& status, std::string_view href) const {
  const std::optional<std::string> resolved = qvURLCanonicaliser::absoluteURL(status.url, href, settings().fetchHttps);
  if (!resolved) return false;
  if (!qvURLText::startsWithNoCase(*resolved, "file:")) {
    status.baseURL = *resolved;
    return true;
  }
  status.baseURL = qvFileURL::directoryURL(qvFileURL::fileForURL(*resolved));
  return true;
}

std::string qvURLTable::anchorName(qvURLStatus& status, std::string_view name) const {
  std::string key = qvURLText::lowerCase(name);
  const auto found = status.anchorNames.find(key);
  if (found != status.anchorNames.end()) return found->second;
  std::string generated = "nameID" + std::to_string(status.nameCounter++);
  status.anchorNames.emplace(std::move(key), generated);
  return generated;
}

std::optional<std::string> qvURLTable::findAnchorName(const qvURLStatus& status,
                                                      std::string_view name) const {
  const auto found = status.anchorNames.find(qvURLText::lowerCase(name));
  if (found == status.anchorNames.end()) return std::nullopt;
  return found->second;
}

// ---- Passes ----

qvURLStatus* qvURLTable::nextPending() {
  return statusById(pending_.lowest());
}

void qvURLTable::setPending(qvURLStatus& status) {
  if (statusById(status.id) != &status) return;  // not one of ours
  if (isPending(status)) {
    pending_.insert(status.id);
  } else {
    pending_.erase(status.id);
  }
}

void qvURLTable::markActive(qvURLStatus& status, bool on) {
  status.active_ = on;
  setPending(status);
}

void qvURLTable::markDone(qvURLStatus& status, bool on) {
  status.done_ = on;
  setPending(status);
}

void qvURLTable::markEnough() {
  for (qvURLStatus& status : statuses_) {
    if (!status.done_) status.stoppedByEnough = true;
  }
}

void qvURLTable::resetPass() {
  for (qvURLStatus& status : statuses_) {
    status.active_ = false;
    status.done_ = false;
    pending_.insert(status.id);
  }
}

void qvURLTable::resetRun() {
  byKey_.clear();
  fileLinks_.clear();
  statuses_.clear();
  pending_.clear();
  helpIds_.clear();
  documentCounter_ = 0;
  idCounter_ = 0;
  startURL_ = nullptr;
  currentPage_ = nullptr;
  linksFrozen_ = false;
  mainColour = kDefaultMainColour;
  nonScrollColour = kDefaultNonScrollColour;
  textColour = kDefaultTextColour;
  linkColour = kDefaultLinkColour;
  vlinkColour = kDefaultVlinkColour;
}
