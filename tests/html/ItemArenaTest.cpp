// A page's items live in its list's arena. Lists are moved (a restored page
// hands its list on) and cleared; items made by hand on the heap may join
// one. Under the sanitizers these catch an item outliving its memory or a
// heap item never freed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "HtmlTestSupport.h"
#include "html/qvHtmlTag.h"
#include "html/qvTagBR.h"

namespace {

std::string describeAll(const qvItemList& items) {
  std::string all;
  for (std::size_t i = 0; i < items.size(); ++i) all += items[i].describe() + ";";
  return all;
}

TEST(ItemArena, ItemsSurviveTheirListBeingMovedAndAssigned) {
  HtmlFixture f;
  qvItemList& first = f.parse("<p>one <b>two</b> <a href=\"x.html\" id=\"y\">three</a></p>");
  const std::string described = describeAll(first);
  const std::string render = HtmlFixture::write(f.parser.bindItems(first.refs()));

  qvItemList moved(std::move(first));
  EXPECT_EQ(describeAll(moved), described);
  qvItemList& other = f.parse("<ul><li>a<li>b</ul>");
  ASSERT_FALSE(other.empty());
  other = std::move(moved);
  EXPECT_EQ(describeAll(other), described);
  EXPECT_EQ(HtmlFixture::write(f.parser.bindItems(other.refs())), render);
}

TEST(ItemArena, ClearedListsTakeNewItemsAndHeapItemsAreFreed) {
  HtmlFixture f;
  qvItemList& items = f.parse("<p>" + std::string(100000, 'x') + "<br></p>");
  ASSERT_GT(items.size(), 2u);
  items.clear();
  EXPECT_TRUE(items.empty());
  // An item made on the heap joins a list whose others live in the arena.
  items.append(std::make_unique<qvTagBR>(f.context));
  items.append(items.arena().make<qvTagBR>(f.context));
  EXPECT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].describe(), items[1].describe());
}

}  // namespace
