// The cache's decisions from plain facts: which directives keep a response
// out of the cache, when the server is asked, and the date of a conditional
// request.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "cache/CacheDecisions.h"
#include "cache/CacheDirectives.h"
#include "cache/ConditionalLine.h"
#include "net/HeaderList.h"

namespace {

HeaderList headers(std::initializer_list<const char*> lines) {
  HeaderList list;
  for (const char* line : lines) list.add(line);
  return list;
}

TEST(CacheDirectivesTest, DirectivesCountAnywhereInTheListInAnyCase) {
  const CacheDirectives both = CacheDirectives::parse("no-cache, no-store");
  EXPECT_TRUE(both.noCache);
  EXPECT_TRUE(both.noStore);
  const CacheDirectives listed = CacheDirectives::parse("max-age=0,\tMUST-Revalidate , private");
  EXPECT_TRUE(listed.mustRevalidate);
  EXPECT_FALSE(listed.noCache);
  EXPECT_TRUE(CacheDirectives::parse("No-Cache").noCache);
  EXPECT_TRUE(CacheDirectives::parse("no-cache=\"Set-Cookie, Vary\"").noCache);
  EXPECT_TRUE(CacheDirectives::parse(",,no-store,").noStore);
}

TEST(CacheDirectivesTest, LookalikesAndQuotedWordsAreNotDirectives) {
  const CacheDirectives none = CacheDirectives::parse("no-cacher, xno-store, private=\"no-cache, no-store\"");
  EXPECT_FALSE(none.noCache);
  EXPECT_FALSE(none.noStore);
  EXPECT_FALSE(none.mustRevalidate);
  EXPECT_FALSE(CacheDirectives::parse("").noCache);
  EXPECT_FALSE(CacheDirectives::parse("\"no-cache").noCache);
}

TEST(CacheDecisionsTest, ForbiddenResponsesAreNotKeptAndSayWhy) {
  StoreVerdict v = decideStore("http://h/a", headers({"Pragma: no-cache"}), false);
  EXPECT_FALSE(v.store);
  EXPECT_EQ(v.reason, "  (Server specified Pragma: No-Cache)");
  v = decideStore("http://h/a", headers({"Cache-Control: max-age=0, No-Cache"}), false);
  EXPECT_FALSE(v.store);
  EXPECT_EQ(v.reason, "  (Server specified Cache-Control: No-Cache)");
  v = decideStore("http://h/a", headers({"cache-control: public, NO-STORE"}), false);
  EXPECT_FALSE(v.store);
  EXPECT_EQ(v.reason, "  (Server specified Cache-Control: No-Store)");
}

TEST(CacheDecisionsTest, KeptResponsesCarryTheRevalidationMark) {
  StoreVerdict v = decideStore("http://h/a", headers({"Cache-Control: no-transform, must-revalidate"}), false);
  EXPECT_TRUE(v.store);
  EXPECT_TRUE(v.mustRevalidate);
  EXPECT_TRUE(v.reason.empty());
  v = decideStore("http://h/a", headers({"Content-Type: text/html"}), false);
  EXPECT_TRUE(v.store);
  EXPECT_FALSE(v.mustRevalidate);
}

TEST(CacheDecisionsTest, DynamicLookingUrlsAreKeptOnlyWhenAsked) {
  const HeaderList none;
  EXPECT_FALSE(decideStore("http://h/a?b=1", none, false).store);
  EXPECT_FALSE(decideStore("http://h/cgi-bin/x", none, false).store);
  EXPECT_TRUE(decideStore("http://h/CGI-BIN/x", none, false).store);
  EXPECT_TRUE(decideStore("http://h/a?b=1", none, true).store);
  EXPECT_TRUE(decideStore("http://h/cgi-bin/x", none, true).store);
  // Unasked reasons stay silent: a query is not the server's doing.
  EXPECT_TRUE(decideStore("http://h/a?b=1", none, false).reason.empty());
}

TEST(CacheDecisionsTest, PlanFollowsOfflineRevalidationAndTheEntry) {
  for (const EntryState entry : {EntryState::kAbsent, EntryState::kFresh, EntryState::kMustRevalidate}) {
    EXPECT_EQ(planRequest(true, false, entry), RequestPlan::kServeOrFailOffline);
    EXPECT_EQ(planRequest(true, true, entry), RequestPlan::kServeOrFailOffline);
  }
  EXPECT_EQ(planRequest(false, false, EntryState::kAbsent), RequestPlan::kAskPlainly);
  EXPECT_EQ(planRequest(false, true, EntryState::kAbsent), RequestPlan::kAskPlainly);
  EXPECT_EQ(planRequest(false, false, EntryState::kFresh), RequestPlan::kServe);
  EXPECT_EQ(planRequest(false, true, EntryState::kFresh), RequestPlan::kAskConditionally);
  EXPECT_EQ(planRequest(false, false, EntryState::kMustRevalidate), RequestPlan::kAskConditionally);
}

// Sets TZ for one test and puts the old value back.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = ::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~TimeZone() {
    if (old_) ::setenv("TZ", old_->c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

// An index time: the UTC moment shifted by the zone's offset from UTC.
std::uint32_t shifted(std::time_t utc) {
  std::tm local{};
  localtime_r(&utc, &local);
  return static_cast<std::uint32_t>(utc - local.tm_gmtoff);
}

TEST(ConditionalLineTest, StoredTimeComesBackAsTheGmtMomentInAnyZone) {
  const std::time_t winter = 784111777;   // Sun, 06 Nov 1994 08:49:37 GMT
  const std::time_t summer = 1719835200;  // Mon, 01 Jul 2024 12:00:00 GMT
  for (const char* zone : {"UTC", "America/New_York", "Asia/Kolkata", "Pacific/Auckland"}) {
    TimeZone tz(zone);
    EXPECT_EQ(conditionalLine(shifted(winter)), "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n") << zone;
    EXPECT_EQ(conditionalLine(shifted(summer)), "If-Modified-Since: Mon, 01 Jul 2024 12:00:00 GMT\r\n") << zone;
  }
}

}  // namespace
