#pragma once
// Common ground of the tag classes that know their tag: the attribute text
// starts after the tag's name, the name itself is at hand for classes that
// cover several tags, and the walks over the following items that binding
// needs are written once here.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "html/qvHtmlTag.h"
#include "html/qvItemList.h"

class qvNamedTag : public qvHtmlTag {
 public:
  using qvHtmlTag::qvHtmlTag;

  // The text after '<' or "</", the tag's name and the blanks after it.
  std::optional<std::string_view> attributeText(std::string_view normalized) const override;

  // The tag's name in lower case ("h1", "td", ...), from its characters.
  std::string tagName() const;

  // True when `item` is a tag that is not consumed, has `code` and is an
  // end tag (or a begin tag).
  static bool isEndOf(qvHtmlInterface* item, std::uint8_t code);
  static bool isBeginOf(qvHtmlInterface* item, std::uint8_t code);

 protected:
  // Adds a line to the run's log.
  void log(const std::string& text) const;

  // Walks the items after this tag without taking them out of the page
  // walk, calling `change` for each one that is not consumed, and returns
  // the item it stopped at (null at the end of the page): the first one
  // for which `stop` holds.
  qvHtmlInterface* forEachFollowing(const qvItemCursor& following,
                                    const std::function<bool(qvHtmlInterface&)>& stop,
                                    const std::function<void(qvHtmlInterface&)>& change) const;

  // Containers nest at most this deep; a deeper one takes nothing, so its
  // items stay with the container around it (binding and writing recurse
  // once per level, and a page may nest without end).
  static constexpr int kMaxNesting = 200;

  // Takes the items after this tag out of the page walk into `owned`: text
  // items as they are, tags after their own bind when they stay. Stops
  // before the first item for which `stop` holds, leaving it in the walk.
  // Returns that item, or null when the page ended first or the nesting
  // limit was reached.
  qvHtmlInterface* takeFollowing(qvItemCursor& following, qvItemRefs& owned,
                                 const std::function<bool(qvHtmlInterface&)>& stop) const;
  // False once containers are nested kMaxNesting deep: a container then
  // stays out of the list and leaves its items to the one around it.
  bool canOwnMore() const;
};
