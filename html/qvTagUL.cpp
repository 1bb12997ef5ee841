#include "html/qvTagUL.h"

#include <string>

#include "html/qvHtmlContext.h"
#include "html/qvPrototypeRegistry.h"
#include "rtf/qvRtfWriter.h"

namespace {

bool isListTag(qvHtmlInterface& item) {
  const qvHtmlTag* tag = item.asTag();
  return tag != nullptr && !item.isConsumed() &&
         (tag->typeCode() == qvTagUL::kBulletCode || tag->typeCode() == qvTagUL::kNumberCode);
}

}  // namespace

void qvTagUL::constructed() { setTypeCode(qvInstanceTypeCode(typeCode(), tagName())); }

void qvTagUL::indentEnclosed(const qvItemCursor& following) {
  setIndent(indent() + 1);
  int depth = 0;
  forEachFollowing(
      following,
      [&depth](qvHtmlInterface& item) {
        if (!isListTag(item)) return false;
        if (!item.asTag()->isEndTag()) {
          ++depth;
          return false;
        }
        return depth-- == 0;
      },
      [](qvHtmlInterface& item) { item.setIndent(item.indent() + 1); });
}

bool qvTagUL::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  if (typeCode() == kItemCode) return true;
  if (!canOwnMore()) return false;
  indentEnclosed(following);
  const std::uint8_t code = typeCode();
  qvHtmlInterface* end =
      takeFollowing(following, items_, [code](qvHtmlInterface& item) { return isEndOf(&item, code); });
  if (end != nullptr) {
    end->markConsumed();
    following.next();
  }
  return true;
}

void qvTagUL::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (!isList() || items_.empty()) return;
  int& depth = context().listDepth;
  const bool outermost = depth == 0;
  ++depth;
  out.requestLineBreaks(outermost ? 2 : 1, true);
  int number = 0;
  qvItemCursor rest(items_, 0);
  while (qvHtmlInterface* item = rest.next()) {
    if (out.writingStopped()) break;
    const qvHtmlTag* tag = item->asTag();
    if (tag == nullptr || tag->typeCode() != kItemCode) {
      qvWriteItem(*item, out, rest);
      continue;
    }
    out.startParagraph(*item);
    if (typeCode() == kNumberCode) {
      out.write(std::to_string(++number) + ".");
    } else {
      // A bullet from the body font (Windows-1252 0x95), sized as the text.
      out.write("{\\f0\\'95}");
    }
    // The blank after the marker is left pending, so that white space at
    // the start of the entry's text does not double it.
    out.textWritten();
    out.requestSpace();
  }
  out.requestAtLeastLineBreaks(outermost ? 2 : 1);
  // The text after the list must not restyle its last entry's paragraph.
  if (outermost) out.requestParagraph();
  --depth;
}
