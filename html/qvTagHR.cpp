#include "html/qvTagHR.h"

#include "base/qvTextUtil.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "rtf/qvRtfWriter.h"

void qvTagHR::constructed() {
  const std::optional<std::string> value = getAttribute("newtopic");
  newTopic_ = value && (value->empty() || qvLowerCase(*value) == "yes");
}

bool qvTagHR::bind(qvItemCursor& /*following*/) { return !isConsumed() && !isEndTag(); }

void qvTagHR::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  // Inside a link's text the rule's paragraphs would end the hotspot.
  if (out.inHotspot()) return;
  out.writeRule(*this);
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
