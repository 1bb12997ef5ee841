#include "html/qvTagFont.h"

#include <algorithm>

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTagValues.h"

void qvTagFont::constructed() {
  const std::optional<std::string> value = getAttribute("size");
  if (!value || isEndTag()) return;
  std::string_view number = *value;
  relative_ = !number.empty() && (number.front() == '+' || number.front() == '-');
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  const std::optional<int> parsed = qvTagValues::parseInteger(number);
  if (!parsed) {
    relative_ = false;
    log("invalid numeric value '" + *value + "' in font tag");
    return;
  }
  // The field is a signed byte; anything beyond it ends up clamped to 1..7
  // when applied anyway.
  size_ = static_cast<std::int8_t>(std::clamp(*parsed, -128, 127));
  hasSize_ = true;
}

bool qvTagFont::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag() || !hasSize_) return false;
  qvHtmlInterface* end = forEachFollowing(
      following, [](qvHtmlInterface& item) { return isEndOf(&item, kCode); },
      [this](qvHtmlInterface& item) { item.setFontSize(relative_ ? item.fontSize() + size_ : size_); });
  if (end != nullptr) end->markConsumed();
  return false;
}

bool qvTagFont::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeU8(static_cast<std::uint8_t>(size_));
  out.writeBool(relative_);
  out.writeBool(hasSize_);
  return out.ok();
}

void qvTagFont::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  size_ = static_cast<std::int8_t>(in.readU8());
  relative_ = in.readBool();
  hasSize_ = in.readBool();
}
