#include "html/qvNamedTag.h"

#include "base/qvTextUtil.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlText.h"
#include "ui/qvUserInterface.h"

namespace {

bool isNameEnd(char c) { return c == ' ' || c == '\t' || c == '>' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::string_view> qvNamedTag::attributeText(std::string_view normalized) const {
  const std::optional<std::string_view> rest = qvHtmlTag::attributeText(normalized);
  if (!rest) return rest;
  std::size_t nameLength = 0;
  while (nameLength < rest->size() && !isNameEnd((*rest)[nameLength])) ++nameLength;
  return afterName(*rest, nameLength);
}

std::string qvNamedTag::tagName() const {
  std::string_view chars = text();
  std::size_t start = 0;
  while (start < chars.size() && (chars[start] == '<' || chars[start] == '/' || isNameEnd(chars[start]))) {
    if (chars[start] == '>') return std::string();
    ++start;
  }
  std::size_t end = start;
  while (end < chars.size() && !isNameEnd(chars[end])) ++end;
  return qvLowerCase(chars.substr(start, end - start));
}

bool qvNamedTag::isEndOf(qvHtmlInterface* item, std::uint8_t code) {
  if (item == nullptr || item->isConsumed()) return false;
  const qvHtmlTag* tag = item->asTag();
  return tag != nullptr && tag->isEndTag() && tag->typeCode() == code;
}

bool qvNamedTag::isBeginOf(qvHtmlInterface* item, std::uint8_t code) {
  if (item == nullptr || item->isConsumed()) return false;
  const qvHtmlTag* tag = item->asTag();
  return tag != nullptr && !tag->isEndTag() && tag->typeCode() == code;
}

void qvNamedTag::log(const std::string& line) const { context().ui().statusMessage(line, true); }

qvHtmlInterface* qvNamedTag::forEachFollowing(const qvItemCursor& following,
                                              const std::function<bool(qvHtmlInterface&)>& stop,
                                              const std::function<void(qvHtmlInterface&)>& change) const {
  qvItemCursor walk = following;
  while (qvHtmlInterface* item = walk.next()) {
    if (stop(*item)) return item;
    if (!item->isConsumed()) change(*item);
  }
  return nullptr;
}

bool qvNamedTag::canOwnMore() const { return context().ownershipDepth < kMaxNesting; }

qvHtmlInterface* qvNamedTag::takeFollowing(qvItemCursor& following, qvItemRefs& owned,
                                           const std::function<bool(qvHtmlInterface&)>& stop) const {
  int& depth = context().ownershipDepth;
  if (depth >= kMaxNesting) return nullptr;
  struct Level {
    int& depth;
    explicit Level(int& d) : depth(d) { ++depth; }
    ~Level() { --depth; }
  } level(depth);
  while (qvHtmlInterface* item = following.peek()) {
    if (stop(*item)) return item;
    following.next();
    if (item->isConsumed()) continue;
    if (item->asText() != nullptr) {
      owned.push_back(item);
      continue;
    }
    qvHtmlTag* tag = item->asTag();
    if (tag != nullptr && tag->bindOnce(following)) owned.push_back(item);
  }
  return nullptr;
}
