// Any page: tokenize, bind and write every item; nothing may crash, read out
// of bounds or hang.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "PlainPowerSchedule.h"
#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvRtfWriter.h"
#include "ui/qvUserInterface.h"

namespace {

struct Parser {
  qvUserInterface ui;
  qvDriverSettings settings;
  qvHtmlContext context{ui, settings};
  qvPrototypeList prototypes{context};
  qvHtmlParser parser{context, prototypes};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Parser parser;  // expressions compiled once per process
  Parser* p = &parser;
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  qvItemList items;
  p->context.beginPage();
  p->parser.parsePage(page, items);
  const qvItemRefs bound = p->parser.bindItems(items.refs());
  qvRtfWriter out;
  out.resetForTopic();
  qvWriteItems(bound, out);
  out.flush();
  return 0;
}
