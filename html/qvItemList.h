#pragma once
// The items of one page. qvItemList owns them in page order, and the arena
// their memory comes from; bound lists, the lists that tags build of the
// items they own, and the walks given to bind and writeRtf hold plain
// pointers into it, so a page's items live exactly as long as its
// qvItemList.

#include <cstddef>
#include <memory>
#include <vector>

#include "html/qvHtmlInterface.h"
#include "html/qvItemArena.h"

class qvRtfWriter;

using qvItemRefs = std::vector<qvHtmlInterface*>;

class qvItemList {
 public:
  qvItemList() : arena_(std::make_unique<qvItemArena>()) {}
  qvItemList(qvItemList&& other) noexcept = default;
  // The items go before the arena that holds them.
  qvItemList& operator=(qvItemList&& other) noexcept;
  ~qvItemList() { items_.clear(); }

  // Where the items of this list are to be made.
  qvItemArena& arena() const { return *arena_; }
  // `item` must have been made in arena() or on the heap.
  void append(std::unique_ptr<qvHtmlInterface> item);
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  qvHtmlInterface& operator[](std::size_t i) const { return *items_[i]; }
  qvHtmlInterface& back() const { return *items_.back(); }
  // Pointers to every item, in order.
  qvItemRefs refs() const;
  // Drops every item and the memory they took.
  void clear();

 private:
  std::unique_ptr<qvItemArena> arena_;
  std::vector<std::unique_ptr<qvHtmlInterface>> items_;
};

// A position in a list of items. bind and writeRtf get the walk positioned
// after their own item: a tag that takes the items it owns out of the walk
// advances it; a tag that only looks ahead copies it first.
class qvItemCursor {
 public:
  qvItemCursor(const qvItemRefs& items, std::size_t position) : items_(&items), position_(position) {}

  bool atEnd() const { return position_ >= items_->size(); }
  // The item at the position (null at the end), without moving.
  qvHtmlInterface* peek() const { return atEnd() ? nullptr : (*items_)[position_]; }
  // The item at the position (null at the end), then moves past it.
  qvHtmlInterface* next() { return atEnd() ? nullptr : (*items_)[position_++]; }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return atEnd() ? 0 : items_->size() - position_; }
  void skipTo(std::size_t position) { position_ = position; }

 private:
  const qvItemRefs* items_;
  std::size_t position_;
};

// Writes one item of a bound list: a text item through its text writer, a
// tag through writeRtf with `following` positioned after it (a tag may take
// the items it owns from there).
void qvWriteItem(qvHtmlInterface& item, qvRtfWriter& out, qvItemCursor& following);
// Writes every item of a bound list in order.
void qvWriteItems(const qvItemRefs& items, qvRtfWriter& out);
