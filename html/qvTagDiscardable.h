#pragma once
// "script" and "style": sections whose content is not page text. The begin
// tag switches the tokenizer into exclusive mode, where only the section's
// own end tag is recognised, so "</b>" inside a script stays script text.
// Binding drops the section: its tags and its text are consumed.

#include "html/qvHtmlTag.h"

class qvTagDiscardable : public qvHtmlTag {
 public:
  static constexpr std::uint8_t kScriptCode = 48;
  static constexpr std::uint8_t kStyleCode = 51;

  explicit qvTagDiscardable(qvHtmlContext& context) : qvHtmlTag(context) {}

  std::size_t match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) override;
  std::optional<std::string_view> attributeText(std::string_view normalized) const override;
  // Consumes everything up to the end tag with the same code; kept only
  // when the page ends inside the section.
  bool bind(qvItemCursor& following) override;
  std::string className() const override { return "TagDiscardable"; }

 protected:
  void constructed() override;

 private:
  // Whether the tag's name is "style" rather than "script".
  static bool namesStyle(std::string_view normalized);
};
