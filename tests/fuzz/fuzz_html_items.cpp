// Any page: tokenize, bind and write every item; nothing may crash, read out
// of bounds or hang, and the output stays within the bound the topic writer
// enforces (64 times the page plus 1 MB) without the writer having to cut
// it: every item is written once.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
  const std::size_t written = out.takeOutput().size();
  if (written > qvRtfWriter::kTopicGrowth * size + qvRtfWriter::kTopicAllowance) {
    std::fprintf(stderr, "%zu bytes of page wrote %zu bytes\n", size, written);
    std::abort();
  }
  return 0;
}
