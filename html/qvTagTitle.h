#pragma once
// <title>: the page's title, stored on the page's URL status, where the
// topic writer and the help project find it.

#include <cstdint>
#include <string>
#include <string_view>

#include "html/qvNamedTag.h"

class qvTagTitle : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 9;
  // Longer titles do not fit the help compiler's title footnote.
  static constexpr std::size_t kMaxLength = 255;

  using qvNamedTag::qvNamedTag;

  // A begin tag collects the text up to </title> (which it consumes) and
  // stores it as the title of the page being converted. Never kept.
  bool bind(qvItemCursor& following) override;

  // The title as stored: trimmed of blanks and line breaks at both ends.
  static std::string cleanTitle(std::string_view text);

  std::string className() const override { return "TagTitle"; }
};
