#pragma once
// <div>: a division starts on a new line; an alignment holds up to the next
// div tag, whose end tag it then takes.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagDiv : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 45;

  using qvNamedTag::qvNamedTag;

  // Begin tags stay, end tags are dropped unless they end an aligned
  // division. A begin tag's alignment goes to itself and to the unconsumed
  // items before the next div tag.
  bool bind(qvItemCursor& following) override;
  // Starts a new line (one break, without the blank line a pending
  // paragraph would add); an aligned division and its end start a
  // paragraph.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  std::uint8_t divisionAlignment() const { return alignment_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagDiv"; }

 protected:
  void constructed() override;

 private:
  std::uint8_t alignment_ = 0;
  // Set on the end tag of an aligned division by its begin tag's bind.
  bool closesAlignment_ = false;
};
