#pragma once
// qvURLCanonicaliser: the one written form of a URL. Two spellings of a URL
// share a status when their canonical forms are equal, so every rule here
// decides what the run counts as one page.

#include <optional>
#include <string>
#include <string_view>

class qvURLCanonicaliser {
 public:
  qvURLCanonicaliser() = delete;

  // Canonical form of a URL: lower-case scheme and host, no port 80, dot
  // segments removed from the path, no fragment, no line breaks, quotes as
  // %27, %60 and %22. Text that does not parse as a URL comes back as it is.
  // `httpsFetched`: https URLs are pages of the run, written as http ones
  // are (a path of at least "/", no port 443); otherwise they are outside
  // links, kept as they were written.
  static std::string canonicalURL(std::string_view text, bool httpsFetched = false);

  // Removes "/./" and "/segment/.." from a path; a query after '?' is left
  // alone. "/a/b/../c" gives "/a/c"; "/../x" gives "//x".
  static std::string normalisePath(std::string_view path);

  // `reference` resolved against `base` and put in canonical form; empty
  // when the result is not a URL. Used for redirects and link notes.
  static std::optional<std::string> absoluteURL(std::string_view base, std::string_view reference,
                                                bool httpsFetched = false);
};
