#include "html/qvItemList.h"

void qvItemList::append(std::unique_ptr<qvHtmlInterface> item) { items_.push_back(std::move(item)); }

qvItemRefs qvItemList::refs() const {
  qvItemRefs refs;
  refs.reserve(items_.size());
  for (const auto& item : items_) refs.push_back(item.get());
  return refs;
}
