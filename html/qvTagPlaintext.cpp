#include "html/qvTagPlaintext.h"

#include "html/qvHtmlContext.h"

std::size_t qvTagPlaintext::match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) {
  if (context().exclusiveMode == 0) return qvHtmlTag::match(previous, page, position);
  // Only the section's end tag counts; checking for one before matching
  // keeps a section full of unclosed begin tags from being rescanned to its
  // next '>' at every '<'.
  if (context().exclusiveMode != kTypeCode || !opensEndTag(page, position)) return 0;
  const std::size_t n = matchExpression(page, position);
  if (n == 0 || !normalizesToEndTag(page.substr(position, n))) return 0;
  context().exclusiveMode = 0;
  return n;
}

std::optional<std::string_view> qvTagPlaintext::attributeText(std::string_view normalized) const {
  const std::optional<std::string_view> rest = qvHtmlTag::attributeText(normalized);
  if (!rest) return rest;
  std::size_t name = 0;
  while (name < rest->size() && (*rest)[name] != ' ' && (*rest)[name] != '\t') ++name;
  return afterName(*rest, name);
}

void qvTagPlaintext::constructed() {
  if (!isEndTag()) context().exclusiveMode = kTypeCode;
}

bool qvTagPlaintext::bind(qvItemCursor& following) {
  if (isEndTag() || isConsumed()) return false;
  qvItemCursor walk = following;
  while (qvHtmlInterface* item = walk.next()) {
    if (item->isConsumed()) continue;
    qvHtmlTag* tag = item->asTag();
    if (tag != nullptr && tag->isEndTag() && tag->typeCode() == typeCode()) {
      tag->markConsumed();
      return false;
    }
    item->setPreformatted();
  }
  return false;
}
