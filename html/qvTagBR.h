#pragma once
// <br>: one line break before the next text.

#include "html/qvNamedTag.h"

class qvTagBR : public qvNamedTag {
 public:
  using qvNamedTag::qvNamedTag;

  // Kept unless it is an end tag.
  bool bind(qvItemCursor& following) override;
  // Adds one pending line break (breaks add up: two br give two).
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;
  std::string className() const override { return "TagBR"; }
};
