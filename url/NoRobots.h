#pragma once
// NoRobots: whether the sites of a crawl let our robot fetch a URL. Each
// site's "/robots.txt" is fetched once, on the first question about that
// site; the prefixes it forbids to the robot are kept for the rest of the
// run, and a URL whose file part starts with one of them is refused.
//
// A site whose robots file cannot be had, for whatever reason, is
// unrestricted, and that answer is kept too: the site is not asked again.
// Used on the conversion thread only.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class qvRobotsFetcher;
class qvURL;

class NoRobots {
 public:
  // The most fetches made for one robots file: the first request and up to
  // four redirects.
  static constexpr int kMaxFetches = 5;

  // `robotName` is matched against the files' user-agent lines; `fetcher`
  // must outlive the object.
  NoRobots(std::string robotName, qvRobotsFetcher& fetcher);

  // True when `url` may be fetched.
  bool ok(const qvURL& url);

  // The prefixes the site forbids to the robot (empty when it forbids
  // nothing or has no usable robots file). `port` is the URL's own, -1 when
  // it names none. The first call for a site fetches its robots file.
  const std::vector<std::string>& disallowed(std::string_view protocol, std::string_view host, int port);

  // The key of a site in the table: protocol "://" host ":" port.
  static std::string siteKey(std::string_view protocol, std::string_view host, int port);

 private:
  // The file holding the site's robots file after any redirects, or none.
  std::optional<std::string> fetchRobotsFile(std::string url);

  std::string robotName_;
  qvRobotsFetcher& fetcher_;
  std::map<std::string, std::vector<std::string>, std::less<>> sites_;
};
