#pragma once
// <caption>: the title of a table, written centred on a paragraph of its
// own above the table.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagCaption : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 23;

  using qvNamedTag::qvNamedTag;

  // A begin tag takes the items up to </caption> (consumed), or up to the
  // next row, cell or table tag when the end tag is missing, and centres
  // them. Kept.
  bool bind(qvItemCursor& following) override;
  // The caption's items on a centred paragraph of their own.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  const qvItemRefs& items() const { return items_; }
  std::string className() const override { return "TagCaption"; }

 private:
  qvItemRefs items_;
};
