// Any page converted into a whole topic, as the final pass writes it, with
// the page colours taken from the page: the topic must be one sound RTF
// document (balanced groups, nothing after it, only the control words of a
// help topic) whose context strings a help compiler takes, whatever the
// page holds.

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
#include "rtf/qvRtfWriter.h"
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

void fail(const std::string& what, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\n", what.c_str(), problem.c_str());
  std::abort();
}

bool isContextCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
}

// Every context string defined is one help compilers take as it stands:
// nothing a page names may reach it raw.
void requireContextStrings(const std::string& what, const std::string& rtf) {
  const std::string marker = "#{\\footnote ";
  for (auto at = rtf.find(marker); at != std::string::npos; at = rtf.find(marker, at + 1)) {
    std::size_t start = at + marker.size();
    if (rtf.compare(start, 2, "# ") == 0) start += 2;
    std::size_t end = start;
    while (end < rtf.size() && isContextCharacter(rtf[end])) ++end;
    if (end == start || end - start > 255 || end >= rtf.size() || rtf[end] != '}') {
      fail(what, "context string footnote at " + std::to_string(at) + ": " + rtf.substr(at, 80));
    }
  }
}

void require(const std::string& what, const std::string& rtf) {
  const std::vector<std::string> found = rtfcheck::problems(rtf);
  if (!found.empty()) fail(what, found.front());
  requireContextStrings(what, rtf);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Converter converter;  // expressions compiled once per process
  qvHtmlContext& context = converter.context;
  context.urlTable().resetRun();
  qvURLStatus* page = context.urlTable().addURL("http://example.com/dir/page.html", 0, 0);
  context.urlTable().makeURL(*page);
  context.urlTable().setCurrentPage(page);
  const std::string text(reinterpret_cast<const char*>(data), size);
  qvItemList items;
  context.beginPage();
  converter.parser.parsePage(text, items);
  qvHtmlConverter topics(context, converter.parser);
  const qvItemRefs bound = topics.postProcess(items);
  qvStringSink topic;
  qvStringSink popups;
  topics.writeHtmlTopic(topic, popups, *page, bound, size);
  require("topic", topic.text());
  require("popups", popups.text());
  // The body's bound, and room for the header, the title and the closing.
  constexpr std::size_t kFrame = 64 * 1024;
  if (topic.text().size() > qvRtfWriter::kTopicGrowth * size + qvRtfWriter::kTopicAllowance + kFrame) {
    fail("topic", std::to_string(size) + " bytes of page wrote " + std::to_string(topic.text().size()));
  }
  for (const auto& [name, number] : context.urlTable().helpIds()) {
    requireContextStrings("[MAP]", "#{\\footnote " + name + "}");
  }
  return 0;
}
