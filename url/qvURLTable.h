#pragma once
// qvURLTable: the URL statuses of one run, keyed by canonical URL, and the
// run-wide state that goes with them: the topic-name and creation counters,
// the start URL, the page being converted, the frozen-links flag, the help-ID
// map of "idh_" anchors and the context's topic colours. The conversion
// context derives from it, so a run's URLs, counters and colours are reset
// together by resetRun().
//
// Statuses are created here only and keep their address until resetRun();
// other code holds plain pointers to them. The pending ones (neither active
// nor done) are indexed by id, so the crawl's "lowest pending id" costs
// O(log n) however large the run grows.
//
// Keys are the canonical URL unchanged (file names are case-sensitive
// here); canonical forms come from qvURLCanonicaliser, local files' URLs
// from qvFileURL, and links reach the table through qvLinkResolver.

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "url/qvPendingSet.h"
#include "url/qvURL.h"
#include "url/qvURLStatus.h"

struct qvDriverSettings;

class qvURLTable {
 public:
  // Default topic colours (Windows 0x00BBGGRR values).
  static constexpr unsigned kDefaultMainColour = 0xFFFFFF;
  static constexpr unsigned kDefaultNonScrollColour = 0xFFFFFF;
  static constexpr unsigned kDefaultTextColour = 0x000000;
  static constexpr unsigned kDefaultLinkColour = 0x008000;
  static constexpr unsigned kDefaultVlinkColour = 0xC08000;

  // `settings` must outlive the table; qvLinkResolver reads dontSkipCGI
  // from it on every link, so changes made during a run take effect at once.
  explicit qvURLTable(const qvDriverSettings& settings);
  qvURLTable(const qvURLTable&) = delete;
  qvURLTable& operator=(const qvURLTable&) = delete;
  virtual ~qvURLTable();

  // Topic colours: background of the scrolling and non-scrolling regions,
  // and the text, link and visited-link colours copied into new statuses.
  // The driver and the user interface set them; resetRun() restores them.
  unsigned mainColour = kDefaultMainColour;
  unsigned nonScrollColour = kDefaultNonScrollColour;
  unsigned textColour = kDefaultTextColour;
  unsigned linkColour = kDefaultLinkColour;
  unsigned vlinkColour = kDefaultVlinkColour;

  // In the retrieval range of the run started at `start`: same host
  // (compared lower-case); unless `siteWide`, also a path that begins with
  // the start directory, or that equals it without its final "/". False
  // for text that is not a URL.
  static bool inRange(const qvURLStatus& start, std::string_view url,
                      bool siteWide);

  // ---- Statuses ----

  // The status for `text`: the existing one with the same key, or a new
  // one (next topic name and id, the current colours, skippedByUser when
  // links are frozen). "file:" URLs go through fileForURL and addFile.
  // Never null: text that is not a URL still gets a status, which
  // makeURL() then marks bad.
  qvURLStatus* addURL(std::string_view text, int seedNumber, int depth);

  // The status for the local file `file`, made as addURL does, with
  // `localFile` set. Null only for an empty name.
  qvURLStatus* addFile(std::string_view file, int seedNumber, int depth);

  // Parses the status's URL and fills its derived fields (url, baseURL,
  // startDirectory, host; for a local file also localFile and title).
  // Empty for ftp (sets isFTP), for other unfetchable schemes, and for text
  // that is not a URL (sets badURL).
  std::optional<qvURL> makeURL(qvURLStatus& status) const;

  // Sets the page's base URL from a BASE tag's href. False (base unchanged)
  // when the href cannot be made into a URL; the caller reports it.
  bool setBase(qvURLStatus& status, std::string_view href) const;

  // Generated name ("nameID" + k) of the anchor `name` of the page,
  // created on first use; names compare without case.
  std::string anchorName(qvURLStatus& status, std::string_view name) const;
  // The generated name, or empty when the page has no such anchor yet.
  std::optional<std::string> findAnchorName(const qvURLStatus& status,
                                            std::string_view name) const;

  // The status of `url` (canonicalised first), or null.
  qvURLStatus* find(std::string_view url) const;
  // The status created with number `id`, or null.
  qvURLStatus* statusById(int id);
  // Number of statuses in the run.
  std::size_t size() const { return statuses_.size(); }
  // All statuses in creation order.
  const std::deque<qvURLStatus>& statuses() const { return statuses_; }

  // ---- Passes ----

  // Neither active nor done.
  static bool isPending(const qvURLStatus& status) {
    return !status.isActive() && !status.isDone();
  }
  // Some status is pending (O(1)).
  bool hasPending() const { return !pending_.empty(); }
  // The pending status with the lowest id, or null (O(log n)).
  qvURLStatus* nextPending();
  // Sets or clears `active` / `done` of a status of this table.
  void markActive(qvURLStatus& status, bool on = true);
  void markDone(qvURLStatus& status, bool on = true);
  // Sets stoppedByEnough on every status that is not done.
  void markEnough();
  // Clears active and done on every status (before the final pass).
  void resetPass();
  // Forgets every status, the help-ID map, the start URL and the current
  // page, unfreezes links, zeroes both counters and restores the colours.
  void resetRun();

  // ---- Run state ----

  // Next topic number ("documentID" + n) and next creation number.
  int documentCounter() const { return documentCounter_; }
  int idCounter() const { return idCounter_; }
  // The run's start point (the first status that became one), or null.
  qvURLStatus* startURL() const { return startURL_; }
  void setStartURL(qvURLStatus* status) { startURL_ = status; }
  // The page the crawl or the final pass is working on, or null.
  qvURLStatus* currentPage() const { return currentPage_; }
  void setCurrentPage(qvURLStatus* status) { currentPage_ = status; }
  // While set, new statuses are made already skippedByUser.
  bool linksFrozen() const { return linksFrozen_; }
  void setLinksFrozen(bool frozen) { linksFrozen_ = frozen; }
  // "idh_" anchor names and their help-context numbers, in the order the
  // project's [MAP] section lists them. Filled by the anchor handler.
  std::map<std::string, int>& helpIds() { return helpIds_; }
  const std::map<std::string, int>& helpIds() const { return helpIds_; }

  // The settings the table was made with (links read dontSkipCGI).
  const qvDriverSettings& settings() const { return settings_; }

 private:
  // Looks statuses up by their key without a second copy of it.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const;
    std::size_t operator()(const qvURLStatus* status) const;
  };
  struct KeyEqual {
    using is_transparent = void;
    bool operator()(const qvURLStatus* a, const qvURLStatus* b) const;
    bool operator()(std::string_view a, const qvURLStatus* b) const;
    bool operator()(const qvURLStatus* a, std::string_view b) const;
  };

  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  qvURLStatus* findKey(std::string_view key) const;
  static std::optional<qvURL> makeFileURL(qvURLStatus& status);
  qvURLStatus& create(std::string url, int seedNumber, int depth);
  void setPending(qvURLStatus& status);

  const qvDriverSettings& settings_;
  std::deque<qvURLStatus> statuses_;
  std::unordered_set<qvURLStatus*, KeyHash, KeyEqual> byKey_;
  // Each "file:" link text with the status it named. Finding the file
  // behind a link asks the file system whether it is a folder, and a page
  // links to the same few files hundreds of times.
  std::unordered_map<std::string, qvURLStatus*, TextHash, std::equal_to<>> fileLinks_;
  qvPendingSet pending_;
  int documentCounter_ = 0;
  int idCounter_ = 0;
  qvURLStatus* startURL_ = nullptr;
  qvURLStatus* currentPage_ = nullptr;
  bool linksFrozen_ = false;
  std::map<std::string, int> helpIds_;
};
