#include "html/qvTagTitle.h"

#include <vector>

#include "base/qvTextUtil.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlText.h"

std::string qvTagTitle::cleanTitle(std::string_view text) {
  text = qvTrim(text);
  while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text = qvTrim(text.substr(1));
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
    text = qvTrim(text.substr(0, text.size() - 1));
  }
  return std::string(text);
}

bool qvTagTitle::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  std::string collected;
  qvItemCursor walk = following;
  qvHtmlInterface* item = walk.next();
  std::vector<qvHtmlText*> texts;
  for (; item != nullptr && !isEndOf(item, kCode); item = walk.next()) {
    qvHtmlText* text = item->asText();
    if (text == nullptr || text->isConsumed()) continue;
    collected.append(text->chars());
    texts.push_back(text);
  }
  if (item == nullptr) return false;
  item->markConsumed();
  // The title is shown in the topic's title region; its text is head
  // content, which a browser never shows in the page itself.
  for (qvHtmlText* text : texts) text->markConsumed();

  std::string title = cleanTitle(collected);
  if (title.size() > kMaxLength) {
    log("Document title exceeds 255 chars ; trimmed");
    title.resize(kMaxLength);
  }
  qvURLStatus* page = context().urlTable().currentPage();
  if (page == nullptr) {
    log("Internal error : no status for URL  in qvTagTitle");
    return false;
  }
  // An empty title would leave the topic nameless in the help file's
  // history and search lists; the page keeps its URL as title instead.
  if (title.empty()) {
    log("Document has empty title");
    return false;
  }
  page->title = title;
  return false;
}
