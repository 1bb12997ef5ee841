#pragma once
// Turns the outcome flags the crawl recorded on a URL status into the one
// reason the user and the help file see, and into the line a link's popup
// shows when its target was not converted.

#include <optional>
#include <string>

class qvURLStatus;

class qvUrlOutcome {
 public:
  // The reason text of the first outcome flag that applies, in order of
  // precedence (the enough button first, "other error" last), or none.
  static std::optional<std::string> flagReason(const qvURLStatus& status);

  // The reason a status was not converted, as the final pass reports it:
  // its failure text when it has one, else the flag reason, which then
  // becomes its failure text. None when no reason applies.
  static std::optional<std::string> reason(qvURLStatus& status);

  // What the user is told when the start URL gives no first topic: its
  // failure text, else "URL " + url + " : " + the flag reason (which becomes
  // its failure text). None when nothing applies.
  static std::optional<std::string> startUrlReport(qvURLStatus& status);

  // True when the crawl left no outcome at all on the status: it was never
  // taken before retrievals stopped.
  static bool untouched(const qvURLStatus& status);

  // The reason line ("\cf1 " + text) of the popup explaining why a link to
  // `target` was not converted. `suspectedCGI` is the link's own
  // classification (such a link is never fetched).
  static std::string popupReasonLine(const qvURLStatus& target, bool suspectedCGI);
  // The same for a CGI link that has no status.
  static std::string cgiReasonLine();
};
