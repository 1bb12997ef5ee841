// Any page: tokenize, bind and write every item; nothing may crash, read out
// of bounds or hang.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvRtfWriter.h"
#include "ui/qvDriverSettings.h"
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
  qvItemCursor walk(bound, 0);
  while (qvHtmlInterface* item = walk.next()) {
    if (qvHtmlText* text = item->asText()) {
      text->writeText(out);
    } else if (qvHtmlTag* tag = item->asTag()) {
      tag->writeRtf(out, walk);
    }
  }
  out.flush();
  return 0;
}
