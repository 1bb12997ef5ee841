#include "html/qvTagBase.h"

#include "html/qvHtmlContext.h"

void qvTagBase::constructed() {
  const std::optional<std::string> href = getAttribute("href");
  if (!href || isEndTag()) return;
  qvURLStatus* page = context().urlTable().currentPage();
  if (page == nullptr) return;
  if (context().urlTable().setBase(*page, *href)) return;
  log("Malformed URL '" + *href + "' in BASE tag");
  log("Document has invalid BASE tag");
}
