#include "html/qvPrototypeList.h"

#include "html/qvPrototypeRegistry.h"

qvPrototypeList::qvPrototypeList(qvHtmlContext& context) : entity_(context), textRun_(context) {
  for (const qvPrototypeEntry& entry : qvPrototypeEntries()) {
    std::unique_ptr<qvHtmlTag> prototype = entry.factory(context, nullptr);
    prototype->init(entry.namePattern, entry.typeCode, entry.factory);
    tags_.push_back(std::move(prototype));
  }
}
