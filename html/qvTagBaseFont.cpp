#include "html/qvTagBaseFont.h"

#include <algorithm>

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTagValues.h"

void qvTagBaseFont::constructed() {
  const std::optional<std::string> value = getAttribute("size");
  if (!value || isEndTag()) return;
  const std::optional<int> parsed = qvTagValues::parseInteger(*value);
  if (!parsed || *parsed < 0) {
    log("invalid numeric value '" + *value + "' in BaseFont tag");
    return;
  }
  size_ = static_cast<std::int16_t>(std::min(*parsed, 255));
}

bool qvTagBaseFont::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag() || size_ < 0) return false;
  forEachFollowing(
      following, [](qvHtmlInterface&) { return false; },
      [this](qvHtmlInterface& item) { item.setFontSize(size_); });
  return false;
}

bool qvTagBaseFont::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeI16(size_);
  return out.ok();
}

void qvTagBaseFont::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  size_ = in.readI16();
}
