#pragma once
// qvLinkResolution: what qvLinkResolver::resolveLink found out about one link
// (the href of an anchor or the src of a frame). The anchor handler keeps it
// and decides from it, in the final pass, whether the link becomes a jump, a
// popup note or a call to the browser.

#include <optional>
#include <string>

class qvURLStatus;

enum class qvLinkClass {
  Followed,             // a URL of the table; `target` is its status
  SamePage,             // "#name" or an empty value: `target` is the page
  Cgi,                  // contains "?" or "/cgi" and CGI is not fetched
  EmptyFragment,        // ends in "#": points nowhere
  FileFromRemote,       // a "file:" link on a page that is not local
  UnsupportedProtocol,  // ftp:, https:, mailto:, nntp:, news:, telnet:, gopher:
  UnknownProtocol,      // any other scheme
};

struct qvLinkResolution {
  qvLinkClass classification = qvLinkClass::Followed;
  // The status the link leads to (Followed, SamePage), else null.
  qvURLStatus* target = nullptr;
  // Text after '#', when the value had a non-empty fragment.
  std::optional<std::string> fragment;
  // The attribute value as the page gave it.
  std::string value;
  // `value` resolved against the page's base URL, in canonical form; for
  // the notes of links that are not followed. Empty when that fails.
  std::optional<std::string> absolute;

  // True when the crawl may fetch the target.
  bool followed() const { return classification == qvLinkClass::Followed; }
};
