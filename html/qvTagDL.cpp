#include "html/qvTagDL.h"

#include "html/qvHtmlContext.h"
#include "html/qvPrototypeRegistry.h"
#include "rtf/qvRtfWriter.h"

namespace {

bool isEntryStart(qvHtmlInterface& item) {
  return qvNamedTag::isBeginOf(&item, qvTagDL::kTermCode) || qvNamedTag::isBeginOf(&item, qvTagDL::kDefinitionCode);
}

}  // namespace

void qvTagDL::constructed() { setTypeCode(qvInstanceTypeCode(typeCode(), tagName())); }

void qvTagDL::indentEntry(const qvItemCursor& from, std::size_t end) {
  qvItemCursor walk = from;
  while (walk.position() < end) {
    qvHtmlInterface* item = walk.next();
    if (item != nullptr && !item->isConsumed()) item->setIndent(item->indent() + 1);
  }
}

bool qvTagDL::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  if (!canOwnMore()) return false;
  if (typeCode() == kListCode) {
    qvHtmlInterface* end =
        takeFollowing(following, items_, [](qvHtmlInterface& item) { return isEndOf(&item, kListCode); });
    if (end != nullptr) {
      end->markConsumed();
      following.next();
    }
    return true;
  }
  const qvItemCursor start = following;
  takeFollowing(following, items_,
                [](qvHtmlInterface& item) { return isEndOf(&item, kListCode) || isEntryStart(item); });
  // A definition's whole span is indented, the items nested lists took
  // for themselves included.
  if (typeCode() == kDefinitionCode) indentEntry(start, following.position());
  return true;
}

void qvTagDL::writeList(qvRtfWriter& out) {
  int& depth = context().definitionListDepth;
  const bool outermost = depth == 0;
  ++depth;
  out.requestLineBreaks(outermost ? 2 : 1, true);
  qvWriteItems(items_, out);
  out.requestAtLeastLineBreaks(outermost ? 2 : 1);
  // The text after the list must not restyle its last entry's paragraph.
  if (outermost) out.requestParagraph();
  --depth;
}

void qvTagDL::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (isEndTag()) return;
  if (typeCode() == kListCode) {
    writeList(out);
    return;
  }
  // The entry's line takes the formatting of its first item (a definition's
  // indent), not the tag's own.
  out.startParagraph(items_.empty() ? static_cast<const qvTextAttributes&>(*this) : *items_.front());
  qvWriteItems(items_, out);
}
