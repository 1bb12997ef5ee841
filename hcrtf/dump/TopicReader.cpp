#include "hcrtf/dump/TopicReader.h"

#include <algorithm>
#include <cstring>

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/dump/RecordRenderer.h"
#include "hcrtf/dump/TextEscape.h"
#include "hcrtf/dump/TopicStream.h"

namespace hcrtf::dump {
namespace {

Topic topicFromHeader(const TopicLink& link, std::uint32_t offset) {
  ByteReader r(link.data1, "topic header at " + hex32(link.position));
  Topic t;
  t.position = link.position;
  t.offset = offset;
  t.textOffset = offset;
  r.skip(4);  // size of the topic
  t.browseBack = r.u32();
  t.browseForward = r.u32();
  t.number = r.u32();
  t.nonScroll = r.u32();
  t.scroll = r.u32();
  t.nextTopic = r.u32();
  // LinkData2: the title, then one string per entry macro.
  const std::string& d = link.data2;
  std::size_t pos = 0;
  bool first = true;
  while (pos < d.size()) {
    const std::size_t len = strnlen(d.data() + pos, d.size() - pos);
    std::string s(d.data() + pos, len);
    pos += len + 1;
    if (first) {
      t.title = std::move(s);
      first = false;
    } else if (!s.empty()) {
      t.macros.push_back(std::move(s));
    }
  }
  return t;
}

}  // namespace

const Topic* TopicList::topicAt(std::uint32_t offset) const {
  if (offsetsAscending) {
    // The usual case: file order is offset order, so a binary search serves
    // files of many thousands of topics.
    auto after = std::upper_bound(topics.begin(), topics.end(), offset,
                                  [](std::uint32_t o, const Topic& t) { return o < t.offset; });
    return after == topics.begin() ? nullptr : &*(after - 1);
  }
  const Topic* found = nullptr;
  for (const Topic& t : topics) {
    if (t.offset <= offset && (!found || t.offset >= found->offset)) found = &t;
  }
  return found;
}

namespace {

// Reading state along the record chain: which block the current records lie
// in, how much text precedes them there, and the topic they belong to.
class TopicWalk {
 public:
  TopicWalk(TopicList& list, const std::map<std::int32_t, std::string>& names)
      : list_(list), renderer_(names) {}

  void take(const TopicLink& link) {
    if (link.block != block_) {
      block_ = link.block;
      charsInBlock_ = 0;
    }
    const std::uint32_t here = block_ * kTopicOffsetBlockStep + charsInBlock_;
    if (link.recordType == kRecordTopicHeader) {
      list_.topics.push_back(topicFromHeader(link, here));
      offsetPending_ = true;
      return;
    }
    if (list_.topics.empty()) {
      list_.problems.push_back("record at " + hex32(link.position) + " comes before any topic header");
      return;
    }
    Topic& topic = list_.topics.back();
    // A topic's offset is where its text starts: when the header ends a
    // block, that is in the next block, not where the header lies.
    if (offsetPending_) topic.textOffset = here;
    offsetPending_ = false;
    RecordRenderer::Result rendered = renderer_.render(link);
    charsInBlock_ += rendered.textLength;
    markRegion(topic, link.position);
    topic.lines.insert(topic.lines.end(), rendered.lines.begin(), rendered.lines.end());
    list_.pictures.insert(rendered.pictures.begin(), rendered.pictures.end());
  }

 private:
  // Headings for the part above the scrolling region, shown only in topics
  // that have one.
  static void markRegion(Topic& topic, std::uint32_t position) {
    if (topic.nonScroll == kNoTopic) return;
    const bool fixed = position < topic.scroll;
    const char* heading = fixed ? "  [non-scrolling region]" : "  [scrolling region]";
    const bool started = std::find(topic.lines.begin(), topic.lines.end(), heading) != topic.lines.end();
    if (!started) topic.lines.push_back(heading);
  }

  TopicList& list_;
  RecordRenderer renderer_;
  std::uint32_t block_ = 0xFFFFFFFF;  // none yet
  std::uint32_t charsInBlock_ = 0;
  bool offsetPending_ = false;
};

}  // namespace

TopicList TopicList::read(std::span<const std::uint8_t> topicFile, const SystemInfo& system,
                          const PhraseTable& phrases,
                          const std::map<std::int32_t, std::string>& names) {
  TopicStream stream(topicFile, system);
  TopicList list;
  TopicWalk walk(list, names);
  list.blocks = stream.blockCount();
  std::set<std::uint32_t> visited;
  for (std::uint32_t position = kFirstTopicPos; position != 0 && position != kNoTopic;) {
    if (!visited.insert(position).second) {
      list.problems.push_back("record chain loops back to " + hex32(position));
      break;
    }
    TopicLink link;
    try {
      link = stream.linkAt(position, phrases);
    } catch (const FormatError& e) {
      list.problems.push_back(e.what());
      break;
    }
    ++list.records;
    if (link.badPhraseReferences) {
      list.problems.push_back("record at " + hex32(position) + ": " +
                              std::to_string(link.badPhraseReferences) + " references to missing phrases");
    }
    try {
      walk.take(link);
    } catch (const FormatError& e) {
      list.problems.push_back(e.what());
    }
    position = link.next;
  }
  list.offsetsAscending = std::is_sorted(
      list.topics.begin(), list.topics.end(),
      [](const Topic& a, const Topic& b) { return a.offset < b.offset; });
  return list;
}

}  // namespace hcrtf::dump
