#include "html/qvTagDiv.h"

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTagValues.h"
#include "rtf/qvRtfWriter.h"

void qvTagDiv::constructed() { alignment_ = qvTagValues::parseAlignment(getAttribute("align").value_or("")); }

bool qvTagDiv::bind(qvItemCursor& following) {
  if (isConsumed()) return false;
  if (isEndTag()) return true;
  if (alignment_ == qvTagValues::kAlignNone) return true;
  setAlignment(alignment_);
  qvHtmlInterface* next = forEachFollowing(
      following,
      [](qvHtmlInterface& item) {
        const qvHtmlTag* tag = item.asTag();
        return tag != nullptr && !item.isConsumed() && tag->typeCode() == kCode;
      },
      [this](qvHtmlInterface& item) { item.setAlignment(alignment_); });
  // The end of an aligned division stays: it ends the division's
  // paragraph, whose alignment the text after it must not take over.
  auto* end = next != nullptr ? dynamic_cast<qvTagDiv*>(next->asTag()) : nullptr;
  if (end != nullptr && end->isEndTag()) end->closesAlignment_ = true;
  return true;
}

void qvTagDiv::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (closesAlignment_ || (!isEndTag() && alignment_ != qvTagValues::kAlignNone)) {
    // An aligned division is a paragraph of its own (alignment holds for
    // whole paragraphs); its end tag starts the paragraph after it.
    out.startParagraph(*this);
    return;
  }
  if (isEndTag()) {
    // Text after a division starts a line of its own, as a browser shows
    // it; a break already standing or asked for is enough.
    out.requestNewLine();
    return;
  }
  const bool tookBreak = out.takeLineBreak();
  {
    const qvRtfWriter::BlankLinesHeld held(out);
    out.writePendingParagraphFirst(*this);
    writeAttributeChanges(out);
    out.writeSeparators(*this);
  }
  if (out.atLineStart() && !tookBreak) return;
  out.addLineBreaks(1);
  out.writeSeparators(*this);
}

bool qvTagDiv::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeU8(alignment_);
  return out.ok();
}

void qvTagDiv::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  alignment_ = in.readU8();
}
