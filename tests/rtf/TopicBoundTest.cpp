// A topic never outgrows its page by more than a fixed factor: should items
// ever be written again and again (nested containers did that once, a few
// hundred bytes of page making gigabytes of topic), the topic is cut at the
// bound with a note, stays one sound RTF document, and the run goes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RtfCheck.h"
#include "driver/qvHtmlConverter.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvItemList.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvByteSink.h"
#include "rtf/qvRtfWriter.h"
#include "base/qvDriverSettings.h"
#include "ui/qvUserInterface.h"

namespace {

class LoggingUi : public qvUserInterface {
 public:
  void statusMessage(const std::string& text, bool) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

struct BoundRig {
  BoundRig() {
    status = context.urlTable().addURL("http://example.com/page.html", 0, 0);
    context.urlTable().makeURL(*status);
    context.urlTable().setCurrentPage(status);
    context.beginPage();
    parser.parsePage(page, items);
    qvHtmlConverter converter(context, parser);
    bound = converter.postProcess(items);
  }

  // The page's bound items `times` over, written as one topic.
  std::string write(int times) {
    qvItemRefs body;
    for (int i = 0; i < times; ++i) body.insert(body.end(), bound.begin(), bound.end());
    qvStringSink topic;
    qvStringSink popups;
    qvHtmlConverter(context, parser).writeHtmlTopic(topic, popups, *status, body, page.size());
    EXPECT_EQ(rtfcheck::problems(popups.text()), std::vector<std::string>{});
    return topic.text();
  }

  LoggingUi ui;
  qvDriverSettings settings;
  qvHtmlContext context{ui, settings};
  qvPrototypeList prototypes{context};
  qvHtmlParser parser{context, prototypes};
  const std::string page =
      "<ul><li>entry <b>bold</b><li><a name=here>named</a></ul>"
      "<table><tr><td>cell<td><ol><li>in a cell</ol></table><p>after";
  qvItemList items;
  qvItemRefs bound;
  qvURLStatus* status = nullptr;
};

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TopicBound, ABodyThatOutgrowsItsPageEndsWithANoteAndStaysSound) {
  BoundRig rig;
  const std::size_t bound = qvRtfWriter::kTopicGrowth * rig.page.size() + qvRtfWriter::kTopicAllowance;
  const std::string once = rig.write(1);
  EXPECT_EQ(once.find(qvRtfWriter::kTopicTruncationNote), std::string::npos);
  const std::size_t perCopy = rig.write(2).size() - once.size();

  const std::string cut = rig.write(static_cast<int>(4 * bound / perCopy));
  EXPECT_EQ(rtfcheck::problems(cut), std::vector<std::string>{});
  EXPECT_EQ(count(cut, qvRtfWriter::kTopicTruncationNote), 1u);
  // The body is cut at the bound, not before it; besides it the topic
  // holds only its header and closing lines, the note, and what one item
  // was writing when the bound was reached.
  EXPECT_GT(cut.size(), bound);
  EXPECT_LT(cut.size(), bound + once.size() + perCopy);
  const std::size_t note = cut.find(qvRtfWriter::kTopicTruncationNote);
  EXPECT_EQ(cut.find("entry", note), std::string::npos);
  EXPECT_NE(cut.find("\\page", note), std::string::npos);
  ASSERT_FALSE(rig.ui.messages.empty());
  EXPECT_NE(rig.ui.messages.back().find("truncated"), std::string::npos) << rig.ui.messages.back();

  // The next topic of the run has its own bound and is whole again.
  EXPECT_EQ(rig.write(1), once);
}

TEST(TopicBound, TheBoundFollowsThePageSize) {
  BoundRig rig;
  // Many copies below the bound are all written.
  const std::size_t perCopy = rig.write(2).size() - rig.write(1).size();
  const std::size_t bound = qvRtfWriter::kTopicGrowth * rig.page.size() + qvRtfWriter::kTopicAllowance;
  const int copies = static_cast<int>(bound / perCopy * 9 / 10);
  const std::string within = rig.write(copies);
  EXPECT_EQ(within.find(qvRtfWriter::kTopicTruncationNote), std::string::npos);
  EXPECT_EQ(count(within, "in a cell"), static_cast<std::size_t>(copies));
}

}  // namespace
