#include "html/qvTagP.h"

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTagValues.h"
#include "rtf/qvRtfWriter.h"

void qvTagP::constructed() { alignment_ = qvTagValues::parseAlignment(getAttribute("align").value_or("")); }

bool qvTagP::bind(qvItemCursor& following) {
  if (isConsumed()) return false;
  if (isEndTag() || alignment_ == qvTagValues::kAlignNone) return true;
  setAlignment(alignment_);
  forEachFollowing(
      following,
      [](qvHtmlInterface& item) {
        const qvHtmlTag* tag = item.asTag();
        return tag != nullptr && tag->typeCode() == kCode;
      },
      [this](qvHtmlInterface& item) { item.setAlignment(alignment_); });
  return true;
}

void qvTagP::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (!isPreformatted()) {
    out.closeParagraph();
    return;
  }
  if (!out.nextBreakSuppressed()) out.write("\\line");
  // \pard drops the paragraph formatting (the preformatted \keep among
  // it), so the record is written out in full, not only made current.
  out.breakParagraph(*this);
  out.takeLineBreak();
}

bool qvTagP::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeU8(alignment_);
  return out.ok();
}

void qvTagP::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  alignment_ = in.readU8();
}
