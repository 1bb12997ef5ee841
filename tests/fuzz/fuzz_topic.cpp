// Any page converted into a whole topic, as the final pass writes it, with
// the page colours taken from the page: the topic must be one sound RTF
// document (balanced groups, nothing after it, only the control words of a
// help topic), whatever the page holds.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../rtf/RtfCheck.h"
#include "PlainPowerSchedule.h"
#include "base/qvDriverSettings.h"
#include "driver/qvHtmlConverter.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvItemList.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvByteSink.h"
#include "ui/qvUserInterface.h"

namespace {

struct Converter {
  Converter() { settings.autoColour = true; }
  qvUserInterface ui;
  qvDriverSettings settings;
  qvHtmlContext context{ui, settings};
  qvPrototypeList prototypes{context};
  qvHtmlParser parser{context, prototypes};
};

void require(const std::string& what, const std::string& rtf) {
  const std::vector<std::string> found = rtfcheck::problems(rtf);
  if (found.empty()) return;
  std::fprintf(stderr, "%s: %s\n", what.c_str(), found.front().c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Converter converter;  // expressions compiled once per process
  qvHtmlContext& context = converter.context;
  context.resetRun();
  qvURLStatus* page = context.addURL("http://example.com/dir/page.html", 0, 0);
  context.makeURL(*page);
  context.setCurrentPage(page);
  const std::string text(reinterpret_cast<const char*>(data), size);
  qvItemList items;
  context.beginPage();
  converter.parser.parsePage(text, items);
  qvHtmlConverter topics(context, converter.parser);
  const qvItemRefs bound = topics.postProcess(items);
  qvStringSink topic;
  qvStringSink popups;
  topics.writeHtmlTopic(topic, popups, *page, bound);
  require("topic", topic.text());
  require("popups", popups.text());
  return 0;
}
