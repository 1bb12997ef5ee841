// Large and hostile pages: the parse stays linear, finishes, and the items
// stay within a bounded multiple of the page's size.

#include <gtest/gtest.h>
#include <malloc.h>

#include <string>

#include "HtmlTestSupport.h"

namespace {

constexpr std::size_t kPageSize = 50 * 1024 * 1024;

std::string repeat(const std::string& unit, std::size_t size) {
  std::string page;
  page.reserve(size + unit.size());
  while (page.size() < size) page += unit;
  return page;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(LargePage, FiftyMegabytesOfMarkupStayBounded) {
  HtmlFixture f;
  const std::string unit =
      "<p class=\"body\">Some text with <a href=\"page.html#part\">a link</a>, <b>bold</b> &amp; "
      "<code>code()</code>.</p>\n";
  const std::string page = repeat(unit, kPageSize);
  const std::size_t perUnit = f.parse(unit).size();
  const std::size_t before = mallinfo2().uordblks;
  qvItemList& items = f.parse(page);
  const std::size_t used = mallinfo2().uordblks - before;
  EXPECT_TRUE(f.parsed);
  EXPECT_EQ(items.size(), page.size() / unit.size() * perUnit);
  if (!kSanitized) {
    // About a hundred bytes per item, items a few characters long.
    EXPECT_LT(used, 20 * page.size()) << used / page.size() << " bytes per page byte";
  }
  RecordProperty("bytes_per_page_byte", static_cast<int>(used / page.size()));
}

TEST(LargePage, HostilePagesStayLinear) {
  HtmlFixture f;
  // Unclosed tags with no '>' anywhere after them, and stray brackets: one
  // text run each, not one item per bracket.
  EXPECT_EQ(f.parse(repeat("<b ", kPageSize)).size(), 1u);
  EXPECT_EQ(f.parse(std::string(kPageSize, '>')).size(), 1u);
  // A script full of unclosed begin tags, closed at the very end.
  qvItemList& script = f.parse("<script>" + repeat("<script ", kPageSize) + "></script>x");
  EXPECT_EQ(script.back().asText()->chars(), "x");
  // Entities that never end, names that are never known.
  EXPECT_TRUE(f.parse(repeat("&amp", kPageSize / 4)).size() > 0);
  EXPECT_EQ(f.parse("&" + std::string(kPageSize / 4, 'a')).size(), 1u);
  // A tag name as long as the page.
  EXPECT_EQ(f.parse("<" + std::string(kPageSize / 4, 'x') + ">").size(), 1u);
  // Comments opened and never closed.
  EXPECT_TRUE(f.parse(repeat("<!--", kPageSize / 4)).empty());
  EXPECT_TRUE(f.parsed);
}

}  // namespace
