#include "hcrtf/compiler/HeldTopics.h"

#include <gtest/gtest.h>

namespace hcrtf::compiler {
namespace {

TopicRecord record(std::uint8_t type, std::size_t topic, std::vector<std::uint8_t> data1,
                   std::vector<std::uint8_t> data2, bool nonScrolling = false) {
  TopicRecord r;
  r.type = type;
  r.topic = topic;
  r.data1 = std::move(data1);
  r.data2 = std::move(data2);
  r.nonScrolling = nonScrolling;
  return r;
}

// Topics come back one at a time, in order, with every field they went in
// with, however small or large; a topic of only its header is a topic too.
TEST(HeldTopics, GivesBackEachTopicAsItWasHeld) {
  const std::vector<std::vector<TopicRecord>> topics = {
      {record(kRecordTopicHeader, 0, std::vector<std::uint8_t>(28, 7), {'T', 'i'}),
       record(kRecordText, 0, {1, 2, 3}, {'a', 0, 'b'}, true), record(kRecordTable, 0, {}, {})},
      {record(kRecordTopicHeader, 1, std::vector<std::uint8_t>(28, 9), {})},
      {record(kRecordTopicHeader, 5'000'000'000ull, {}, std::vector<std::uint8_t>(70'000, 'x')),
       record(kRecordText, 5'000'000'000ull, std::vector<std::uint8_t>(300, 4), {'z'})},
  };
  HeldTopics held(1024);
  std::size_t text = 0;
  for (const auto& topic : topics) {
    held.add(topic);
    for (const TopicRecord& r : topic) text += r.data2.size();
  }
  EXPECT_EQ(held.textBytes(), text);
  const auto texts = held.texts();
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(std::vector<std::uint8_t>(texts[1].begin(), texts[1].end()), (std::vector<std::uint8_t>{'a', 0, 'b'}));
  EXPECT_EQ(texts[4].size(), 70'000u);

  std::vector<std::vector<TopicRecord>> back;
  held.drain([&](std::vector<TopicRecord>& topic) { back.push_back(topic); });
  ASSERT_EQ(back.size(), topics.size());
  for (std::size_t t = 0; t < topics.size(); ++t) {
    ASSERT_EQ(back[t].size(), topics[t].size()) << "topic " << t;
    for (std::size_t i = 0; i < topics[t].size(); ++i) {
      const TopicRecord &a = topics[t][i], &b = back[t][i];
      EXPECT_EQ(a.type, b.type);
      EXPECT_EQ(a.topic, b.topic);
      EXPECT_EQ(a.data1, b.data1);
      EXPECT_EQ(a.data2, b.data2);
      EXPECT_EQ(a.nonScrolling, b.nonScrolling);
    }
  }
  EXPECT_TRUE(held.empty());
  EXPECT_EQ(held.textBytes(), 0u);
}

}  // namespace
}  // namespace hcrtf::compiler
