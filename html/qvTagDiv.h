#pragma once
// <div>: a division starts on a new line; an alignment holds up to the next
// div tag, whose end tag it then takes.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagDiv : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 45;

  using qvNamedTag::qvNamedTag;

  // Begin tags stay, end tags are dropped. A begin tag's alignment goes to
  // itself and to the unconsumed items before the next div tag; when that
  // is an end tag it is consumed.
  bool bind(qvItemCursor& following) override;
  // Starts a new line (one break, without the blank line a pending
  // paragraph would add).
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  std::uint8_t divisionAlignment() const { return alignment_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagDiv"; }

 protected:
  void constructed() override;

 private:
  std::uint8_t alignment_ = 0;
};
