#include "html/qvHtmlInterface.h"

#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"

bool qvHtmlInterface::save(qvItemWriter& out) const {
  out.writeU8(heading());
  out.writeU8(alignment());
  out.writeU8(indent());
  out.writeU8(fontSize());
  out.writeU16(style());
  return out.ok();
}

void qvHtmlInterface::restore(qvItemReader& in) {
  setHeading(in.readU8());
  setAlignment(in.readU8());
  setIndent(in.readU8());
  setFontSize(in.readU8());
  setStyleWord(in.readU16());
}
