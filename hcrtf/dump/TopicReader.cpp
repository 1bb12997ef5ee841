#include "hcrtf/dump/TopicReader.h"

#include <algorithm>
#include <cstring>

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/dump/RecordRenderer.h"
#include "hcrtf/dump/TextEscape.h"
#include "hcrtf/dump/TopicStream.h"

namespace hcrtf {
namespace {

constexpr std::uint32_t kFirstRecord = 12;
constexpr std::uint8_t kTopicHeader = 2;
constexpr std::uint32_t kOffsetBlockStep = 0x8000;

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

TopicList TopicList::read(std::span<const std::uint8_t> topicFile, const SystemInfo& system,
                          const PhraseTable& phrases,
                          const std::map<std::int32_t, std::string>& names) {
  TopicStream stream(topicFile, system);
  RecordRenderer renderer(names);
  TopicList list;
  list.blocks = stream.blockCount();
  std::set<std::uint32_t> visited;
  std::uint32_t position = kFirstRecord;
  std::uint32_t currentBlock = 0xFFFFFFFF;
  std::uint32_t charsInBlock = 0;
  bool offsetPending = false;
  while (position != 0 && position != 0xFFFFFFFF) {
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
    if (link.block != currentBlock) {
      currentBlock = link.block;
      charsInBlock = 0;
    }
    if (link.badPhraseReferences) {
      list.problems.push_back("record at " + hex32(position) + ": " +
                              std::to_string(link.badPhraseReferences) + " references to missing phrases");
    }
    const std::uint32_t here = currentBlock * kOffsetBlockStep + charsInBlock;
    try {
      if (link.recordType == kTopicHeader) {
        list.topics.push_back(topicFromHeader(link, here));
        offsetPending = true;
      } else if (list.topics.empty()) {
        list.problems.push_back("record at " + hex32(position) + " comes before any topic header");
      } else {
        // A topic's offset is where its text starts: when the header ends a
        // block, that is in the next block, not where the header lies.
        if (offsetPending) list.topics.back().textOffset = here;
        offsetPending = false;
        RecordRenderer::Result rendered = renderer.render(link);
        charsInBlock += rendered.textLength;
        auto& lines = list.topics.back().lines;
        lines.insert(lines.end(), rendered.lines.begin(), rendered.lines.end());
        list.pictures.insert(rendered.pictures.begin(), rendered.pictures.end());
      }
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

}  // namespace hcrtf
