// Any page: tokenize, bind and write every item; nothing may crash, read out
// of bounds or hang.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
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

// The entropic power schedule spends nearly all its time ranking this
// target's many rare features (about 30 runs a second instead of 1,000), so
// the plain schedule is the default; a later -entropic=1 still wins.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char entropicOff[] = "-entropic=0";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, entropicOff);
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size() - 1);
  *argv = args.data();
  return 0;
}

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
