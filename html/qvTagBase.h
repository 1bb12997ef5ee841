#pragma once
// <base href=...>: the URL against which the page's relative links are
// resolved from here on.

#include "html/qvNamedTag.h"

class qvTagBase : public qvNamedTag {
 public:
  using qvNamedTag::qvNamedTag;

  std::string className() const override { return "TagBase"; }

 protected:
  // Sets the page's base URL while the page is parsed, so the links after
  // the tag resolve against it. An unusable href is reported and ignored.
  void constructed() override;
};
