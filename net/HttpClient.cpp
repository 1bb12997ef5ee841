#include "net/HttpClient.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

#include "cache/CacheDecisions.h"
#include "cache/CachePolicy.h"
#include "net/BodyFile.h"
#include "net/HttpCodes.h"
#include "net/SocketCodes.h"
#include "net/describeError.h"
#include "platform/qvMessageBox.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

constexpr const char* kDirectRequest =
    "%s %s HTTP/1.0\r\n%sConnection: %s\r\nUser-Agent: %s\r\nHost: %s\r\n%s%s"
    "Accept: image/gif, image/jpeg, */*\r\n\r\n";
constexpr const char* kProxyRequest =
    "%s http://%s%s HTTP/1.0\r\n%sProxy-Connection: %s\r\nUser-Agent: %s\r\nHost: %s\r\n%s%s"
    "Accept: image/gif, image/jpeg, */*\r\n\r\n";

constexpr const char* kDiskErrorText = "I/O error writing to disk ... maybe it's full ?";
constexpr long long kUnlimited = std::numeric_limits<long long>::max();
constexpr int kNotModified = 304;

// The Content-Length value as a count, or none when it is absent, not a
// number, or too big to be one.
std::optional<long long> contentLength(const HeaderList& headers) {
  const std::optional<std::string> value = headers.find("Content-Length:");
  if (!value || value->empty() || (*value)[0] < '0' || (*value)[0] > '9') return std::nullopt;
  long long length = 0;
  for (const char c : *value) {
    if (c < '0' || c > '9') break;
    if (length > (kUnlimited - (c - '0')) / 10) return std::nullopt;
    length = length * 10 + (c - '0');
  }
  return length;
}

}  // namespace

HttpClient::HttpClient(qvUserInterface& ui, std::string dataFile, long& byteCounter)
    : ui_(ui), socket_("TCP", ui), bodyPath_(std::move(dataFile)), byteCounter_(byteCounter), dataFile_(bodyPath_) {}

HttpClient::~HttpClient() = default;

// ---- results ----

bool HttpClient::fail(int code, std::string message) {
  errorCode_ = code;
  message_ = std::move(message);
  return false;
}

bool HttpClient::failFromSocket() { return fail(socket_.errorCode(), socket_.message()); }

bool HttpClient::failDisconnected(int code, std::string message) {
  socket_.disconnect();
  return fail(code, std::move(message));
}

void HttpClient::disconnect() { socket_.disconnect(); }

// ---- settings ----

void HttpClient::readStartupSettings() {
  socket_.readTimeouts();
  retries_ = std::max(ui_.getValue(qvValueIndex::kConnectRetries), 0);
  proxyInUse_ = false;
  proxyHost_.clear();
  proxyPort_ = 0;
  proxyAddress_.reset();
  exceptions_ = ProxyExceptions();
}

bool HttpClient::readProxySettings() {
  socket_.readTimeouts();
  retries_ = std::max(ui_.getValue(qvValueIndex::kConnectRetries), 0);
  proxyInUse_ = ui_.getValue(qvValueIndex::kProxyEnabled) != 0;
  if (proxyInUse_) {
    const std::string host = ui_.getString(qvStringIndex::kProxyHost).substr(0, kSettingTextLimit);
    const int port = ui_.getValue(qvValueIndex::kProxyPort);
    if (!proxyAddress_ || host != proxyHost_ || port != proxyPort_) {
      proxyAddress_ = socket_.resolve(host.substr(0, host.find(':')) + ":" + std::to_string(port));
      if (!proxyAddress_) {
        proxyInUse_ = false;
        fail(HttpCode::kCannotResolveProxy, HttpCode::kCannotResolveProxyText);
        qvMessageBox::show(message_, "Corvane proxy settings error", qvMessageBox::kOk | qvMessageBox::kIconStop);
        return false;
      }
      proxyHost_ = host;
      proxyPort_ = port;
    }
  }
  exceptions_ = ProxyExceptions(ui_.getString(qvStringIndex::kNoProxyFor).substr(0, kSettingTextLimit));
  return true;
}

// ---- the request ----

bool HttpClient::request(std::string_view url, std::optional<std::string_view> referrer, Mode mode) {
  if (!startRequest(url)) return false;
  // A header-only request is counted by the body read that follows it.
  const bool counted = mode == Mode::kBody;
  if (const std::optional<bool> answered = answerFromCache(counted)) return *answered;
  socket_.disconnect();
  if (!connectWithRetries()) return false;
  if (!sendRequest(referrer)) return false;
  if (!readHead()) return false;
  if (!checkStatus(counted)) return false;
  if (served_ || mode == Mode::kHeaders) return true;
  if (!readBodyFromSocket()) return false;
  offerToCache();
  return true;
}

// Whether the cache settles the request before the network is asked: true
// when its copy was served, false for the offline failure, none when the
// request goes out (with conditionalLine_ set to ask conditionally).
std::optional<bool> HttpClient::answerFromCache(bool counted) {
  const bool offline = ui_.getValue(qvValueIndex::kOffline) != 0;
  const bool revalidateAll = ui_.getValue(qvValueIndex::kValidateCache) != 0;
  const EntryState entry = offline || cache_ == nullptr ? EntryState::kAbsent : cache_->entryState(urlText_);
  switch (planRequest(offline, revalidateAll, entry)) {
    case RequestPlan::kServeOrFailOffline:
      if (serveFromCache()) {
        count(cacheHits_, counted);
        return true;
      }
      count(cacheMisses_, counted);
      return fail(HttpCode::kOfflineMiss, "URL not in cache and Offline Mode is selected");
    case RequestPlan::kServe:
      if (serveFromCache()) {
        count(cacheHits_, counted);
        return true;
      }
      break;
    case RequestPlan::kAskConditionally:
      if (const std::optional<std::string> line = cache_->conditionalLine(urlText_)) {
        conditionalLine_ = *line;
        return std::nullopt;
      }
      break;
    case RequestPlan::kAskPlainly:
      break;
  }
  count(cacheMisses_, counted);
  return std::nullopt;
}

void HttpClient::count(int& counter, bool counted) const {
  if (counted) ++counter;
}

bool HttpClient::serveFromCache() {
  dataFile_ = bodyPath_;
  if (cache_ == nullptr) return false;
  const std::optional<CachePolicy::Served> copy = cache_->serve(urlText_, bodyPath_);
  if (!copy) return false;
  socket_.disconnect();
  head_.serveStored(copy->headerLines);
  dataFile_ = copy->dataFile;
  responseOk_ = true;
  served_ = true;
  return true;
}

bool HttpClient::startRequest(std::string_view url) {
  errorCode_ = 0;
  message_.clear();
  responseOk_ = false;
  bodyFromCache_ = true;
  lastBodyComplete_ = false;
  lastBodyLength_ = 0;
  conditionalLine_.clear();
  served_ = false;
  viaProxy_ = false;
  head_.reset();
  dataFile_ = bodyPath_;
  socket_.disconnect();
  urlText_ = std::string(url.substr(0, HttpUrl::kLengthLimit));
  HttpUrlParse parsed = parseHttpUrl(url, ui_.getValue(qvValueIndex::kFetchHttps) != 0);
  if (!parsed.ok) return fail(HttpCode::kBadUrl, parsed.error);
  url_ = std::move(parsed.url);
  if (!readProxySettings()) return false;
  viaProxy_ = proxyInUse_ && !exceptions_.matches(url_.host);
  return true;
}

bool HttpClient::connectWithRetries() {
  ResolvedAddress peer;
  if (viaProxy_) {
    peer = *proxyAddress_;
  } else {
    const std::optional<ResolvedAddress> target = socket_.resolve(url_.host + ":" + std::to_string(url_.port));
    if (!target) {
      // A skip stays a skip; anything else is the host's fault.
      if (socket_.errorCode() == SocketCode::kCancelled) return failFromSocket();
      return fail(HttpCode::kCannotResolveHost, HttpCode::kCannotResolveHostText);
    }
    peer = *target;
  }
  for (int attempt = 0; attempt <= retries_; ++attempt) {
    if (attempt > 0) {
      ui_.setStatusText("Retrying ...");
      socket_.disconnect();
    }
    if (socket_.connectTo(peer)) return !url_.secure || secureTheConnection();
    if (socket_.errorCode() != SocketCode::kTimedOut) break;
  }
  if (socket_.errorCode() == SocketCode::kCancelled) return failDisconnected(socket_.errorCode(), socket_.message());
  if (viaProxy_) {
    failDisconnected(HttpCode::kCannotConnectProxy, HttpCode::kCannotConnectProxyText);
    ui_.showWarning(message_);
    return false;
  }
  return failDisconnected(HttpCode::kCannotConnect, socket_.message());
}

// TLS over the connection, through a proxy's tunnel when one is in use. A
// proxy that refuses the tunnel fails the request with its status.
bool HttpClient::secureTheConnection() {
  if (viaProxy_ && !openTunnel()) return false;
  if (socket_.startTls(url_.host)) return true;
  return failDisconnected(socket_.errorCode(), socket_.message());
}

bool HttpClient::openTunnel() {
  const std::string target = url_.host + ":" + std::to_string(url_.port);
  if (!socket_.writeFormatted("CONNECT %s HTTP/1.0\r\nUser-Agent: %s\r\nHost: %s\r\n\r\n", target.c_str(),
                              kUserAgent, target.c_str())) {
    failFromSocket();
    socket_.disconnect();
    return false;
  }
  if (!readHead()) return false;
  const int status = head_.status();
  head_.reset();
  if (status >= 200 && status <= 299) return true;
  return failDisconnected(status, describeError(status));
}

bool HttpClient::sendRequest(std::optional<std::string_view> referrer) {
  std::string refererLine;
  if (referrer) {
    char line[1100];
    std::snprintf(line, sizeof line, "Referer: %.1000s\r\n", std::string(*referrer).c_str());
    refererLine = line;
  }
  const std::string authority = url_.authority();
  // Inside a tunnel the request is the one a server is sent directly.
  const bool sent =
      viaProxy_ && !url_.secure ? socket_.writeFormatted(kProxyRequest, "GET", authority.c_str(), url_.path.c_str(),
                                         refererLine.c_str(), "Close", kUserAgent, authority.c_str(), conditionalLine_.c_str(), "")
                : socket_.writeFormatted(kDirectRequest, "GET", url_.path.c_str(), refererLine.c_str(), "Close",
                                         kUserAgent, authority.c_str(), conditionalLine_.c_str(), "");
  if (sent) return true;
  failFromSocket();
  socket_.disconnect();
  return false;
}

// Reads the status and header lines. A server that sends them without end,
// or too slowly, is cut off: by size in the head itself, by time in the
// socket, which ends every read one read time-out after the head's first
// byte, however the bytes trickle in.
bool HttpClient::readHead() {
  char line[kLineBufferSize];
  const long before = byteCounter_;
  long long consumed = 0;
  socket_.limitReadsFromFirstByte(std::chrono::seconds(socket_.timeouts().readWrite));
  for (;;) {
    const int got = socket_.readln(line, kLineBufferSize, &byteCounter_);
    if (got < 0) {
      failFromSocket();
      socket_.disconnect();
      return false;
    }
    if (got == 0) return failDisconnected(SocketCode::kReadFailed, HttpCode::kUnexpectedCloseText);
    consumed += got;
    const HttpResponseHead::State state = head_.feed(std::string_view(line, static_cast<std::size_t>(got)));
    if (state == HttpResponseHead::State::kFailed) return failDisconnected(head_.errorCode(), head_.message());
    if (state == HttpResponseHead::State::kComplete) break;
  }
  socket_.unlimitReads();
  countedAhead_ = std::max(0LL, static_cast<long long>(byteCounter_ - before) - consumed);
  return true;
}

bool HttpClient::checkStatus(bool counted) {
  const int status = head_.status();
  // Anything but "not modified" means the stored copy is out of date.
  if (status != kNotModified && !conditionalLine_.empty()) bodyFromCache_ = false;
  responseOk_ = status >= 200 && status <= 299;
  if (responseOk_) return true;
  if (status == kNotModified) return notModified(counted);
  return failDisconnected(status, describeError(status));
}

bool HttpClient::notModified(bool counted) {
  // A 304 sends the copy this side holds. Without a cached copy the server
  // answered a question that was never asked: nothing to serve.
  socket_.disconnect();
  head_.reset();
  if (serveFromCache()) {
    count(cacheHits_, counted);
    return true;
  }
  head_.reset();
  failDisconnected(HttpCode::kCacheError, HttpCode::kCacheErrorText);
  ui_.showWarning(message_);
  return false;
}

// ---- the body ----

bool HttpClient::readBody() {
  errorCode_ = 0;
  message_.clear();
  const bool offline = ui_.getValue(qvValueIndex::kOffline) != 0;
  if (offline || bodyFromCache_) {
    if (serveFromCache()) {
      ++cacheHits_;
      return true;
    }
    ++cacheMisses_;
    if (offline) return fail(HttpCode::kOfflineMiss, "URL not in cache and Offline Mode is selected");
  }
  if (!socket_.isConnected()) return fail(HttpCode::kNotConnected, HttpCode::kNotConnectedText);
  if (!readBodyFromSocket()) return false;
  offerToCache();
  return true;
}

bool HttpClient::readBodyFromSocket() {
  lastBodyComplete_ = false;
  const std::optional<long long> announced = contentLength(head_.headers());
  long long remaining = announced.value_or(kUnlimited);
  BodyFile file(bodyPath_);
  if (!file.isOpen()) return failDisconnected(HttpCode::kDataFileError, HttpCode::kCreateDataFileText);
  char block[kBlockSize];
  int got = 0;
  while (remaining > 0) {
    got = socket_.read(block, static_cast<int>(std::min<long long>(remaining, kBlockSize)));
    if (got <= 0) break;
    countReceived(got);
    if (!writeBlock(file, block, static_cast<std::size_t>(got))) return false;
    remaining -= got;
  }
  file.close();
  if (got < 0) {
    failFromSocket();
    socket_.disconnect();
    ::unlink(bodyPath_.c_str());
    return false;
  }
  socket_.disconnect();
  // A body cut short of its Content-Length is still handed to the crawl,
  // but must never be kept as the page's whole copy.
  lastBodyComplete_ = !announced || remaining == 0;
  lastBodyLength_ = file.length();
  return true;
}

// Only a whole body may stand for the page in later runs.
void HttpClient::offerToCache() {
  if (cache_ == nullptr || !lastBodyComplete_ || lastBodyLength_ > std::numeric_limits<std::uint32_t>::max()) return;
  const std::string type = head_.headers().find("Content-type:").value_or("content/unknown");
  cache_->storeBody(urlText_, head_.headers(), type, bodyPath_, static_cast<std::uint32_t>(lastBodyLength_));
}

void HttpClient::countReceived(int length) {
  const long long counted = std::min<long long>(countedAhead_, length);
  countedAhead_ -= counted;
  byteCounter_ += static_cast<long>(length - counted);
  ui_.setStatusNumbers(-1, -1, -1, byteCounter_);
}

bool HttpClient::writeBlock(BodyFile& file, const char* bytes, std::size_t length) {
  while (!file.writeBlock(bytes, length)) {
    const int answer = qvMessageBox::show(kDiskErrorText, "Corvane",
                                          qvMessageBox::kAbortRetryIgnore | qvMessageBox::kIconWarning);
    if (answer == qvMessageBox::kAnswerRetry) continue;
    file.close();
    socket_.disconnect();
    ::unlink(bodyPath_.c_str());
    if (answer == qvMessageBox::kAnswerIgnore) return fail(HttpCode::kDataFileError, HttpCode::kWriteDataFileText);
    return fail(HttpCode::kUserAbortedDiskError, HttpCode::kUserAbortedText);
  }
  return true;
}
