#include "driver/qvCrawler.h"
#include "image/qvImageType.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "base/qvDriverSettings.h"
#include "base/qvTextUtil.h"
#include "driver/qvItemFile.h"
#include "driver/qvRemoteFetcher.h"
#include "driver/qvRunCounters.h"
#include "html/qvCharsetConverter.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvItemList.h"
#include "platform/qvFileDescriptor.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"
#include "url/qvFileURL.h"
#include "url/qvMimeTypes.h"
#include "url/qvURLTable.h"

namespace {

// A page whose input cannot be opened: the link is broken.
class FileNotFound : public std::runtime_error {
 public:
  explicit FileNotFound(const std::string& text) : std::runtime_error(text) {}
};

// Reading failed part-way.
class ReadError : public std::runtime_error {
 public:
  explicit ReadError(const std::string& text) : std::runtime_error(text) {}
};


// The media type of a Content-Type value: parameters dropped, lower case.
std::string mediaType(std::string_view value) {
  const auto semicolon = value.find(';');
  std::string type = qvLowerCase(value.substr(0, semicolon));
  const auto first = type.find_first_not_of(" \t");
  const auto last = type.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : type.substr(first, last - first + 1);
}

int percentOf(std::size_t done, long total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::min<long long>(100, static_cast<long long>(done) * 100 / total));
}

}  // namespace

qvCrawler::qvCrawler(qvHtmlContext& context, qvHtmlParser& parser, qvItemList& items,
                     const qvMimeTypes& mimeTypes, qvRunCounters& counters, std::string rtfDirectory)
    : context_(context),
      table_(context.urlTable()),
      parser_(parser),
      items_(items),
      mimeTypes_(mimeTypes),
      counters_(counters),
      ui_(context.ui()),
      settings_(context.settings()),
      rtfDirectory_(std::move(rtfDirectory)),
      readBuffer_(kBlockSize) {}

std::string qvCrawler::intermediateFile(const qvURLStatus& status) const {
  return rtfDirectory_ + "/" + status.documentName + ".tmp";
}

bool qvCrawler::keepGoing() {
  if (!table_.hasPending()) return false;
  if (settings_.maxURLs != 0 && counters_.pagesConverted >= settings_.maxURLs) return false;
  ui_.checkCancel();
  return !settings_.enough && !settings_.abortCrawl;
}

void qvCrawler::crawl() {
  while (keepGoing()) round();
}

void qvCrawler::skip() { ++counters_.urlsSkipped; }

bool qvCrawler::isStart(const qvURLStatus& status) const { return table_.startURL() == &status; }

void qvCrawler::round() {
  ui_.setInfo(nullptr, "", "", "");
  qvURLStatus* status = table_.nextPending();
  if (status == nullptr) return;
  table_.markActive(*status);
  ++counters_.urlsVisited;
  context_.beginPage();
  ui_.setProgressPosition(0, false);
  ui_.setProgressPosition(0, true);
  const auto finish = [&] {
    table_.markActive(*status, false);
    table_.markDone(*status);
    if (fetcher_ != nullptr) fetcher_->endPage();
    items_.clear();
    pageChars_.clear();
    if (pageChars_.capacity() > 4 * kBlockSize) pageChars_.shrink_to_fit();
  };
  const auto fail = [&](bool broken, const std::string& text, bool keepText) {
    (broken ? status->brokenLink : status->otherError) = true;
    if (keepText) status->failureText = text;
    ui_.showError(text);
    skip();
  };
  try {
    runRound(*status);
  } catch (const qvCancelException&) {
    finish();
    throw;
  } catch (const FileNotFound& e) {
    fail(true, std::string("File not found : ") + e.what(), true);
  } catch (const ReadError& e) {
    fail(false, std::string("IO Exception : ") + e.what(), true);
  } catch (const qvRuntimeException& e) {
    fail(false, std::string("IO Exception : ") + e.what(), true);
  } catch (const std::system_error& e) {
    fail(false, std::string("IO Exception : ") + e.what(), true);
  } catch (const std::exception&) {
    fail(false, "NP Exception #1", false);
  }
  finish();
}

void qvCrawler::runRound(qvURLStatus& status) {
  if (table_.startURL() == nullptr) {
    table_.setStartURL(&status);
    status.referrer = status.url;
    ui_.setInfo(status.baseURL.c_str(), nullptr, nullptr, nullptr);
  }
  ui_.updateCounts(-1, counters_.urlsVisited, counters_.urlsSkipped, counters_.bytesReceived);
  std::optional<qvURL> parsed;
  if (!passGates(status, parsed)) return;
  ui_.setInfo(nullptr, status.baseURL.c_str(), status.url.c_str(), nullptr);
  table_.setCurrentPage(&status);
  ui_.updateCounts(static_cast<int>(table_.size()), counters_.urlsVisited, counters_.urlsSkipped,
                   counters_.bytesReceived);
  ui_.statusMessage("URL " + status.url);
  if (!passRobots(status, *parsed)) return;
  ui_.checkCancel();
  qvFetchedPage page;
  if (parsed->protocol() == "file") {
    if (!openLocal(status, page)) return;
  } else if (fetcher_ == nullptr) {
    ui_.beginStatusLine("Getting Content Type of " + status.url);
    const std::string text = "Error during GET of " + status.url + ": no HTTP client in this build";
    ui_.endStatusLine(text, false, true);
    // The status line has logged the failure; the start URL's is also a warning.
    if (isStart(status)) ui_.showError(text, false);
    status.failureText = "no HTTP client in this build";
    status.brokenLink = true;
    skip();
    return;
  } else if (!fetcher_->fetch(status, *parsed, page)) {
    skip();
    return;
  }
  handleContent(status, *parsed, page);
}

bool qvCrawler::passGates(qvURLStatus& status, std::optional<qvURL>& parsed) {
  const std::string lower = qvLowerCase(status.url);
  const bool local = lower.starts_with("file:");
  const auto refuse = [&](bool& flag) {
    flag = true;
    skip();
    return false;
  };
  const auto badUrl = [&] {
    ui_.showError("Don't understand URL '" + status.url + "'");
    return refuse(status.badURL);
  };
  if (status.skippedByUser) return refuse(status.skippedByUser);
  if (settings_.maxDepth > 0 && status.depth >= settings_.maxDepth) return refuse(status.tooDeep);
  if (lower.starts_with("ftp:")) {
    if (isStart(status)) ui_.showError("FTP support is not implemented in this version of Corvane");
    return refuse(status.isFTP);
  }
  if (!local) {
    if (!qvURL::parse(status.url)) return badUrl();
    const qvURLStatus* start = table_.startURL();
    if (start != nullptr && !qvURLTable::inRange(*start, status.url, settings_.siteWide)) {
      return refuse(status.outsideRange);
    }
  }
  parsed = table_.makeURL(status);
  if (!parsed) return badUrl();
  if (!local && ui_.getValue(qvValueIndex::kOffline) != 0 && (fetcher_ == nullptr || !fetcher_->isCached(status.url))) {
    return refuse(status.offlineNotCached);
  }
  return true;
}

bool qvCrawler::passRobots(qvURLStatus& status, const qvURL& parsed) {
  const bool network = parsed.protocol() == "http" || parsed.protocol() == "https";
  if (!network || ui_.getValue(qvValueIndex::kOffline) != 0 || !settings_.checkRobots) return true;
  ui_.beginStatusLine("Checking robots.txt ... ");
  ui_.setInfo(nullptr, nullptr, nullptr, "/robots.txt");
  if (robots_ && !robots_(parsed)) {
    status.noRobots = true;
    ui_.showError("Robots are barred from " + status.url);
    skip();
    return false;
  }
  ui_.setInfo(nullptr, nullptr, nullptr, "");
  return true;
}

bool qvCrawler::openLocal(qvURLStatus& status, qvFetchedPage& page) {
  const std::string path = status.localFile.value_or(qvFileURL::fileForURL(status.url));
  ui_.beginStatusLine("Reading local file ... ");
  ui_.setInfo(nullptr, nullptr, nullptr, path.c_str());
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
    ui_.endStatusLine("File does not exist", true, true);
    if (isStart(status)) ui_.showError("File '" + path + "' does not exist", false);
    status.brokenLink = true;
    skip();
    return false;
  }
  if (info.st_size == 0) {
    ui_.endStatusLine("Zero-length file", true, true);
    if (isStart(status)) ui_.showError("Zero-length file", false);
    status.brokenLink = true;
    skip();
    return false;
  }
  page.contentType = std::nullopt;
  page.expectedLength = static_cast<long>(info.st_size);
  page.announcedLength = page.expectedLength;
  page.bodyFile = path;
  return true;
}

qvCrawler::TypeDecision qvCrawler::decideType(const std::optional<std::string>& reported,
                                              const std::optional<std::string>& guess) {
  TypeDecision decision;
  const std::string type = reported ? mediaType(*reported) : std::string();
  if (type.empty()) {
    decision.type = guess;
  } else if (type == "content/unknown") {
    decision.type = guess;
    decision.suspectedHtml = guess == "text/html";
  } else if (type == "application/octet-stream") {
    decision.type = guess;
  } else {
    decision.type = type;
  }
  return decision;
}

void qvCrawler::handleContent(qvURLStatus& status, const qvURL& parsed, qvFetchedPage& page) {
  ui_.endStatusLine("", true, true);
  const TypeDecision decision = decideType(page.contentType, mimeTypes_.typeOf(parsed.file()));
  if (decision.suspectedHtml) ui_.showError("Reported type of content/unknown suspected to be text/html");
  status.contentType = decision.type;
  if (!decision.type) {
    ui_.endStatusLine("Cannot determine Content-type: for " + status.url, false, true);
    status.unknownType = true;
    skip();
    return;
  }
  const std::string& type = *decision.type;
  if (type == "text/html") return readHtml(status, page);
  if (type == "text/plain") return readPlainText(status, page);
  // Servers and the MIME table spell picture types in several ways
  // ("image/jpg", "image/x-png", upper case, with parameters).
  const std::optional<qvImageType::Format> picture = qvImageType::fromMediaType(type);
  if (picture && picture != qvImageType::Format::Svg) {
    // The picture is fetched whole by the converter; the connection the
    // headers came on is not needed any more.
    if (page.remote && fetcher_ != nullptr) fetcher_->endPage();
    return readImage(status, parsed);
  }
  status.unknownType = true;
  skip();
}

void qvCrawler::beginReading(const std::string& what, long expected) {
  if (expected > 0 && expected != static_cast<long>(kBlockSize)) {
    ui_.beginStatusLine(what + " (" + std::to_string(expected) + " bytes expected)");
  } else {
    ui_.beginStatusLine(what + " (length unknown)");
  }
}

bool qvCrawler::haveBody(qvURLStatus& status, qvFetchedPage& page) {
  if (!page.remote || fetcher_ == nullptr) return true;
  if (fetcher_->readBody(status, page)) return true;
  skip();
  return false;
}

std::string qvCrawler::readInput(const qvFetchedPage& page) {
  qvFileDescriptor fd(::open(page.bodyFile.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw FileNotFound(page.bodyFile + " (" + std::strerror(errno) + ")");
  // A server's announced length is only a claim: the buffer is never made
  // larger than what actually arrived.
  struct stat info {};
  const std::size_t onDisk = ::fstat(fd.get(), &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
  const std::size_t expected = page.expectedLength > 0 ? static_cast<std::size_t>(page.expectedLength) : kBlockSize;
  std::string bytes;
  bytes.reserve(std::min(expected, onDisk));
  for (;;) {
    const ssize_t n = ::read(fd.get(), readBuffer_.data(), readBuffer_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw ReadError(page.bodyFile + " (" + std::strerror(errno) + ")");
    if (n == 0) break;
    bytes.append(readBuffer_.data(), static_cast<std::size_t>(n));
    ui_.checkCancel();
    if (page.expectedLength > 0) ui_.setProgressPosition(percentOf(bytes.size(), page.expectedLength), false);
  }
  if (fetcher_ != nullptr) counters_.bytesReceived = fetcher_->bytesReceived();
  ui_.setProgressPosition(100, false);
  return bytes;
}

bool qvCrawler::arrivedShort(const qvFetchedPage& page, std::size_t received) {
  return page.announcedLength && received < static_cast<std::size_t>(*page.announcedLength);
}

void qvCrawler::readHtml(qvURLStatus& status, qvFetchedPage& page) {
  status.isHTML = true;
  beginReading("Reading HTML ...", page.expectedLength);
  if (!haveBody(status, page)) return;
  pageChars_ = readInput(page);
  status.notFullyRetrieved = arrivedShort(page, pageChars_.size());
  ui_.appendStatusLine(" ... Parsing ... ", true);
  ui_.setProgressPosition(0, true);
  if (qvCharsetConverter::htmlNeedsTranscoding(pageChars_)) {
    qvCharsetConverter::utf8ToWindows1252InPlace(pageChars_);
  }
  const bool parsedWell = parser_.parsePage(pageChars_, items_);
  status.stoppedByEnough = settings_.enough;
  // "Just stop" ends the tokenizer where it stands; what was parsed is kept.
  if (settings_.abortCrawl) status.notFullyRetrieved = true;
  ui_.setProgressPosition(100, true);
  if (!parsedWell) {
    ui_.endStatusLine("failed", true, true);
    status.otherError = true;
    skip();
    return;
  }
  ui_.appendStatusLine("writing ... ", true);
  ui_.setProgressPosition(0, false);
  if (!savePage(status, pageChars_, true)) return;
  ui_.setProgressPosition(100, false);
  ui_.endStatusLine("done", true, true);
  ui_.setProgressPosition(100, true);
  converted(status);
}

void qvCrawler::readPlainText(qvURLStatus& status, qvFetchedPage& page) {
  status.isPlainText = true;
  beginReading("Reading plaintext ...", page.expectedLength);
  ui_.checkCancel();
  if (!haveBody(status, page)) return;
  std::string text = readInput(page);
  status.notFullyRetrieved = arrivedShort(page, text.size());
  if (qvCharsetConverter::textNeedsTranscoding(text)) qvCharsetConverter::utf8ToWindows1252InPlace(text);
  if (looksBinary(text)) {
    ui_.showError("Reported type of text/plain suspected to be wrong ; skipping URL");
    status.unknownType = true;
    skip();
    return;
  }
  if (settings_.plainTextInMemory) {
    status.pageText = std::move(text);
  } else {
    ui_.appendStatusLine(" ... writing ... ", true);
    ui_.setProgressPosition(0, false);
    if (!savePage(status, text, false)) return;
  }
  ui_.endStatusLine("done", true, true);
  ui_.setProgressPosition(100, true);
  converted(status);
}

void qvCrawler::readImage(qvURLStatus& status, const qvURL& parsed) {
  status.isImage = true;
  if (settings_.noImages) {
    status.imageNotFetched = true;
    skip();
    return;
  }
  std::optional<std::string> image = images_ ? images_(status, parsed) : std::nullopt;
  if (!image) {
    status.brokenLink = true;
    skip();
    return;
  }
  status.pageText = std::move(*image);
  converted(status);
}

bool qvCrawler::savePage(qvURLStatus& status, std::string_view text, bool withItems) {
  const auto result = qvItemFile::writePage(intermediateFile(status), text, withItems ? &items_ : nullptr, ui_);
  if (result.ok()) return true;
  if (!result.itemsSaved) {
    status.failureText = "Failed to write temp file";
    ui_.showError("Failed to write temp file");
  } else {
    status.otherError = true;
  }
  skip();
  return false;
}

void qvCrawler::converted(qvURLStatus& status) {
  status.converted = true;
  ++counters_.pagesConverted;
}

bool qvCrawler::looksBinary(std::string_view text) {
  const auto high = std::count_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
  return static_cast<std::size_t>(high) > text.size() / 20 + 1;
}
