#include "html/qvTagCaption.h"

#include "html/qvTagTable.h"
#include "html/qvTagValues.h"
#include "rtf/qvRtfWriter.h"

namespace {

bool endsCaption(qvHtmlInterface& item) {
  if (qvNamedTag::isEndOf(&item, qvTagCaption::kCode)) return true;
  const qvHtmlTag* tag = item.asTag();
  if (tag == nullptr || item.isConsumed()) return false;
  const std::uint8_t code = tag->typeCode();
  return code == qvTagTable::kTableCode || code == qvTagTable::kRowCode || code == qvTagTable::kCellCode;
}

}  // namespace

bool qvTagCaption::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  if (!canOwnMore()) return false;
  qvHtmlInterface* end = takeFollowing(following, items_, endsCaption);
  if (end != nullptr && isEndOf(end, kCode)) {
    end->markConsumed();
    following.next();
  }
  for (qvHtmlInterface* item : items_) item->setAlignment(qvTagValues::kAlignCentre);
  return true;
}

void qvTagCaption::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (isEndTag() || items_.empty()) return;
  if (!out.atParagraphStart()) out.requestParagraph();
  qvWriteItems(items_, out);
  out.requestParagraph();
}
