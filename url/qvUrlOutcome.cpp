#include "url/qvUrlOutcome.h"

#include "url/qvURLStatus.h"

namespace {

constexpr const char* kCgiLine =
    "\\cf1 This link was not retrieved because is was suspected to be CGI. This may be changed from the "
    "Corvane options panel.";

}  // namespace

std::optional<std::string> qvUrlOutcome::flagReason(const qvURLStatus& s) {
  if (s.stoppedByEnough && !s.converted) return "skipped due to enough button or max time";
  if (s.cancelledBySkip) return "user pressed 'skip' button";
  if (s.outsideRange) return "outside retrieval range";
  if (s.offlineNotCached) return "offline mode set and not in cache";
  if (s.skippedByUser) return "skipped at user request";
  if (s.tooDeep) return "exceeded max depth";
  if (s.brokenLink) return "broken link";
  if (s.noRobots) return "no robots";
  if (s.unknownType) return "unknown content type";
  if (s.otherError) return "other error";
  return std::nullopt;
}

std::optional<std::string> qvUrlOutcome::reason(qvURLStatus& s) {
  if (s.failureText) return s.failureText;
  auto text = flagReason(s);
  if (text) s.failureText = text;
  return text;
}

std::optional<std::string> qvUrlOutcome::startUrlReport(qvURLStatus& s) {
  if (s.failureText) return s.failureText;
  const auto text = flagReason(s);
  if (!text) return std::nullopt;
  s.failureText = "URL " + s.url + " : " + *text;
  return s.failureText;
}

bool qvUrlOutcome::untouched(const qvURLStatus& s) {
  return !(s.converted || s.brokenLink || s.unknownType || s.noRobots || s.badURL || s.isFTP || s.outsideRange ||
           s.offlineNotCached || s.otherError || s.skippedByUser || s.tooDeep || s.stoppedByEnough ||
           s.cancelledBySkip || s.imageNotFetched || s.failureText);
}

std::string qvUrlOutcome::cgiReasonLine() { return kCgiLine; }

std::string qvUrlOutcome::popupReasonLine(const qvURLStatus& t, bool suspectedCGI) {
  if (untouched(t)) return "\\cf1 Corvane had not yet fully processed this link before retrievals stopped.";
  if (suspectedCGI) return kCgiLine;
  if (t.stoppedByEnough) {
    return "\\cf1 This link was not retrieved because either the user pressed the Corvane 'Enough' button or "
           "the given retrieval time limit expired.";
  }
  if (t.isFTP) return "\\cf1 This link was not retrieved because Corvane does not yet support the internet protocol it uses.";
  if (t.outsideRange || t.tooDeep || t.offlineNotCached || t.skippedByUser || t.cancelledBySkip || t.badURL) {
    return "\\cf1 Processing ended before this link could be retrieved.";
  }
  if (t.brokenLink) return "\\cf1 This link was broken at the time Corvane tried to fetch it.";
  if (t.unknownType) {
    return "\\cf1 This link was not retrieved because Corvane does not support the Content-Type reported by the "
           "server.";
  }
  if (t.noRobots) return "\\cf1 This link was not retrieved because the webmaster had barred robots from doing so.";
  return "\\cf1 This link was not retrieved (unspecified error code).";
}
