#include "html/qvTagDiscardable.h"

#include "html/qvHtmlContext.h"

namespace {
// Position of the name in normalized tag text: after '<', an optional '/'
// and blanks.
std::size_t nameStart(std::string_view normalized) {
  std::size_t i = 1;
  if (i < normalized.size() && normalized[i] == '/') ++i;
  while (i < normalized.size() && (normalized[i] == ' ' || normalized[i] == '\t')) ++i;
  return i;
}
}  // namespace

bool qvTagDiscardable::namesStyle(std::string_view normalized) {
  const std::size_t i = nameStart(normalized) + 1;
  return i < normalized.size() && (normalized[i] == 't' || normalized[i] == 'T');
}

std::size_t qvTagDiscardable::match(const qvHtmlInterface* previous, std::string_view page,
                                    std::size_t position) {
  if (context().exclusiveMode == 0) return qvHtmlTag::match(previous, page, position);
  // Only the section's end tag counts; checking for one before matching
  // keeps a section full of unclosed begin tags from being rescanned to its
  // next '>' at every '<'.
  if (context().exclusiveMode != kScriptCode || !opensEndTag(page, position)) return 0;
  const std::size_t n = matchExpression(page, position);
  if (n == 0 || !normalizesToEndTag(page.substr(position, n))) return 0;
  context().exclusiveMode = 0;
  return n;
}

std::optional<std::string_view> qvTagDiscardable::attributeText(std::string_view normalized) const {
  const std::optional<std::string_view> rest = qvHtmlTag::attributeText(normalized);
  if (!rest) return rest;
  return afterName(*rest, namesStyle(normalized) ? 5 : 6);
}

void qvTagDiscardable::constructed() {
  setTypeCode(namesStyle(normalizeTagText(text())) ? kStyleCode : kScriptCode);
  if (!isEndTag()) context().exclusiveMode = kScriptCode;
}

bool qvTagDiscardable::bind(qvItemCursor& following) {
  if (isEndTag() || isConsumed()) return false;
  qvItemCursor walk = following;
  while (qvHtmlInterface* item = walk.next()) {
    qvHtmlTag* tag = item->asTag();
    if (tag == nullptr) {
      // Script and style text is not page text: it must not reach the topic.
      item->markConsumed();
      continue;
    }
    if (tag->isEndTag() && tag->typeCode() == typeCode()) return false;
    qvItemCursor after = walk;
    tag->bindOnce(after);
    tag->markConsumed();
  }
  return true;
}
