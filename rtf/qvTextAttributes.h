#pragma once
// The formatting record every parsed item carries. Formatting is not kept on
// a stack while a topic is written: binding lets each formatting tag change
// the records of the items it encloses, and at write time each item compares
// its record with the one written last and emits only the control words for
// what differs.

#include <cstdint>
#include <string>

class qvRtfWriter;

class qvTextAttributes {
 public:
  // Style bits. Strikeout, superscript and subscript are recorded (they show
  // in the debugging text) but help files cannot show them, so they write
  // nothing.
  static constexpr std::uint16_t kItalic = 1;
  static constexpr std::uint16_t kBold = 2;
  static constexpr std::uint16_t kUnderline = 4;
  static constexpr std::uint16_t kStrikeout = 8;
  static constexpr std::uint16_t kSuperscript = 16;
  static constexpr std::uint16_t kSubscript = 32;
  static constexpr std::uint16_t kPreformatted = 64;
  static constexpr std::uint16_t kFixedPitch = 128;

  static constexpr std::uint8_t kDefaultAlignment = 1;
  static constexpr std::uint8_t kDefaultFontSize = 3;
  // Indent is a byte of 360-twip steps; increments stop here instead of
  // wrapping to a negative margin.
  static constexpr std::uint8_t kMaxIndent = 127;

  virtual ~qvTextAttributes() = default;

  bool isItalic() const { return testStyle(kItalic); }
  bool isBold() const { return testStyle(kBold); }
  bool isUnderline() const { return testStyle(kUnderline); }
  bool isStrikeout() const { return testStyle(kStrikeout); }
  bool isSuperscript() const { return testStyle(kSuperscript); }
  bool isSubscript() const { return testStyle(kSubscript); }
  bool isPreformatted() const { return testStyle(kPreformatted); }
  bool isFixedPitch() const { return testStyle(kFixedPitch); }
  void setItalic() { setStyle(kItalic); }
  void setBold() { setStyle(kBold); }
  void setUnderline() { setStyle(kUnderline); }
  void setStrikeout() { setStyle(kStrikeout); }
  void setSuperscript() { setStyle(kSuperscript); }
  void setSubscript() { setStyle(kSubscript); }
  void setPreformatted() { setStyle(kPreformatted); }
  void setFixedPitch() { setStyle(kFixedPitch); }
  void clearItalic() { clearStyle(kItalic); }
  void clearBold() { clearStyle(kBold); }
  void clearUnderline() { clearStyle(kUnderline); }
  void clearStrikeout() { clearStyle(kStrikeout); }
  void clearSuperscript() { clearStyle(kSuperscript); }
  void clearSubscript() { clearStyle(kSubscript); }
  void clearPreformatted() { clearStyle(kPreformatted); }
  void clearFixedPitch() { clearStyle(kFixedPitch); }

  // Generic access to the style word by bit mask.
  bool testStyle(std::uint16_t mask) const { return (style_ & mask) != 0; }
  void setStyle(std::uint16_t mask) { style_ = static_cast<std::uint16_t>(style_ | mask); }
  void clearStyle(std::uint16_t mask) { style_ = static_cast<std::uint16_t>(style_ & ~mask); }
  std::uint16_t style() const { return style_; }
  void setStyleWord(std::uint16_t word) { style_ = word; }

  // 0 is body text, 1 to 6 are the heading levels.
  bool isHeading() const { return heading_ != 0; }
  std::uint8_t heading() const { return heading_; }
  void setHeading(std::uint8_t level) { heading_ = level; }
  // 1 left, 2 centre, 3 right; 0 is written as left.
  std::uint8_t alignment() const { return alignment_; }
  void setAlignment(std::uint8_t alignment) { alignment_ = alignment; }
  // Steps of 360 twips, 0 to kMaxIndent.
  std::uint8_t indent() const { return indent_; }
  void setIndent(int steps);
  // HTML font size; values outside 1..7 are clamped.
  std::uint8_t fontSize() const { return fontSize_; }
  void setFontSize(int size);

  // Copies all five fields.
  void copyFrom(const qvTextAttributes& other);
  // Back to body text, left aligned, no indent, size 3, no style.
  void resetAttributes();
  bool sameAttributes(const qvTextAttributes& other) const;

  // The control words that turn `current` into this record; empty when they
  // look the same in a help file.
  std::string attributeChanges(const qvTextAttributes& current) const;
  // The control words that set this record from scratch (after \pard).
  std::string fullAttributes() const;
  // Writes attributeChanges against the writer's current state, if any,
  // preceded by the blanks the writer owes, and makes this record current.
  void writeAttributeChanges(qvRtfWriter& out) const;
  // Writes fullAttributes and makes this record current.
  void writeFullAttributes(qvRtfWriter& out) const;

  // "Plain", or the present attributes joined by ", ".
  std::string describeAttributes() const;

  // Font size in half-points for a heading level (0 = body text).
  static int fontSizeTable(int heading);

 private:
  std::uint8_t heading_ = 0;
  std::uint8_t alignment_ = kDefaultAlignment;
  std::uint8_t indent_ = 0;
  std::uint8_t fontSize_ = kDefaultFontSize;
  std::uint16_t style_ = 0;
};
