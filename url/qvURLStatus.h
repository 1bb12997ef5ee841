#pragma once
// qvURLStatus: one URL of a run (a page, an image or a link target) with
// everything the crawl and the final pass learn about it. Statuses are made
// only by qvURLTable, live at a fixed address until the table's next
// resetRun(), and are shared by pointer between the crawl, the anchors and the
// topic writers.
//
// The outcome flags are plain fields that the crawl sets. `active` and `done`
// are not: they decide what is pending, and the table keeps an ordered index
// of pending statuses, so they change only through qvURLTable::markActive,
// markDone, resetPass and markEnough.

#include <any>
#include <map>
#include <optional>
#include <string>

class qvURLTable;

class qvURLStatus {
  // Only the table can make statuses, but containers must be able to call
  // the constructor: the token is the table's to give.
  class Token {
    friend class qvURLTable;
    Token() = default;
  };

 public:
  // Seed number of a status that was found as a link, not given as a start.
  static constexpr int kLinkSeed = 65535;

  explicit qvURLStatus(Token) {}
  qvURLStatus(const qvURLStatus&) = delete;
  qvURLStatus& operator=(const qvURLStatus&) = delete;

  // Count of start points before the one that created this status, or
  // kLinkSeed.
  int seedNumber = kLinkSeed;
  // Link depth: 0 for start points and scanned local files, the linking
  // page's depth + 1 for links.
  int depth = 0;
  // The context's colours (0x00BBGGRR) when the status was made.
  unsigned mainColour = 0;
  unsigned textColour = 0;
  unsigned linkColour = 0;
  unsigned vlinkColour = 0;
  // Creation number within the run; the crawl takes the lowest pending id.
  int id = 0;
  // Why the fetch failed, later the skip reason shown for it.
  std::optional<std::string> failureText;
  // URL of the last page found linking here (a start URL refers to itself).
  std::string referrer;

  // Being processed by the current pass.
  bool isActive() const { return active_; }
  // Finished by the current pass.
  bool isDone() const { return done_; }

  bool brokenLink = false;
  bool unknownType = false;
  bool isPlainText = false;
  bool isHTML = false;
  bool isImage = false;
  bool noRobots = false;
  bool converted = false;
  bool badURL = false;
  bool isFTP = false;
  bool outsideRange = false;
  bool offlineNotCached = false;
  bool otherError = false;
  bool skippedByUser = false;
  bool tooDeep = false;
  bool stoppedByEnough = false;
  bool cancelledBySkip = false;
  bool imageNotFetched = false;
  // The topic holds less than the source: fewer bytes arrived than were
  // announced, or the run was stopped while the page was being parsed.
  bool notFullyRetrieved = false;
  // Parts of the page were left out of its topic. No rule of this version
  // sets it; the topic's title region reports it when set.
  bool elementsSkipped = false;

  // Next number for anchor names in this page ("nameID" + n).
  int nameCounter = 0;
  // The file of a local page.
  std::optional<std::string> localFile;
  // Canonical URL. The crawl replaces it after a redirect; `key` stays.
  std::string url;
  // Table key (the URL unchanged: file names are case-sensitive here).
  std::string key;
  // URL against which the page's relative links are resolved.
  std::string baseURL;
  // Path part of `baseURL` (used for the start URL in the range test).
  std::string startDirectory;
  // Lower-case host of `url`; empty for a local file.
  std::string host;
  // Topic name: "documentID" + n.
  std::string documentName;
  // Page title; starts as `url`.
  std::string title;
  // Content type the page was read as.
  std::optional<std::string> contentType;
  // The page kept in memory: the text of a plain-text page, the item list
  // of a page, or the image reference of a picture. Empty when none.
  std::any pageText;
  // Anchor name, lower-cased, to its generated name "nameID" + k.
  std::map<std::string, std::string> anchorNames;

 private:
  friend class qvURLTable;

  bool active_ = false;
  bool done_ = false;
};
