#pragma once
// <div>, and the block elements of newer pages that a browser lays out the
// same way (section, article, header, footer, nav, main, aside, figure,
// figcaption, address, details, summary, hgroup, fieldset, legend): a
// division starts on a new line and so does the text after it; an alignment
// holds up to the next division tag, whose end tag it then takes.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagDiv : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 45;

  using qvNamedTag::qvNamedTag;

  // Begin and end tags stay. A begin tag's alignment goes to itself and to
  // the unconsumed items before the next division tag.
  bool bind(qvItemCursor& following) override;
  // Starts a new line (one break, without the blank line a pending
  // paragraph would add); an aligned division and its end start a
  // paragraph. A plain end asks for a line break before the next text.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  // The element names this class handles, as a tag name expression.
  static constexpr const char* kNamePattern =
      "((div)|(section)|(article)|(header)|(footer)|(nav)|(main)|(aside)|(figure)|(figcaption)|(address)|"
      "(details)|(summary)|(hgroup)|(fieldset)|(legend))";

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
