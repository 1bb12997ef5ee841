#pragma once
// The crawl's way to a remote page: asks the HTTP client for the page's
// headers, follows up to four redirects (moving the status to the URL
// finally reached), and later hands over the body of an HTML page or a text
// as a file. Every failure is recorded on the status (outcome flag and
// failure text) and reported on the status line; the crawl counts the skip.

#include <optional>
#include <string>

#include "url/qvURL.h"

class qvTCP;
class qvURLStatus;
class qvURLTable;
class qvUserInterface;
struct qvDriverSettings;
struct qvFetchedPage;

class qvRemoteFetcher {
 public:
  // A redirect chain gives up at this many redirects.
  static constexpr int kRedirectLimit = 5;
  // The expected length of a page whose server announced none.
  static constexpr long kUnknownLength = 65536;

  // Every reference must outlive the fetcher.
  qvRemoteFetcher(qvTCP& tcp, qvURLTable& table, qvUserInterface& ui, qvDriverSettings& settings);

  // Fetches the headers of `status`'s page. On success `page` holds the
  // reported type and lengths, and `parsed` the URL finally reached; the
  // connection stays open for readBody(). False when the URL was given up.
  bool fetch(qvURLStatus& status, qvURL& parsed, qvFetchedPage& page);
  // Reads the body of the page fetch() reached into a file and names it in
  // `page`. False when it could not be had (reported; after a disk error
  // the user chose to stop on, the crawl is aborted).
  bool readBody(qvURLStatus& status, qvFetchedPage& page);
  // Closes whatever the page left open.
  void endPage();

  bool isCached(const std::string& url) const;
  long bytesReceived() const;

 private:
  enum class Step { kFetched, kRedirected, kGivenUp };
  Step askOnce(qvURLStatus& status, const std::string& request, int& redirects);
  Step redirect(qvURLStatus& status, bool realRedirect, const std::string& request, int& redirects);
  Step moveTo(qvURLStatus& status, const std::string& location);
  void failed(qvURLStatus& status, const std::string& request);
  void giveUp(qvURLStatus& status, const std::string& line, const std::string& reason, bool alwaysShown);
  bool isStart(const qvURLStatus& status) const;

  qvTCP& tcp_;
  qvURLTable& table_;
  qvUserInterface& ui_;
  qvDriverSettings& settings_;
  std::optional<std::string> contentType_;
  std::optional<qvURL> reached_;
  std::string nextRequest_;
};
