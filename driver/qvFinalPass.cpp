#include "driver/qvFinalPass.h"

#include <unistd.h>
#include <memory>

#include "base/qvDriverSettings.h"
#include "driver/qvFileSink.h"
#include "driver/qvHtmlConverter.h"
#include "driver/qvItemFile.h"
#include "driver/qvRunCounters.h"
#include "html/qvHtmlContext.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"
#include "url/qvUrlOutcome.h"

namespace {

// Report numbers of internal faults, by what the round was doing.
constexpr int kWritingHtml = 2;
constexpr int kReadingHtml = 3;
constexpr int kReadingText = 4;
constexpr int kWritingText = 5;
constexpr int kElsewhere = 6;

}  // namespace

qvFinalPass::qvFinalPass(qvHtmlContext& context, qvHtmlConverter& converter, qvRunCounters& counters,
                         std::string rtfDirectory)
    : context_(context), converter_(converter), counters_(counters), rtfDirectory_(std::move(rtfDirectory)) {}

std::string qvFinalPass::topicName() const { return "out" + std::to_string(topics_) + ".rtf"; }

std::string qvFinalPass::intermediateFile(const qvURLStatus& status) const {
  return rtfDirectory_ + "/" + status.documentName + ".tmp";
}

void qvFinalPass::betweenPasses() {
  qvUserInterface& ui = context_.ui();
  ui.setState(2);
  ui.setInfo("", "", "", "");
  ui.setProgressPosition(0, false);
  ui.setProgressPosition(0, true);
  counters_.urlsVisited = 0;
  counters_.urlsSkipped = 0;
  if (context_.settings().enough) context_.urlTable().markEnough();
}

bool qvFinalPass::run(qvByteSink& popups) {
  topics_ = 0;
  betweenPasses();
  if (context_.urlTable().startURL() == nullptr) return false;
  qvUserInterface& ui = context_.ui();
  ui.statusMessage("Final processsing");
  context_.urlTable().resetPass();
  while (context_.urlTable().hasPending()) {
    ui.checkCancel();
    round(popups);
  }
  ui.setInfo("", "", "", "");
  return true;
}

void qvFinalPass::round(qvByteSink& popups) {
  qvUserInterface& ui = context_.ui();
  qvURLStatus* start = context_.urlTable().startURL();
  qvURLStatus* status = !start->isDone() && !start->isActive() ? start : context_.urlTable().nextPending();
  if (status == nullptr) {
    ui.showError("NULL status");
    return;
  }
  context_.urlTable().markActive(*status);
  ++counters_.urlsVisited;
  phase_ = kElsewhere;
  try {
    runRound(*status, popups);
  } catch (const qvCancelException& e) {
    // The user's stop ends this topic only; the pass goes on with the next.
    ui.showError("Other Exception (" + qvHtmlConverter::exceptionClassName(e) + ") #1");
    ui.checkCancel(true);
  } catch (const qvRuntimeException& e) {
    ui.showError(std::string("IO Exception : ") + e.what());
  } catch (const std::exception& e) {
    ui.showError(qvHtmlConverter::isInternalFault(e)
                     ? "NP Exception #" + std::to_string(phase_)
                     : "Other Exception (" + qvHtmlConverter::exceptionClassName(e) + ") #1");
  }
  endRound(*status);
}

void qvFinalPass::endRound(qvURLStatus& status) {
  qvUserInterface& ui = context_.ui();
  context_.urlTable().markActive(status, false);
  context_.urlTable().markDone(status);
  if (context_.nestedTables) {
    ui.showWarning("Nested tables in " + status.url);
    ui.showError("Nested tables in " + status.url);
    context_.nestedTables = false;
  }
  status.pageText.reset();
}

void qvFinalPass::runRound(qvURLStatus& status, qvByteSink& popups) {
  qvUserInterface& ui = context_.ui();
  context_.urlTable().setCurrentPage(&status);
  ui.setInfo(nullptr, status.baseURL.c_str(), status.url.c_str(), nullptr);
  ui.beginStatusLine("URL " + status.url + " : ");
  ui.updateCounts(static_cast<int>(context_.urlTable().size()), counters_.urlsVisited, 0, counters_.bytesReceived);
  if (!status.converted) {
    // The reason is logged once, on this round's status line; the start
    // URL's report goes to the warnings only, or the log would say it twice
    // (and, for a flag reason, with the URL twice over).
    auto reason = status.failureText ? status.failureText : qvUrlOutcome::flagReason(status);
    if (&status == context_.urlTable().startURL()) {
      if (const auto report = qvUrlOutcome::startUrlReport(status)) ui.showError(*report, false);
    } else {
      reason = qvUrlOutcome::reason(status);
    }
    ui.endStatusLine(reason.value_or("not fetched"), true, true);
    return;
  }
  if (status.isImage) return writeImage(status);
  if (status.isPlainText) return writePlainText(status);
  if (status.isHTML) return writeHtml(status, popups);
  ui.endStatusLine("not fetched", true, true);
}

template <typename Write>
void qvFinalPass::writeTopic(Write write) {
  const std::string name = topicName();
  context_.ui().setInfo(nullptr, nullptr, nullptr, name.c_str());
  qvFileSink topic(rtfDirectory_ + "/" + name);
  if (topic.failed()) throw qvRuntimeException(topic.errorText());
  write(topic);
  if (!topic.close()) throw qvRuntimeException(topic.errorText());
  ++topics_;
}

void qvFinalPass::writeImage(qvURLStatus& status) {
  context_.ui().endStatusLine("image", true, true);
  writeTopic([&](qvByteSink& topic) { converter_.writeImageTopic(topic, status); });
}

void qvFinalPass::writePlainText(qvURLStatus& status) {
  qvUserInterface& ui = context_.ui();
  const bool inMemory = context_.settings().plainTextInMemory;
  ui.endStatusLine("plain text", true, true);
  if (!inMemory) {
    phase_ = kReadingText;
    ui.beginStatusLine("Reading ... ");
    const std::unique_ptr<qvRestoredPage> page =
        qvItemFile::readPage(intermediateFile(status), false, context_, ui);
    if (!page) throw qvRuntimeException("cannot read " + intermediateFile(status));
    status.pageText = page->text;
  }
  phase_ = kWritingText;
  ui.appendStatusLine("writing [" + topicName() + "] ... ", true);
  writeTopic([&](qvByteSink& topic) { converter_.writePlainTextTopic(topic, status); });
  ui.endStatusLine("done", true, true);
  status.pageText.reset();
  if (!inMemory) ::unlink(intermediateFile(status).c_str());
}

void qvFinalPass::writeHtml(qvURLStatus& status, qvByteSink& popups) {
  qvUserInterface& ui = context_.ui();
  ui.endStatusLine("HTML", true, true);
  // The crawl always saves a page's items to its file, whatever becomes of
  // plain texts, so they are read back from there.
  phase_ = kReadingHtml;
  ui.appendStatusLine("Reading ... ", true);
  const std::unique_ptr<qvRestoredPage> page = qvItemFile::readPage(intermediateFile(status), true, context_, ui);
  if (!page) {
    ui.showError("Failed to read temp file");
    return;
  }
  ui.appendStatusLine("Postprocessing ... ", true);
  const qvItemRefs items = converter_.postProcess(page->items);
  phase_ = kWritingHtml;
  ui.appendStatusLine("writing [" + topicName() + "] ... ", true);
  writeTopic([&](qvByteSink& topic) { converter_.writeHtmlTopic(topic, popups, status, items, page->text.size()); });
  ui.endStatusLine("done", true, true);
  status.pageText.reset();
  ::unlink(intermediateFile(status).c_str());
}
