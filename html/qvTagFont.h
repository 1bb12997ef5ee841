#pragma once
// <font size=...>: sets (size=5) or changes (size=+1, size=-2) the HTML
// font size of everything up to its end tag. Other font attributes are not
// represented in help files.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagFont : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 16;

  using qvNamedTag::qvNamedTag;

  // A begin tag with a size applies it to every following unconsumed item
  // up to its end tag, which it consumes. Never kept.
  bool bind(qvItemCursor& following) override;

  bool hasSize() const { return hasSize_; }
  bool isRelative() const { return relative_; }
  int size() const { return size_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagFont"; }

 protected:
  void constructed() override;

 private:
  std::int8_t size_ = 0;
  bool relative_ = false;
  bool hasSize_ = false;
};
