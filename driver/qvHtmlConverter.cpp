#include "driver/qvHtmlConverter.h"

#include <any>
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <typeinfo>
#include <variant>

#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "rtf/qvByteSink.h"
#include "rtf/qvLineWriter.h"
#include "rtf/qvRtfWriter.h"
#include "rtf/qvTopicFrame.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"
#include "url/qvURLStatus.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

void writeLines(qvByteSink& out, const std::vector<std::string>& lines) {
  for (const auto& line : lines) writeLine(out, line);
}

void writeBoth(qvByteSink& topic, qvByteSink* second, const std::vector<std::string>& lines) {
  writeLines(topic, lines);
  if (second != nullptr) writeLines(*second, lines);
}

std::string textOf(const std::any& value) {
  if (const auto* text = std::any_cast<std::string>(&value)) return *text;
  return {};
}

}  // namespace

std::string qvHtmlConverter::exceptionClassName(const std::exception& e) {
  const char* mangled = typeid(e).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                   &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

bool qvHtmlConverter::isInternalFault(const std::exception& e) {
  return dynamic_cast<const std::logic_error*>(&e) != nullptr || dynamic_cast<const std::bad_cast*>(&e) != nullptr ||
         dynamic_cast<const std::bad_any_cast*>(&e) != nullptr ||
         dynamic_cast<const std::bad_optional_access*>(&e) != nullptr ||
         dynamic_cast<const std::bad_variant_access*>(&e) != nullptr;
}

std::string qvHtmlConverter::itemClassName(qvHtmlInterface& item) {
  if (const qvHtmlTag* tag = item.asTag()) return "qv" + tag->className();
  return "qvHtmlText";
}

qvHtmlConverter::qvHtmlConverter(qvHtmlContext& context, qvHtmlParser& parser)
    : context_(context), parser_(parser) {}

qvItemRefs qvHtmlConverter::postProcess(const qvItemList& items) { return parser_.bindItems(items.refs()); }

qvTopicPage qvHtmlConverter::topicPage(const qvURLStatus& status) const {
  qvTopicPage page;
  page.contextString = status.documentName;
  page.title = status.title;
  page.sourceURL = status.url;
  page.colours = {static_cast<int>(status.textColour), static_cast<int>(status.linkColour),
                  static_cast<int>(status.vlinkColour)};
  // A body bgcolor the page did not give properly is stored as -1 (no
  // background macro); otherwise the run's colour.
  page.background = static_cast<int>(status.mainColour);
  page.nestedTables = context_.nestedTables;
  page.notFullyRetrieved = status.notFullyRetrieved;
  page.elementsSkipped = status.elementsSkipped;
  page.browse = context_.ui().getValue(qvValueIndex::kBrowseButtons) != 0;
  return page;
}

void qvHtmlConverter::writeOpening(qvByteSink& topic, qvByteSink* second, const qvTopicPage& page) {
  writeBoth(topic, second, qvTopicFrame::headerLines(page.colours));
  writeLines(topic, qvTopicFrame::footnoteLines(page));
  writeBoth(topic, second, qvTopicFrame::backgroundLines(page.background));
  writeLines(topic, qvTopicFrame::titleRegionLines(page));
}

void qvHtmlConverter::writeClosing(qvByteSink& topic, qvByteSink* second, const qvTopicPage& page) {
  writeBoth(topic, second, {"\\par\\pard"});
  writeLines(topic, qvTopicFrame::sourceLines(page.sourceURL));
  writeBoth(topic, second, {"\\page", "}"});
}

void qvHtmlConverter::writeBody(qvByteSink& topic, const qvItemRefs& items, std::size_t pageBytes) {
  qvRtfWriter out(&topic);
  out.resetForTopic();
  out.limitTopic(pageBytes);
  out.requestAtLeastLineBreaks(1);
  qvItemCursor walk(items, 0);
  qvUserInterface& ui = context_.ui();
  for (std::size_t index = 0; qvHtmlInterface* item = walk.next(); ++index) {
    if (out.overTopicLimit()) break;
    ui.setProgressPosition(static_cast<int>(index * 100 / items.size()), false);
    ui.checkCancel();
    try {
      if (qvHtmlText* text = item->asText()) {
        text->writeText(out);
      } else if (qvHtmlTag* tag = item->asTag()) {
        tag->writeRtf(out, walk);
      }
    } catch (const qvCancelException&) {
      throw;
    } catch (const std::exception& e) {
      const std::string object = itemClassName(*item);
      ui.showError(isInternalFault(e) ? "Null pointer exception ; object is " + object
                                      : "Other exception (" + exceptionClassName(e) + ") ; object is " + object);
    }
  }
  if (out.overTopicLimit()) {
    out.write(qvRtfWriter::kTopicTruncationNote);
    ui.statusMessage("Topic output exceeds " + std::to_string(qvRtfWriter::kTopicGrowth) +
                         " times the page's size ; truncated",
                     true);
  }
  out.flush();
}

void qvHtmlConverter::writeHtmlTopic(qvByteSink& topic, qvByteSink& popups, qvURLStatus& status,
                                     const qvItemRefs& items, std::size_t pageBytes) {
  const qvTopicPage page = topicPage(status);
  writeOpening(topic, &popups, page);
  context_.popupStream = &popups;
  context_.urlTable().setCurrentPage(&status);
  context_.contextStringsWritten.clear();
  try {
    writeBody(topic, items, pageBytes);
  } catch (...) {
    context_.popupStream = nullptr;
    writeClosing(topic, &popups, page);
    throw;
  }
  context_.popupStream = nullptr;
  writeClosing(topic, &popups, page);
}

std::string qvHtmlConverter::plainTextBody(const std::string& text) {
  std::string rtf = "\\keep\\f2 ";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      rtf += "\\line\r\n";
    } else if (c == '\t') {
      rtf += "\\tab ";
    } else if (c == '\\') {
      rtf += "\\\\";
    } else if (byte >= 128 || c == '{' || c == '}') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", byte);
      rtf += hex;
    } else if (byte >= 32) {
      rtf += c;
    }
  }
  return rtf + "\\f0";
}

void qvHtmlConverter::writePlainTextTopic(qvByteSink& topic, const qvURLStatus& status) {
  const qvTopicPage page = topicPage(status);
  writeOpening(topic, nullptr, page);
  writeLine(topic, plainTextBody(textOf(status.pageText)));
  writeClosing(topic, nullptr, page);
}

void qvHtmlConverter::writeImageTopic(qvByteSink& topic, const qvURLStatus& status) {
  const qvTopicPage page = topicPage(status);
  writeOpening(topic, nullptr, page);
  // The bitmap by its name, as image tags write it; the compiler finds it
  // in the project's folder.
  const std::string bitmap = textOf(status.pageText);
  const std::size_t slash = bitmap.find_last_of("/\\");
  writeLine(topic, "\\qc\\{bmc " + (slash == std::string::npos ? bitmap : bitmap.substr(slash + 1)) + "\\}\\ql");
  writeClosing(topic, nullptr, page);
}
