// Any intermediate file: restore the page, then bind and write what came
// back. Hostile lengths and codes must end in a message, never a crash or an
// allocation the file does not pay for.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "base/qvDriverSettings.h"
#include "driver/qvItemFile.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvRtfWriter.h"
#include "ui/qvUserInterface.h"

namespace {

struct Restorer {
  qvUserInterface ui;
  qvDriverSettings settings;
  qvHtmlContext context{ui, settings};
  qvPrototypeList prototypes{context};
  qvHtmlParser parser{context, prototypes};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Restorer restorer;  // expressions compiled once per process
  Restorer* r = &restorer;
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  r->context.beginPage();
  std::unique_ptr<qvRestoredPage> page = qvItemFile::readPageData(file, true, r->context, r->ui);
  if (page == nullptr) return 0;
  const qvItemRefs bound = r->parser.bindItems(page->items.refs());
  qvRtfWriter out;
  out.resetForTopic();
  qvWriteItems(bound, out);
  out.flush();
  return 0;
}
