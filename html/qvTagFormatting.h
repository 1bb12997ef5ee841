#pragma once
// Character and block formatting tags: b, i, u, em, strong, tt, code, samp,
// kbd, var, dfn, cite, strike, sub, sup, big, small, center, blockquote and
// h1 to h6. Binding applies the tag's change to the formatting record of
// every item up to its end tag, so nesting needs no stack at write time.
// Only center, blockquote and the headings stay in the list: they write the
// line breaks around their block.

#include <cstdint>

#include "html/qvNamedTag.h"

class qvTagFormatting : public qvNamedTag {
 public:
  // Instance codes, chosen from the tag's name.
  static constexpr std::uint8_t kBold = 3;
  static constexpr std::uint8_t kItalic = 4;
  static constexpr std::uint8_t kCenter = 10;
  static constexpr std::uint8_t kEmphasis = 29;
  static constexpr std::uint8_t kStrong = 30;
  static constexpr std::uint8_t kDefinition = 31;
  static constexpr std::uint8_t kCode = 32;
  static constexpr std::uint8_t kSample = 33;
  static constexpr std::uint8_t kKeyboard = 34;
  static constexpr std::uint8_t kVariable = 35;
  static constexpr std::uint8_t kCite = 36;
  static constexpr std::uint8_t kTeletype = 37;
  static constexpr std::uint8_t kUnderline = 38;
  static constexpr std::uint8_t kStrike = 39;
  static constexpr std::uint8_t kBig = 40;
  static constexpr std::uint8_t kSmall = 41;
  static constexpr std::uint8_t kSub = 42;
  static constexpr std::uint8_t kSup = 43;
  static constexpr std::uint8_t kBlockquote = 44;
  static constexpr std::uint8_t kHeading1 = 63;
  static constexpr std::uint8_t kHeading6 = 68;

  using qvNamedTag::qvNamedTag;

  // Consumed: dropped. End tag: kept for center, blockquote and headings.
  // Begin tag: changes every following unconsumed item up to the end tag
  // with the same code (which it consumes unless it writes breaks) and
  // takes the first changed item's record for itself.
  bool bind(qvItemCursor& following) override;
  // The line breaks that set center, blockquote and heading blocks apart.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  // The change this tag makes to one enclosed item.
  void applyTo(qvTextAttributes& item) const;

  bool isHeadingTag() const { return typeCode() >= kHeading1 && typeCode() <= kHeading6; }
  // center, blockquote and headings: blocks whose tags write breaks.
  bool isBlock() const { return isHeadingTag() || typeCode() == kCenter || typeCode() == kBlockquote; }
  std::uint8_t headingAlignment() const { return headingAlignment_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagFormatting"; }

 protected:
  void constructed() override;

 private:
  std::uint8_t headingAlignment_ = 0;
};
