#include "cache/CacheDecisions.h"

#include "cache/CacheDirectives.h"
#include "net/HeaderList.h"

StoreVerdict decideStore(std::string_view key, const HeaderList& responseHeaders, bool cacheDynamic) {
  StoreVerdict verdict;
  if (!cacheDynamic && (key.find('?') != std::string_view::npos || key.find("/cgi") != std::string_view::npos)) {
    return verdict;
  }
  const CacheDirectives pragma = CacheDirectives::parse(responseHeaders.find("Pragma:").value_or(""));
  if (pragma.noCache) {
    verdict.reason = "  (Server specified Pragma: No-Cache)";
    return verdict;
  }
  const CacheDirectives control = CacheDirectives::parse(responseHeaders.find("Cache-Control:").value_or(""));
  if (control.noCache) {
    verdict.reason = "  (Server specified Cache-Control: No-Cache)";
    return verdict;
  }
  if (control.noStore) {
    verdict.reason = "  (Server specified Cache-Control: No-Store)";
    return verdict;
  }
  verdict.store = true;
  verdict.mustRevalidate = control.mustRevalidate;
  return verdict;
}

RequestPlan planRequest(bool offline, bool revalidateEveryPage, EntryState entry) {
  if (offline) return RequestPlan::kServeOrFailOffline;
  if (entry == EntryState::kAbsent) return RequestPlan::kAskPlainly;
  if (!revalidateEveryPage && entry == EntryState::kFresh) return RequestPlan::kServe;
  return RequestPlan::kAskConditionally;
}
