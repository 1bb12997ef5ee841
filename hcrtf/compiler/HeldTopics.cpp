#include "hcrtf/compiler/HeldTopics.h"

#include <cstring>

namespace hcrtf::compiler {

namespace {

// Each record: type, non-scrolling flag, whether it starts a topic, topic
// number, then LinkData1 and LinkData2 each after its length.
constexpr std::size_t kFixed = 3 + 8 + 4;

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t getU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

struct Cursor {
  const std::uint8_t* at;
  TopicRecord read(bool* startsTopic) {
    TopicRecord record;
    record.type = at[0];
    record.nonScrolling = at[1] != 0;
    *startsTopic = at[2] != 0;
    std::uint64_t topic = 0;
    std::memcpy(&topic, at + 3, 8);
    record.topic = static_cast<std::size_t>(topic);
    const std::uint32_t length1 = getU32(at + 11);
    record.data1.assign(at + kFixed, at + kFixed + length1);
    at += kFixed + length1;
    const std::uint32_t length2 = getU32(at);
    record.data2.assign(at + 4, at + 4 + length2);
    at += 4 + length2;
    return record;
  }
};

}  // namespace

std::size_t HeldTopics::sizeOf(const std::vector<TopicRecord>& records) {
  std::size_t size = 0;
  for (const TopicRecord& record : records) size += kFixed + record.data1.size() + 4 + record.data2.size();
  return size;
}

void HeldTopics::add(const std::vector<TopicRecord>& records) {
  if (bytes_.capacity() == 0) bytes_.reserve(expected_);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TopicRecord& record = records[i];
    bytes_.push_back(record.type);
    bytes_.push_back(record.nonScrolling ? 1 : 0);
    bytes_.push_back(i == 0 ? 1 : 0);
    const auto topic = static_cast<std::uint64_t>(record.topic);
    const auto* topicBytes = reinterpret_cast<const std::uint8_t*>(&topic);
    bytes_.insert(bytes_.end(), topicBytes, topicBytes + 8);
    putU32(bytes_, static_cast<std::uint32_t>(record.data1.size()));
    bytes_.insert(bytes_.end(), record.data1.begin(), record.data1.end());
    putU32(bytes_, static_cast<std::uint32_t>(record.data2.size()));
    bytes_.insert(bytes_.end(), record.data2.begin(), record.data2.end());
    text_ += record.data2.size();
  }
}

std::vector<std::span<const std::uint8_t>> HeldTopics::texts() const {
  std::vector<std::span<const std::uint8_t>> result;
  const std::uint8_t* at = bytes_.data();
  const std::uint8_t* const end = at + bytes_.size();
  while (at < end) {
    at += kFixed + getU32(at + 11);
    const std::uint32_t length2 = getU32(at);
    result.emplace_back(at + 4, length2);
    at += 4 + length2;
  }
  return result;
}

void HeldTopics::drain(const std::function<void(std::vector<TopicRecord>&)>& take) {
  std::vector<TopicRecord> topic;
  Cursor cursor{bytes_.data()};
  const std::uint8_t* const end = bytes_.data() + bytes_.size();
  while (cursor.at < end) {
    bool startsTopic = false;
    TopicRecord record = cursor.read(&startsTopic);
    if (startsTopic && !topic.empty()) {
      take(topic);
      topic.clear();
    }
    topic.push_back(std::move(record));
  }
  if (!topic.empty()) take(topic);
  bytes_.clear();
  bytes_.shrink_to_fit();
  text_ = 0;
}

}  // namespace hcrtf::compiler
