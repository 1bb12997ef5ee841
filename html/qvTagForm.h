#pragma once
// <form>: help files cannot hold forms, so the form's controls are dropped
// and a note tells the reader that one was there. The text inside the form
// stays in the page.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagForm : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 49;
  static constexpr const char* kNote = "A form was here in the original HTML file";

  using qvNamedTag::qvNamedTag;

  // A begin tag lets every tag up to its end tag bind and then consumes it
  // (with the tags that one took for itself); text items stay. Kept.
  bool bind(qvItemCursor& following) override;
  // The note, bold and centred, on a paragraph of its own.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;
  std::string className() const override { return "TagForm"; }
};
