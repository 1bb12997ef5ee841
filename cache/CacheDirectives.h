#pragma once
// The caching directives of one response, read from its "Cache-Control:" and
// "Pragma:" values. Both are comma-separated lists whose directives may come
// in any letter case and may carry an argument ("no-cache=\"Set-Cookie\"");
// a directive counts wherever it stands in the list, so that
// "no-cache, no-store" keeps a page out of the cache as surely as "no-cache".

#include <string_view>

struct CacheDirectives {
  bool noCache = false;
  bool noStore = false;
  bool mustRevalidate = false;

  // Reads one header value; unknown directives and stray commas, blanks or
  // quotes are passed over.
  static CacheDirectives parse(std::string_view value);
};
