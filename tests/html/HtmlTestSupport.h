#pragma once
// A real parser set-up for tests: context, prototypes and parser over a
// user interface that records what it is told.

#include <memory>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "html/qvItemList.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvRtfWriter.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"

class RecordingUserInterface : public qvUserInterface {
 public:
  void statusMessage(const std::string& text, bool /*logOnly*/) override { messages.push_back(text); }
  void showError(const std::string& text, bool /*toStatusLine*/) override { errors.push_back(text); }
  void appendStatusLine(const std::string& text, bool /*append*/) override { statusLine += text; }
  void beginStatusLine(const std::string& text) override { statusLine = text; }
  void setStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void setProgressPosition(int position, bool /*secondary*/) override { progress.push_back(position); }
  int getStatus() override { return status; }
  bool checkCancel() override {
    ++cancelChecks;
    if (cancelAfter >= 0 && cancelChecks > cancelAfter) throw qvCancelException();
    return false;
  }

  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> statusTexts;
  std::vector<int> progress;
  std::string statusLine;
  int status = 0;
  long cancelChecks = 0;
  long cancelAfter = -1;
};

class HtmlFixture {
 public:
  HtmlFixture() : context(ui, settings), prototypes(context), parser(context, prototypes) {}

  // Parses `html` (kept alive by the fixture) into a fresh item list.
  qvItemList& parse(const std::string& html) {
    pages.push_back(std::make_unique<std::string>(html));
    lists.push_back(std::make_unique<qvItemList>());
    context.beginPage();
    parsed = parser.parsePage(*pages.back(), *lists.back());
    return *lists.back();
  }

  // Writes bound items the way the topic writer walks them.
  static std::string write(const qvItemRefs& bound) {
    qvRtfWriter out;
    out.resetForTopic();
    qvWriteItems(bound, out);
    return out.takeOutput();
  }

  // Parse, bind and write.
  std::string render(const std::string& html) {
    const qvItemRefs refs = parse(html).refs();
    return write(parser.bindItems(refs));
  }

  RecordingUserInterface ui;
  qvDriverSettings settings;
  qvHtmlContext context;
  qvPrototypeList prototypes;
  qvHtmlParser parser;
  bool parsed = false;
  std::vector<std::unique_ptr<std::string>> pages;
  std::vector<std::unique_ptr<qvItemList>> lists;
};
