#include "rtf/qvTextAttributes.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "rtf/qvRtfWriter.h"

namespace {

const char* fontWord(const qvTextAttributes& a) {
  if (a.isPreformatted()) return "\\keep\\f2";
  if (a.isFixedPitch()) return "\\f2";
  return "\\f0";
}

const char* alignmentWord(std::uint8_t alignment) {
  if (alignment <= 1) return "\\ql";
  if (alignment == 2) return "\\qc";
  return "\\qr";
}

// Help files count in 16-bit words; the products stay in range for the
// clamped sizes but the arithmetic is kept 16-bit so results match exactly.
std::int16_t changedFontSize(int heading, int size) {
  const auto base = static_cast<std::int16_t>(qvTextAttributes::fontSizeTable(heading));
  const auto product = static_cast<std::int16_t>(base * (size - 3));
  return static_cast<std::int16_t>(base + product / 5);
}

std::int16_t fullFontSize(int heading, int size) {
  const auto base = static_cast<std::int16_t>(qvTextAttributes::fontSizeTable(heading));
  const auto scaled = static_cast<std::int16_t>(18 * size - 54);
  return static_cast<std::int16_t>(base + scaled / 10);
}

void appendToggle(std::string& out, const char* word, bool on) {
  out += word;
  if (!on) out += '0';
}

}  // namespace

int qvTextAttributes::fontSizeTable(int heading) {
  static constexpr std::array<int, 7> kHalfPoints{18, 34, 28, 24, 18, 14, 12};
  if (heading < 0 || heading >= static_cast<int>(kHalfPoints.size())) return kHalfPoints[0];
  return kHalfPoints[static_cast<std::size_t>(heading)];
}

void qvTextAttributes::setIndent(int steps) {
  indent_ = static_cast<std::uint8_t>(std::clamp(steps, 0, static_cast<int>(kMaxIndent)));
}

void qvTextAttributes::setFontSize(int size) {
  fontSize_ = static_cast<std::uint8_t>(std::clamp(size, 1, 7));
}

void qvTextAttributes::copyFrom(const qvTextAttributes& other) {
  heading_ = other.heading_;
  alignment_ = other.alignment_;
  indent_ = other.indent_;
  fontSize_ = other.fontSize_;
  style_ = other.style_;
}

void qvTextAttributes::resetAttributes() {
  heading_ = 0;
  alignment_ = kDefaultAlignment;
  indent_ = 0;
  fontSize_ = kDefaultFontSize;
  style_ = 0;
}

bool qvTextAttributes::sameAttributes(const qvTextAttributes& other) const {
  return heading_ == other.heading_ && alignment_ == other.alignment_ && indent_ == other.indent_ &&
         fontSize_ == other.fontSize_ && style_ == other.style_;
}

std::string qvTextAttributes::attributeChanges(const qvTextAttributes& current) const {
  std::string words;
  if (isUnderline() != current.isUnderline()) appendToggle(words, "\\ul", isUnderline());
  if (isPreformatted() != current.isPreformatted() || isFixedPitch() != current.isFixedPitch()) {
    words += fontWord(*this);
  }
  if (indent_ != current.indent_) words += "\\li" + std::to_string(indent_ * 360);
  if (alignment_ != current.alignment_) words += alignmentWord(alignment_);
  if (heading_ != current.heading_ || fontSize_ != current.fontSize_) {
    words += "\\fs" + std::to_string(changedFontSize(heading_, fontSize_));
  }
  if (isItalic() != current.isItalic()) appendToggle(words, "\\i", isItalic());
  if (isBold() != current.isBold()) appendToggle(words, "\\b", isBold());
  return words;
}

std::string qvTextAttributes::fullAttributes() const {
  std::string words = fontWord(*this);
  words += "\\li" + std::to_string(indent_ * 360);
  words += alignmentWord(alignment_);
  words += "\\fs" + std::to_string(fullFontSize(heading_, fontSize_));
  appendToggle(words, "\\i", isItalic());
  appendToggle(words, "\\b", isBold());
  appendToggle(words, "\\ul", isUnderline());
  return words;
}

void qvTextAttributes::writeAttributeChanges(qvRtfWriter& out) const {
  const std::string words = attributeChanges(out.current());
  if (words.empty()) return;
  out.writeFormattingWords(words);
  out.current().copyFrom(*this);
}

void qvTextAttributes::writeFullAttributes(qvRtfWriter& out) const {
  out.writeControlWords(fullAttributes());
  out.current().copyFrom(*this);
}

std::string qvTextAttributes::describeAttributes() const {
  std::string text;
  auto add = [&text](const std::string& part) {
    if (!text.empty()) text += ", ";
    text += part;
  };
  if (alignment_ == 2) add("Centered");
  if (alignment_ > 2) add("Right-Aligned");
  if (indent_ != 0) add("Indent " + std::to_string(indent_));
  static constexpr std::array<std::pair<std::uint16_t, const char*>, 7> kNames{{
      {kItalic, "Italic"},
      {kBold, "Bold"},
      {kUnderline, "Underline"},
      {kStrikeout, "Strikeout"},
      {kSuperscript, "Superscript"},
      {kSubscript, "Subscript"},
      {kPreformatted, "Preformatted"},
  }};
  for (const auto& [mask, name] : kNames) {
    if (testStyle(mask)) add(name);
  }
  if (heading_ != 0) add("Header" + std::to_string(heading_));
  return text.empty() ? "Plain" : text;
}
