#include "html/qvItemList.h"

#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "rtf/qvRtfWriter.h"

qvItemList& qvItemList::operator=(qvItemList&& other) noexcept {
  items_.clear();
  items_ = std::move(other.items_);
  arena_ = std::move(other.arena_);
  return *this;
}

void qvItemList::clear() {
  items_.clear();
  arena_ = std::make_unique<qvItemArena>();
}

void qvItemList::append(std::unique_ptr<qvHtmlInterface> item) { items_.push_back(std::move(item)); }

qvItemRefs qvItemList::refs() const {
  qvItemRefs refs;
  refs.reserve(items_.size());
  for (const auto& item : items_) refs.push_back(item.get());
  return refs;
}

void qvWriteItem(qvHtmlInterface& item, qvRtfWriter& out, qvItemCursor& following) {
  // Past a table cell's limit nothing more of the table is written, at any
  // depth of lists or links inside the cell: a link started now would be a
  // hotspot without text. Past the topic's bound nothing more of the page
  // is written.
  if (out.writingStopped()) return;
  if (qvHtmlText* text = item.asText()) {
    text->writeText(out);
  } else if (qvHtmlTag* tag = item.asTag()) {
    tag->writeRtf(out, following);
  }
}

void qvWriteItems(const qvItemRefs& items, qvRtfWriter& out) {
  qvItemCursor walk(items, 0);
  while (qvHtmlInterface* item = walk.next()) qvWriteItem(*item, out, walk);
}
