#include "html/qvTagPre.h"

#include "html/qvHtmlContext.h"
#include "rtf/qvRtfWriter.h"

void qvTagPre::constructed() {
  if (!isEndTag()) context().dropNextLeadingBreak = true;
}

bool qvTagPre::bind(qvItemCursor& following) {
  if (isConsumed()) return false;
  if (isEndTag()) return true;
  forEachFollowing(
      following, [](qvHtmlInterface& item) { return isEndOf(&item, kCode); },
      [](qvHtmlInterface& item) { item.setPreformatted(); });
  return true;
}

void qvTagPre::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) { out.requestLineBreaks(2, true); }
