#pragma once
// Definition lists: dl owns its entries; dt (term) and dd (definition) each
// own the items up to the next entry. Definitions are indented one step.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagDL : public qvNamedTag {
 public:
  static constexpr std::uint8_t kListCode = 18;        // dl
  static constexpr std::uint8_t kTermCode = 20;        // dt
  static constexpr std::uint8_t kDefinitionCode = 21;  // dd

  using qvNamedTag::qvNamedTag;

  // dl: takes the items up to its end tag (consumed). dt, dd: take the
  // items up to the next dt or dd or the end of the list, a dd indenting
  // them. End tags are dropped.
  bool bind(qvItemCursor& following) override;
  // dl: its entries between opening and closing breaks. dt, dd: a new line
  // with the entry's items.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  const qvItemRefs& items() const { return items_; }
  std::string className() const override { return "TagDL"; }

 protected:
  void constructed() override;

 private:
  // Indents the unconsumed page items from `from` up to position `end`.
  static void indentEntry(const qvItemCursor& from, std::size_t end);
  void writeList(qvRtfWriter& out);

  qvItemRefs items_;
};
