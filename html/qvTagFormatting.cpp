#include "html/qvTagFormatting.h"

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvPrototypeRegistry.h"
#include "html/qvTagValues.h"
#include "rtf/qvRtfWriter.h"

void qvTagFormatting::constructed() {
  setTypeCode(qvInstanceTypeCode(typeCode(), tagName()));
  if (isHeadingTag()) headingAlignment_ = qvTagValues::parseAlignment(getAttribute("align").value_or(""));
}

void qvTagFormatting::applyTo(qvTextAttributes& item) const {
  switch (typeCode()) {
    case kBold:
    case kStrong:
      item.setBold();
      return;
    case kItalic:
    case kEmphasis:
    case kDefinition:
    case kCite:
      item.setItalic();
      return;
    case kTeletype:
    case kCode:
    case kSample:
    case kKeyboard:
    case kVariable:
      item.setFixedPitch();
      return;
    case kUnderline:
      item.setUnderline();
      return;
    case kStrike:
      item.setStrikeout();
      return;
    case kSub:
      item.setSubscript();
      return;
    case kSup:
      item.setSuperscript();
      return;
    case kBig:
      item.setFontSize(item.fontSize() + 2);
      return;
    case kSmall:
      item.setFontSize(item.fontSize() - 2);
      return;
    case kBlockquote:
      item.setIndent(item.indent() + 1);
      return;
    case kCenter:
      item.setAlignment(qvTagValues::kAlignCentre);
      return;
    default:
      break;
  }
  if (!isHeadingTag()) return;
  item.setHeading(static_cast<std::uint8_t>(typeCode() - kHeading1 + 1));
  item.setBold();
  if (headingAlignment_ != qvTagValues::kAlignNone) item.setAlignment(headingAlignment_);
}

bool qvTagFormatting::bind(qvItemCursor& following) {
  if (isConsumed()) return false;
  if (isEndTag()) return isBlock();
  bool first = true;
  qvHtmlInterface* end = forEachFollowing(
      following, [this](qvHtmlInterface& item) { return isEndOf(&item, typeCode()); },
      [this, &first](qvHtmlInterface& item) {
        applyTo(item);
        if (first) copyFrom(item);
        first = false;
      });
  if (end != nullptr && !isBlock()) end->markConsumed();
  return isBlock();
}

void qvTagFormatting::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (typeCode() == kBlockquote) {
    if (isEndTag()) out.requestAtLeastLineBreaks(2);
    return;
  }
  if (isHeadingTag() && isEndTag()) {
    // The paragraph after a heading is set off by a blank line.
    out.requestLineBreaks(1, true);
    out.requestParagraph();
    return;
  }
  if (typeCode() == kCenter) {
    out.requestLineBreaks(1, true);
  } else if (isHeadingTag()) {
    out.requestLineBreaks(2, true);
  } else {
    return;
  }
  // Alignment and size hold for whole paragraphs: the block gets its own,
  // or its lines would take the formatting of the text around them (the
  // begin tag carries the block's record, center's end tag the one after
  // it).
  out.startParagraph(*this);
}

bool qvTagFormatting::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeU8(headingAlignment_);
  return out.ok();
}

void qvTagFormatting::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  headingAlignment_ = in.readU8();
}
