#include "driver/qvRemoteFetcher.h"

#include <algorithm>
#include <charconv>

#include "base/qvDriverSettings.h"
#include "driver/qvCrawler.h"
#include "net/qvTCP.h"
#include "ui/qvUserInterface.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLStatus.h"
#include "url/qvURLTable.h"
#include "url/qvURLText.h"

namespace {

// What the cache answers in place of a type when a URL is known as an alias
// of another: handled like a redirect.
constexpr const char* kAliasType = "Corvane/Alias";
constexpr int kSkippedByUser = -234;
constexpr int kDiskErrorAbort = -232;

// The announced length of a body: a decimal Content-Length, none otherwise.
std::optional<long> announcedLength(const std::optional<std::string>& value) {
  if (!value) return std::nullopt;
  const std::string_view text = qvURLText::trimmed(*value);
  long length = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  if (error != std::errc() || end != text.data() + text.size() || length < 0) return std::nullopt;
  return length;
}

}  // namespace

qvRemoteFetcher::qvRemoteFetcher(qvTCP& tcp, qvURLTable& table, qvUserInterface& ui, qvDriverSettings& settings)
    : tcp_(tcp), table_(table), ui_(ui), settings_(settings) {}

bool qvRemoteFetcher::isStart(const qvURLStatus& status) const { return table_.startURL() == &status; }

bool qvRemoteFetcher::isCached(const std::string& url) const { return tcp_.isCached(url); }

long qvRemoteFetcher::bytesReceived() const { return tcp_.bytesReceived(); }

void qvRemoteFetcher::endPage() { tcp_.disconnect(); }

bool qvRemoteFetcher::fetch(qvURLStatus& status, qvURL& parsed, qvFetchedPage& page) {
  ui_.beginStatusLine("Getting Content Type of " + status.url);
  ui_.setInfo(nullptr, nullptr, nullptr, parsed.file().c_str());
  const std::string first = parsed.externalForm();
  std::string request = first;
  reached_.reset();
  int redirects = 0;
  for (;;) {
    const Step step = askOnce(status, request, redirects);
    if (step == Step::kGivenUp) return false;
    if (step == Step::kFetched) break;
    request = nextRequest_;
  }
  if (redirects > 0) tcp_.recordAlias(first, request);
  if (reached_) parsed = *reached_;
  page.contentType = contentType_;
  page.announcedLength = announcedLength(tcp_.headerValue("Content-Length:"));
  page.expectedLength = page.announcedLength.value_or(kUnknownLength);
  page.remote = true;
  return true;
}

qvRemoteFetcher::Step qvRemoteFetcher::askOnce(qvURLStatus& status, const std::string& request, int& redirects) {
  std::optional<std::string_view> referrer;
  if (!status.referrer.empty()) referrer = status.referrer;
  contentType_ = tcp_.get(request, referrer, "Content-Type:");
  if (contentType_ && *contentType_ != kAliasType) return Step::kFetched;
  const bool alias = contentType_.has_value();
  contentType_.reset();
  const int code = alias ? 300 : tcp_.statusCode();
  // A reply that succeeded without naming its type.
  if (code == 0) return Step::kFetched;
  if (code / 100 == 3) return redirect(status, !alias, request, redirects);
  if (code == kSkippedByUser) status.cancelledBySkip = true;
  failed(status, request);
  if (code == kDiskErrorAbort) settings_.abortCrawl = true;
  return Step::kGivenUp;
}

void qvRemoteFetcher::failed(qvURLStatus& status, const std::string& request) {
  giveUp(status, "Error during GET of " + request + ": " + tcp_.errorText(), tcp_.errorText(), false);
}

void qvRemoteFetcher::giveUp(qvURLStatus& status, const std::string& line, const std::string& reason,
                             bool alwaysShown) {
  ui_.endStatusLine(line, false, true);
  // The status line has logged it; the start URL's failure is also a warning.
  if (alwaysShown || isStart(status)) ui_.showError(line, false);
  status.failureText = reason;
  status.brokenLink = true;
}

qvRemoteFetcher::Step qvRemoteFetcher::redirect(qvURLStatus& status, bool realRedirect, const std::string& request,
                                                int& redirects) {
  const std::optional<std::string> location = tcp_.headerValue("Location:");
  if (!location) {
    giveUp(status, "Error during GET of " + request + ": Location header not found for redirect",
           "Location header not found for redirect", true);
    return Step::kGivenUp;
  }
  if (realRedirect) ui_.endStatusLine("Redirecting to " + *location, false, true);
  if (++redirects == kRedirectLimit) {
    giveUp(status, "Error during GET of " + status.url + ": Too many redirects", "Too many redirects", true);
    return Step::kGivenUp;
  }
  return moveTo(status, *location);
}

qvRemoteFetcher::Step qvRemoteFetcher::moveTo(qvURLStatus& status, const std::string& location) {
  std::string target(qvURLText::trimmed(location));
  std::replace(target.begin(), target.end(), '\\', '/');
  const bool https = table_.settings().fetchHttps;
  status.url = qvURLCanonicaliser::absoluteURL(status.baseURL, target, https).value_or(target);
  // A server may only send the crawl on to another http URL (or https, when
  // those are fetched): never to a local file, nor to a scheme it cannot fetch.
  const std::string_view reached = qvURLText::trimmed(status.url);
  const bool http = qvURLText::startsWithNoCase(reached, "http:") || (https && qvURLText::startsWithNoCase(reached, "https:"));
  reached_ = http ? table_.makeURL(status) : std::nullopt;
  if (!reached_) {
    status.badURL = true;
    ui_.showError("Don't understand redirected URL '" + status.url + "'");
    return Step::kGivenUp;
  }
  ui_.setInfo(nullptr, status.baseURL.c_str(), status.url.c_str(), nullptr);
  table_.setCurrentPage(&status);
  // The next request asks for the resolved URL: a relative Location names
  // no server of its own.
  nextRequest_ = reached_->externalForm();
  return Step::kRedirected;
}

bool qvRemoteFetcher::readBody(qvURLStatus& status, qvFetchedPage& page) {
  const std::optional<std::string> file = tcp_.bodyFile();
  if (file) {
    page.bodyFile = *file;
    return true;
  }
  const std::string reason = tcp_.errorText();
  ui_.endStatusLine("Error during GET : " + reason, false, true);
  ui_.showError("Error during GET of " + status.url + ": " + reason);
  status.failureText = reason;
  status.brokenLink = true;
  if (tcp_.statusCode() == kSkippedByUser) status.cancelledBySkip = true;
  if (tcp_.statusCode() == kDiskErrorAbort) settings_.abortCrawl = true;
  return false;
}
