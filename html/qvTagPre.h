#pragma once
// <pre>: preformatted text. Binding marks every item up to the end tag as
// preformatted (fixed pitch, line breaks kept); both tags stay and set the
// block apart with a blank line.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagPre : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 8;

  using qvNamedTag::qvNamedTag;

  bool bind(qvItemCursor& following) override;
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;
  std::string className() const override { return "TagPre"; }

 protected:
  // A line break right after <pre> belongs to the markup, not the text.
  void constructed() override;
};
