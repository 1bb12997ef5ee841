#pragma once
// <basefont size=n>: the font size of the rest of the page.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagBaseFont : public qvNamedTag {
 public:
  using qvNamedTag::qvNamedTag;

  // Sets the size on every following item to the end of the page. Never
  // kept.
  bool bind(qvItemCursor& following) override;

  // -1 when the tag has no usable size.
  int size() const { return size_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagBaseFont"; }

 protected:
  void constructed() override;

 private:
  std::int16_t size_ = -1;
};
