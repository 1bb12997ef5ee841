#pragma once
// Turns one page into its flat item list (parsePage) and, in the final pass,
// binds the items into the list the topic writer walks (bindItems).
//
// parsePage tries, at every '<', the tag prototypes in order (first match
// wins), then an entity at '&', else a text run. Comments nest: every "<!--"
// needs its own "-->", and nothing inside one becomes an item.

#include <array>
#include <cstddef>
#include <vector>
#include <string_view>

#include "html/qvItemList.h"

class qvHtmlContext;
class qvHtmlTag;
class qvPrototypeList;

class qvHtmlParser {
 public:
  // Both must outlive the parser.
  qvHtmlParser(qvHtmlContext& context, qvPrototypeList& prototypes);

  // Appends the items of `page` to `items`. The page must outlive the
  // items: text runs refer to it. Returns false only when an item claims
  // zero length (logged as "zero-length item returned from ..."); throws
  // qvCancelException when the user cancels.
  bool parsePage(std::string_view page, qvItemList& items);

  // The items to write, in order: text items, and every tag that is not
  // consumed and whose bind keeps it. Tags may take following items out of
  // the walk for themselves.
  qvItemRefs bindItems(const qvItemRefs& items);

 private:
  // Length of the tag at `position`, creating and appending it; 0 when no
  // prototype matches there.
  std::size_t parseTag(std::string_view page, std::size_t position, qvItemList& items);
  bool appendItem(qvHtmlInterface& prototype, std::string_view page, std::size_t position, qvItemList& items,
                  std::size_t& advance);
  // A run that starts at a '<', '>' or '&' which began no tag or entity
  // joins the run just before it, when that run ends there: writing is the
  // same, and a page of stray brackets does not become millions of items.
  bool extendPreviousRun(std::size_t position, std::size_t count);
  // Whether a '>' follows `position`; without one no tag can match, which
  // keeps a page full of unterminated '<' linear.
  bool closingBracketAfter(std::string_view page, std::size_t position);
  // After a begin tag with an id, a named anchor for it; none inside a
  // link, whose hotspot text would end at it.
  void appendElementAnchor(const qvHtmlTag& tag, qvItemList& items);

  qvHtmlContext& context_;
  qvPrototypeList& prototypes_;
  // Per first character of a tag name, the prototypes that can match it,
  // in list order.
  std::array<std::vector<qvHtmlTag*>, 256> candidates_;
  const qvHtmlInterface* previous_ = nullptr;
  std::size_t nextBracket_ = 0;
  bool zeroLength_ = false;
  bool insideLink_ = false;  // an <a> with a target is open
};
