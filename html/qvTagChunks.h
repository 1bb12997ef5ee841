#pragma once
// html, head and body: structure the converter does not need, except the
// colours a body tag gives the page.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagChunks : public qvNamedTag {
 public:
  static constexpr std::uint8_t kHtmlCode = 13;
  static constexpr std::uint8_t kHeadCode = 14;
  static constexpr std::uint8_t kBodyCode = 15;

  using qvNamedTag::qvNamedTag;

  std::string className() const override { return "TagChunks"; }

 protected:
  // A body begin tag, when page colours are taken from the pages, stores
  // bgcolor (-1 when unusable: no background macro) and the valid ones of
  // text, link and vlink on the page's status.
  void constructed() override;
};
