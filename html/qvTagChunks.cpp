#include "html/qvTagChunks.h"

#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "html/qvPrototypeRegistry.h"
#include "html/qvTagValues.h"

void qvTagChunks::constructed() {
  setTypeCode(qvInstanceTypeCode(typeCode(), tagName()));
  if (typeCode() != kBodyCode || isEndTag() || !context().settings().autoColour) return;
  qvURLStatus* page = context().urlTable().currentPage();
  if (page == nullptr) return;
  page->mainColour = static_cast<unsigned>(qvTagValues::parseColour(getAttribute("bgcolor").value_or("")));
  const auto store = [this](const char* name, unsigned& colour) {
    const int value = qvTagValues::parseColour(getAttribute(name).value_or(""));
    if (value >= 0) colour = static_cast<unsigned>(value);
  };
  store("text", page->textColour);
  store("link", page->linkColour);
  store("vlink", page->vlinkColour);
}
