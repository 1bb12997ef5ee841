#pragma once
// The HTTP client's use of the disk cache: whether a URL's cached copy is
// served without asking the server, the If-Modified-Since line that asks
// whether it is still current, and which fetched bodies and redirects are
// kept. URLs are looked up and stored under their cacheKey.
//
// Every operation answers "no" and does nothing while caching is switched off
// in the settings or no index is open; the client then simply goes to the
// network. Nothing here stops a run: a cache that cannot be written is
// reported once per run and the page is used from its working file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cache/CacheDecisions.h"

class CacheIndex;
class HeaderList;
class qvUserInterface;

class CachePolicy {
 public:
  // Stands in for the data file when the entry is a redirect.
  static constexpr const char* kAliasMarker = "***ALIAS***";
  static constexpr const char* kAliasType = "Corvane/Alias";

  // A cached copy as the client hands it on: the file holding the body (or
  // the alias marker) and the header lines describing it.
  struct Served {
    std::string dataFile;
    std::vector<std::string> headerLines;
  };

  // `index` and `ui` must outlive the policy.
  CachePolicy(qvUserInterface& ui, CacheIndex& index);

  // Switched on in the settings and an index open.
  bool enabled() const;

  // The cached copy of `url`, its body under the name `workingFile`; none
  // when there is no usable one (absent, expired, or a body file missing or
  // not of the stored size).
  std::optional<Served> serve(std::string_view url, const std::string& workingFile) const;
  // Whether `url` has an entry and whether the server demanded that it be
  // checked before use (which is reported).
  EntryState entryState(std::string_view url) const;
  // The If-Modified-Since line for `url`'s entry; none without a usable one.
  std::optional<std::string> conditionalLine(std::string_view url) const;
  // Whether the offline crawl can take `url` from the cache.
  bool isCached(std::string_view url) const;

  // Keeps the whole body in `bodyFile` (`size` bytes, as received) for
  // `url` when the response allows it; `bodyFile` stays a name of the body.
  // Whether it was stored.
  bool storeBody(std::string_view url, const HeaderList& responseHeaders, std::string_view contentType,
                 const std::string& bodyFile, std::uint32_t size);
  // Records that `url` redirected to `target`, subject to the same response
  // directives.
  bool recordAlias(std::string_view url, std::string_view target, const HeaderList& responseHeaders);

  // Run before every store; false refuses it. Trimming and defragmenting
  // plug in here.
  void setBeforeStore(std::function<bool()> check) { beforeStore_ = std::move(check); }
  // A new run: a failing cache folder is reported again.
  void startRun() { writeFailureShown_ = false; }

 private:
  std::optional<StoreVerdict> allowed(std::string_view key, const HeaderList& responseHeaders) const;
  void reportWriteFailure(int error);

  qvUserInterface& ui_;
  CacheIndex& index_;
  std::function<bool()> beforeStore_;
  bool writeFailureShown_ = false;
};
