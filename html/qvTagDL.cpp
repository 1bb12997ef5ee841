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

void qvTagDL::indentEntry(const qvItemCursor& following) {
  int depth = 0;
  forEachFollowing(
      following,
      [&depth](qvHtmlInterface& item) {
        if (isBeginOf(&item, kListCode)) ++depth;
        if (isEndOf(&item, kListCode)) return depth-- == 0;
        return depth == 0 && isEntryStart(item);
      },
      [](qvHtmlInterface& item) { item.setIndent(item.indent() + 1); });
}

bool qvTagDL::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  if (typeCode() == kListCode) {
    qvHtmlInterface* end =
        takeFollowing(following, items_, [](qvHtmlInterface& item) { return isEndOf(&item, kListCode); });
    if (end != nullptr) {
      end->markConsumed();
      following.next();
    }
    return true;
  }
  if (typeCode() == kDefinitionCode) indentEntry(following);
  takeFollowing(following, items_,
                [](qvHtmlInterface& item) { return isEndOf(&item, kListCode) || isEntryStart(item); });
  return true;
}

void qvTagDL::writeList(qvRtfWriter& out) {
  int& depth = context().definitionListDepth;
  const bool outermost = depth == 0;
  ++depth;
  out.requestLineBreaks(outermost ? 2 : 1, true);
  writeItems(out, items_);
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
  startLine(out, items_.empty() ? static_cast<const qvTextAttributes&>(*this) : *items_.front());
  writeItems(out, items_);
}
