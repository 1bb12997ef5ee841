#include "url/qvPendingSet.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

TEST(qvPendingSet, EmptySetHasNoLowest) {
  qvPendingSet set;
  EXPECT_TRUE(set.empty());
  EXPECT_EQ(set.lowest(), -1);
  set.erase(5);
  set.insert(-3);
  EXPECT_TRUE(set.empty());
  EXPECT_FALSE(set.contains(-3));
}

TEST(qvPendingSet, GrowingKeepsEarlierMembersVisible) {
  // A member added before the set needed a summary level must still be
  // found once later ids have added levels above it.
  qvPendingSet set;
  set.insert(3);
  set.insert(5000);
  set.insert(300000);
  EXPECT_EQ(set.lowest(), 3);
  set.erase(3);
  EXPECT_EQ(set.lowest(), 5000);
  set.erase(5000);
  EXPECT_EQ(set.lowest(), 300000);
  set.insert(64);
  EXPECT_EQ(set.lowest(), 64);
  EXPECT_EQ(set.size(), 2U);
}

TEST(qvPendingSet, AgreesWithAnOrderedSetUnderRandomChanges) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> ids(0, 20000);
  qvPendingSet set;
  std::set<int> model;
  for (int round = 0; round < 60000; ++round) {
    const int id = ids(random);
    if (random() % 3 == 0) {
      set.erase(id);
      model.erase(id);
    } else {
      set.insert(id);
      model.insert(id);
    }
    ASSERT_EQ(set.size(), model.size());
    ASSERT_EQ(set.lowest(), model.empty() ? -1 : *model.begin());
  }
  for (int id = 0; id <= 20000; ++id) ASSERT_EQ(set.contains(id), model.count(id) == 1);
  set.clear();
  EXPECT_EQ(set.lowest(), -1);
}

}  // namespace
