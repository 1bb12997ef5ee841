#include "html/qvTagBR.h"

#include "rtf/qvRtfWriter.h"

bool qvTagBR::bind(qvItemCursor& /*following*/) { return !isConsumed() && !isEndTag(); }

void qvTagBR::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) { out.addLineBreaks(1); }
