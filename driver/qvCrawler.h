#pragma once
// The first pass of a run. Takes the pending URL statuses one at a time,
// lowest id first; gives each up at the first gate that refuses it (user
// skip, depth, ftp, parse and range, makeURL, offline, robots); reads a local
// file from disk (an http URL through the remote fetcher); decides from the
// content type what it is; parses an HTML page into items and saves them to
// the page's intermediate file, keeps or saves a plain text, hands a picture
// to the image converter; and records the outcome on the status. Parsing a
// page adds its link targets to the table, so the table grows as the crawl
// goes. Memory holds one page's bytes and items at a time.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "url/qvURL.h"

class qvHtmlContext;
class qvHtmlParser;
class qvItemList;
class qvMimeTypes;
class qvRemoteFetcher;
class qvURLStatus;
class qvURLTable;
class qvUserInterface;
struct qvDriverSettings;
struct qvRunCounters;

// What the crawl knows of a page before it reads it: the reported content
// type (none when the server gave none, or for a local file), the length it
// expects, the length the source announced (a local file's size, a
// server's Content-Length), and the file that holds the bytes (for a remote
// page, once its body was read).
struct qvFetchedPage {
  std::optional<std::string> contentType;
  long expectedLength = -1;
  std::optional<long> announcedLength;
  std::string bodyFile;
  bool remote = false;
};

// Turns an image URL into an image reference for its topic; none when the
// picture cannot be had.
using qvImageLoader = std::function<std::optional<std::string>(qvURLStatus& status, const qvURL& url)>;
// Whether robots may fetch `url` (the run's robots object).
using qvRobotsCheck = std::function<bool(const qvURL& url)>;

class qvCrawler {
 public:
  // Size of the blocks a page is read in.
  static constexpr std::size_t kBlockSize = 65536;

  // Every reference must outlive the crawler. `rtfDirectory` receives the
  // intermediate files "documentID" + n + ".tmp".
  qvCrawler(qvHtmlContext& context, qvHtmlParser& parser, qvItemList& items,
            const qvMimeTypes& mimeTypes, qvRunCounters& counters, std::string rtfDirectory);

  // Remote URLs, robots and pictures; each may be left unset.
  void setRemoteFetcher(qvRemoteFetcher* fetcher) { fetcher_ = fetcher; }
  void setRobotsCheck(qvRobotsCheck check) { robots_ = std::move(check); }
  void setImageLoader(qvImageLoader loader) { images_ = std::move(loader); }

  // Runs rounds while something is pending and neither maxURLs, the enough
  // button nor an abort stops it. A cancel ends it with qvCancelException.
  void crawl();

  // What a page read as `reported` (a server's type, none for a local file)
  // with `guess` from its name is taken to be. `suspectedHtml` asks for the
  // "content/unknown" warning.
  struct TypeDecision {
    std::optional<std::string> type;
    bool suspectedHtml = false;
  };
  static TypeDecision decideType(const std::optional<std::string>& reported, const std::optional<std::string>& guess);

  // A text that claims to be plain but has more than one byte above 127 in
  // twenty (plus one) is taken for binary.
  static bool looksBinary(std::string_view text);

  // The intermediate file of a status.
  std::string intermediateFile(const qvURLStatus& status) const;

 private:
  bool keepGoing();
  void round();
  void runRound(qvURLStatus& status);
  // The gates before anything is read; false when the status was given up.
  bool passGates(qvURLStatus& status, std::optional<qvURL>& parsed);
  bool passRobots(qvURLStatus& status, const qvURL& parsed);
  // Local file checks; false when given up, else fills `page`.
  bool openLocal(qvURLStatus& status, qvFetchedPage& page);
  void handleContent(qvURLStatus& status, const qvURL& parsed, qvFetchedPage& page);
  void readHtml(qvURLStatus& status, qvFetchedPage& page);
  void readPlainText(qvURLStatus& status, qvFetchedPage& page);
  void readImage(qvURLStatus& status, const qvURL& parsed);
  // Reads the page's input in blocks, polling and showing progress.
  // Whether fewer bytes arrived than the page announced (a file that shrank
  // while read, a connection that closed early).
  static bool arrivedShort(const qvFetchedPage& page, std::size_t received);
  // A remote page's body is read only once its type says it is wanted.
  bool haveBody(qvURLStatus& status, qvFetchedPage& page);
  std::string readInput(const qvFetchedPage& page);
  // Writes N, the text and (for HTML) the item records; false on failure.
  bool savePage(qvURLStatus& status, std::string_view text, bool withItems);
  void beginReading(const std::string& what, long expected);
  void skip();
  void converted(qvURLStatus& status);
  bool isStart(const qvURLStatus& status) const;

  qvHtmlContext& context_;
  qvURLTable& table_;
  qvHtmlParser& parser_;
  qvItemList& items_;
  const qvMimeTypes& mimeTypes_;
  qvRunCounters& counters_;
  qvUserInterface& ui_;
  qvDriverSettings& settings_;
  std::string rtfDirectory_;
  qvRemoteFetcher* fetcher_ = nullptr;
  qvRobotsCheck robots_;
  qvImageLoader images_;
  std::vector<char> readBuffer_;
  // The characters of the page being parsed: its text runs refer to them
  // until the page's items are saved and dropped.
  std::string pageChars_;
};
