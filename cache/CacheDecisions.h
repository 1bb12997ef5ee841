#pragma once
// What the cache does for one request and one response, decided from plain
// facts so that the HTTP client only carries the decisions out.

#include <string>
#include <string_view>

class HeaderList;

// Whether a fetched response may be kept, and how.
struct StoreVerdict {
  bool store = false;
  // The server wants every later use checked with it first.
  bool mustRevalidate = false;
  // Why a response the server forbade was not kept, as the user is told
  // after "URL ... not stored in cache"; empty otherwise.
  std::string reason;
};

// `key` is the entry's cache key; `cacheDynamic` also keeps URLs with a query
// or a "/cgi" in them, which are otherwise taken to change from one request
// to the next.
StoreVerdict decideStore(std::string_view key, const HeaderList& responseHeaders, bool cacheDynamic);

// What is known of a URL's entry before the request goes out.
enum class EntryState { kAbsent, kFresh, kMustRevalidate };

enum class RequestPlan {
  kServeOrFailOffline,  // offline: the cached copy or the offline failure
  kServe,               // the cached copy, no question to the server
  kAskConditionally,    // ask with If-Modified-Since
  kAskPlainly,          // nothing usable: ask for the whole page
};

RequestPlan planRequest(bool offline, bool revalidateEveryPage, EntryState entry);
