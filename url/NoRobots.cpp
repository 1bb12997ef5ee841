#include "url/NoRobots.h"

#include <algorithm>
#include <utility>

#include "base/qvTextUtil.h"
#include "url/qvRobotsFetcher.h"
#include "url/qvRobotsRules.h"
#include "url/qvURL.h"
#include "url/qvURLCanonicaliser.h"

namespace {

bool isRedirect(int status) { return status >= 300 && status <= 399; }

// The file part as a path the prefixes can be compared with: a URL that
// names no path ("http://h" or "http://h?q") asks for the root.
std::string requestedPath(const qvURL& url) {
  const std::string& file = url.file();
  if (file.empty() || file.front() == '?') return "/" + file;
  return file;
}

}  // namespace

NoRobots::NoRobots(std::string robotName, qvRobotsFetcher& fetcher)
    : robotName_(std::move(robotName)), fetcher_(fetcher) {}

bool NoRobots::ok(const qvURL& url) {
  const std::vector<std::string>& prefixes = disallowed(url.protocol(), url.host(), url.port());
  const std::string path = requestedPath(url);
  return std::none_of(prefixes.begin(), prefixes.end(),
                      [&](const std::string& prefix) { return path.starts_with(prefix); });
}

std::string NoRobots::siteKey(std::string_view protocol, std::string_view host, int port) {
  std::string key(protocol);
  key += "://";
  key += host;
  key += ':';
  key += std::to_string(port);
  return key;
}

const std::vector<std::string>& NoRobots::disallowed(std::string_view protocol, std::string_view host, int port) {
  const std::string key = siteKey(protocol, host, port);
  if (const auto known = sites_.find(key); known != sites_.end()) return known->second;

  std::string url(protocol);
  url += "://";
  url += host;
  if (port >= 0) url += ":" + std::to_string(port);
  url += "/robots.txt";
  const std::optional<std::string> file = fetchRobotsFile(std::move(url));
  std::vector<std::string> prefixes = file ? qvRobotsRules::parseFile(*file, robotName_) : std::vector<std::string>();
  return sites_.emplace(key, std::move(prefixes)).first->second;
}

std::optional<std::string> NoRobots::fetchRobotsFile(std::string url) {
  for (int attempt = 1;; ++attempt) {
    if (std::optional<std::string> file = fetcher_.fetch(url)) return file;
    if (attempt == kMaxFetches || !isRedirect(fetcher_.statusCode())) return std::nullopt;
    const std::optional<std::string> location = fetcher_.location();
    if (!location) return std::nullopt;
    // Servers often send a path alone; it is relative to the URL just asked.
    std::optional<std::string> next = qvURLCanonicaliser::absoluteURL(url, qvTrim(*location));
    if (!next) return std::nullopt;
    url = std::move(*next);
  }
}
