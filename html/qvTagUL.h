#pragma once
// Lists: ul, dir and menu (bulleted), ol (numbered) and li, the marker of
// each entry. A list owns its items: binding takes them out of the page
// walk, and the list writes them between its opening and closing breaks.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagUL : public qvNamedTag {
 public:
  static constexpr std::uint8_t kBulletCode = 17;  // ul, dir, menu
  static constexpr std::uint8_t kItemCode = 19;    // li
  static constexpr std::uint8_t kNumberCode = 22;  // ol

  using qvNamedTag::qvNamedTag;

  // li: kept as a marker. ul/ol begin: indents itself and everything up to
  // the matching end tag by one step, then takes the items up to its end
  // tag (consumed) into its own list. Kept.
  bool bind(qvItemCursor& following) override;
  // The list's entries, each li starting a new line with a bullet or the
  // next number; an li on its own writes nothing.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  const qvItemRefs& items() const { return items_; }
  std::string className() const override { return "TagUL"; }

 protected:
  void constructed() override;

 private:
  bool isList() const { return typeCode() == kBulletCode || typeCode() == kNumberCode; }
  void indentEnclosed(const qvItemCursor& following);

  qvItemRefs items_;
};
