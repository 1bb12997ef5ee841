#pragma once
// "<!--": known as a class so that its pattern and code are on record, but
// the tokenizer handles comments itself (they nest and never become items),
// so no prototype of it is registered.

#include "html/qvHtmlTag.h"

class qvTagComment : public qvHtmlTag {
 public:
  static constexpr const char* kNamePattern = "--";
  static constexpr std::uint8_t kTypeCode = 50;

  explicit qvTagComment(qvHtmlContext& context) : qvHtmlTag(context) {}
  std::string className() const override { return "TagComment"; }
};
