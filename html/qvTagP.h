#pragma once
// <p>: asks for a paragraph break before the next text. An alignment given
// on a begin tag holds up to the next p tag, begin or end.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagP : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 12;

  using qvNamedTag::qvNamedTag;

  // Begin and end tags stay; a begin tag's alignment goes to itself and to
  // every following unconsumed item before the next p tag.
  bool bind(qvItemCursor& following) override;
  // In preformatted text the break is written at once; elsewhere a
  // paragraph is left pending for the next text.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  std::uint8_t paragraphAlignment() const { return alignment_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagP"; }

 protected:
  void constructed() override;

 private:
  std::uint8_t alignment_ = 0;
};
