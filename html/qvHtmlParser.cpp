#include "html/qvHtmlParser.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "html/qvPrototypeList.h"
#include "html/qvTagAnchor.h"
#include "ui/qvUserInterface.h"

qvHtmlParser::qvHtmlParser(qvHtmlContext& context, qvPrototypeList& prototypes)
    : context_(context), prototypes_(prototypes) {
  for (std::size_t c = 0; c < candidates_.size(); ++c) {
    for (const auto& prototype : prototypes_.tags()) {
      if (prototype->mayStartWith(static_cast<unsigned char>(c))) candidates_[c].push_back(prototype.get());
    }
  }
}

bool qvHtmlParser::extendPreviousRun(std::size_t position, std::size_t count) {
  qvHtmlText* run = context_.lastTextRun;
  if (run == nullptr || count == 0 || run != previous_ || run->offset() + run->length() != position) return false;
  run->extendBy(count);
  return true;
}

bool qvHtmlParser::closingBracketAfter(std::string_view page, std::size_t position) {
  if (nextBracket_ == std::string_view::npos) return false;
  if (nextBracket_ > position) return true;
  const void* found = std::memchr(page.data() + position, '>', page.size() - position);
  nextBracket_ = found == nullptr ? std::string_view::npos
                                  : static_cast<std::size_t>(static_cast<const char*>(found) - page.data());
  return nextBracket_ != std::string_view::npos;
}

bool qvHtmlParser::appendItem(qvHtmlInterface& prototype, std::string_view page, std::size_t position,
                              qvItemList& items, std::size_t& advance) {
  std::unique_ptr<qvHtmlInterface> item = prototype.create(previous_, page, position, items.arena());
  advance = item->length();
  if (advance == 0) {
    context_.ui().statusMessage("zero-length item returned from " + item->describe(), true);
    zeroLength_ = true;
    return false;
  }
  previous_ = item.get();
  items.append(std::move(item));
  return true;
}

namespace {

// Whether the tag's text holds an "id" attribute, told without parsing its
// attributes: "id" after a character that cannot be part of a name, then
// "=" after optional white space. Most tags have none, and this spares them
// a second reading of their attributes; class names such as "sidebar" and
// attributes such as "width" are passed over.
bool mayHaveId(std::string_view chars) {
  const auto partOfName = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == ':' || c == '.';
  };
  for (std::size_t i = 1; i + 1 < chars.size(); ++i) {
    if ((chars[i] != 'i' && chars[i] != 'I') || (chars[i + 1] != 'd' && chars[i + 1] != 'D')) continue;
    if (partOfName(chars[i - 1])) continue;
    std::size_t next = i + 2;
    while (next < chars.size() && std::isspace(static_cast<unsigned char>(chars[next])) != 0) ++next;
    if (next < chars.size() && chars[next] == '=') return true;
  }
  return false;
}

}  // namespace

void qvHtmlParser::appendElementAnchor(const qvHtmlTag& tag, qvItemList& items) {
  if (tag.typeCode() == qvTagAnchor::kCode) {
    const auto& link = static_cast<const qvTagAnchor&>(tag);
    if (link.isEndTag()) insideLink_ = false;
    if (!link.isEndTag() && link.hasTarget()) insideLink_ = true;
    return;
  }
  if (insideLink_ || tag.isEndTag() || !qvTagAnchor::takesElementId(tag.typeCode()) || !mayHaveId(tag.text())) return;
  std::unique_ptr<qvTagAnchor> anchor = qvTagAnchor::forElementId(context_, tag.text(), items.arena());
  if (anchor == nullptr) return;
  previous_ = anchor.get();
  items.append(std::move(anchor));
}

std::size_t qvHtmlParser::parseTag(std::string_view page, std::size_t position, qvItemList& items) {
  if (!closingBracketAfter(page, position)) return 0;
  // Every tag expression is "<", an optional "/", optional white space and
  // then the name, so the name's first character rules most classes out.
  std::size_t name = position + 1;
  if (name < page.size() && page[name] == '/') ++name;
  while (name < page.size() && (page[name] == ' ' || page[name] == '\t' || page[name] == '\r' || page[name] == '\n')) {
    ++name;
  }
  if (name >= page.size()) return 0;
  const auto first = static_cast<unsigned char>(page[name]);
  for (qvHtmlTag* prototype : candidates_[first]) {
    if (prototype->match(previous_, page, position) == 0) continue;
    std::size_t advance = 0;
    if (appendItem(*prototype, page, position, items, advance)) {
      if (const qvHtmlTag* tag = previous_->asTag()) appendElementAnchor(*tag, items);
    }
    return advance;
  }
  return 0;
}

bool qvHtmlParser::parsePage(std::string_view page, qvItemList& items) {
  // Items keep 32-bit page positions.
  if (page.size() > std::numeric_limits<std::uint32_t>::max()) {
    context_.ui().statusMessage("page of " + std::to_string(page.size()) + " characters is too large to convert", true);
    return false;
  }
  previous_ = nullptr;
  context_.lastTextRun = nullptr;
  nextBracket_ = 0;
  zeroLength_ = false;
  insideLink_ = false;
  std::size_t position = 0;
  long commentDepth = 0;
  const std::size_t length = page.size();
  while (position < length && !context_.settings().abortCrawl) {
    if (commentDepth == 0) context_.ui().checkCancel();
    const char c = page[position];
    if (c == '<') {
      if (position + 4 < length && page.compare(position + 1, 3, "!--") == 0 && context_.exclusiveMode == 0) {
        ++commentDepth;
        position += 4;
        continue;
      }
      if (commentDepth == 0) {
        const std::size_t advance = parseTag(page, position, items);
        if (zeroLength_) return false;
        if (advance > 0) {
          position += advance;
          continue;
        }
      }
    }
    if (commentDepth > 0) {
      if (c == '-' && position + 3 < length && page.compare(position + 1, 2, "->") == 0) {
        --commentDepth;
        position += 2;
      }
      ++position;
      continue;
    }
    qvHtmlInterface* prototype = &prototypes_.textRun();
    if (c == '&' && prototypes_.entity().match(previous_, page, position) > 0) prototype = &prototypes_.entity();
    if (prototype == &prototypes_.textRun()) {
      const std::size_t n = prototype->match(previous_, page, position);
      if (extendPreviousRun(position, n)) {
        position += n;
        continue;
      }
    }
    std::size_t advance = 0;
    if (!appendItem(*prototype, page, position, items, advance)) return false;
    position += advance;
  }
  return true;
}

qvItemRefs qvHtmlParser::bindItems(const qvItemRefs& items) {
  qvItemRefs bound;
  bound.reserve(items.size());
  qvItemCursor walk(items, 0);
  while (qvHtmlInterface* item = walk.next()) {
    context_.ui().checkCancel();
    if (item->asText() != nullptr) {
      if (!item->isConsumed()) bound.push_back(item);
      continue;
    }
    qvHtmlTag* tag = item->asTag();
    if (tag == nullptr) {
      context_.ui().statusMessage("Internal error: unknown item " + item->describe() + " in bindItems", true);
      return bound;
    }
    if (tag->isConsumed()) continue;
    if (tag->bindOnce(walk)) bound.push_back(tag);
  }
  return bound;
}
