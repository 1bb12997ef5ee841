#pragma once
// "xmp", "listing" and "plaintext": literal text shown preformatted. Like
// script sections they switch the tokenizer into exclusive mode, so markup
// inside them is shown as it stands; binding makes the enclosed items
// preformatted and consumes the end tag.

#include "html/qvHtmlTag.h"

class qvTagPlaintext : public qvHtmlTag {
 public:
  static constexpr std::uint8_t kTypeCode = 46;

  explicit qvTagPlaintext(qvHtmlContext& context) : qvHtmlTag(context) {}

  std::size_t match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) override;
  std::optional<std::string_view> attributeText(std::string_view normalized) const override;
  bool bind(qvItemCursor& following) override;
  std::string className() const override { return "TagPlaintext"; }

 protected:
  void constructed() override;
};
