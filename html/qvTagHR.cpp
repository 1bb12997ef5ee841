#include "html/qvTagHR.h"

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTextUtil.h"
#include "rtf/qvRtfWriter.h"

void qvTagHR::constructed() {
  const std::optional<std::string> value = getAttribute("newtopic");
  newTopic_ = value && (value->empty() || qvLowerCase(*value) == "yes");
}

bool qvTagHR::bind(qvItemCursor& /*following*/) { return !isConsumed() && !isEndTag(); }

void qvTagHR::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (out.inHotspot) return;
  writeAttributeChanges(out);
  out.write("\\fs10\\par\\li0\\brdrb\\par\\pard\\fs10\\par");
  // The small size of the blank paragraphs must not leak into the text
  // after the rule, which compares itself with the record written last:
  // restate this record in full so that record and output agree again.
  writeFullAttributes(out);
  out.write("\r\n");
  out.flush();
  out.afterParagraph = true;
  out.afterLine = false;
  out.pendingParagraph = false;
  out.delimiterOwed = false;
  out.pendingSpace = false;
  out.suppressNextBreak = true;
  out.charsSinceParagraph = 0;
  out.pendingLineBreaks = 0;
}

bool qvTagHR::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeBool(newTopic_);
  return out.ok();
}

void qvTagHR::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  newTopic_ = in.readBool();
}
