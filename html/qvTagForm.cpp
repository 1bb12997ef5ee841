#include "html/qvTagForm.h"

#include <cstring>

#include "html/qvHtmlText.h"
#include "html/qvTagValues.h"
#include "rtf/qvRtfWriter.h"

namespace {

// Consumes the tags between two positions of the page walk.
void consumeTags(const qvItemCursor& from, std::size_t end) {
  qvItemCursor walk = from;
  while (walk.position() < end) {
    qvHtmlInterface* item = walk.next();
    if (item != nullptr && item->asTag() != nullptr) item->markConsumed();
  }
}

}  // namespace

bool qvTagForm::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  qvItemCursor walk = following;
  while (qvHtmlInterface* item = walk.next()) {
    if (isEndOf(item, kCode)) break;
    qvHtmlTag* tag = item->asTag();
    if (tag == nullptr || tag->isConsumed()) continue;
    // A tag that takes items for itself (a list, a table) moves the walk
    // past them; those tags go with it, so none is bound a second time.
    const qvItemCursor start = walk;
    tag->bindOnce(walk);
    tag->markConsumed();
    consumeTags(start, walk.position());
  }
  return true;
}

void qvTagForm::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (isEndTag()) return;
  // Alignment belongs to a paragraph, so the note gets one of its own;
  // between mere line breaks the text around it would decide it.
  if (!out.atParagraphStart()) {
    out.requestAtLeastLineBreaks(2);
    out.requestParagraph();
  }
  qvHtmlTextString note(kNote, 0, std::strlen(kNote));
  note.copyFrom(*this);
  note.setBold();
  note.setAlignment(qvTagValues::kAlignCentre);
  note.writeText(out);
  out.requestAtLeastLineBreaks(2);
  out.requestParagraph();
}
