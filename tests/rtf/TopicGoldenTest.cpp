// Whole topics written from small pages, compared byte for byte with RTF
// worked out by hand, and read back by a real RTF reader.
#include <gtest/gtest.h>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

#include "RtfCheck.h"
#include "base/qvDriverSettings.h"
#include "driver/qvHtmlConverter.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvHtmlTag.h"
#include "html/qvItemList.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvByteSink.h"
#include "ui/qvUserInterface.h"

#include "../support/TempDirectory.h"

namespace {

const std::filesystem::path kData = std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "data" / "rtf";

class QuietUi : public qvUserInterface {
 public:
  void statusMessage(const std::string& text, bool) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// One page converted the way the final pass does it.
class TopicRun {
 public:
  TopicRun(const std::string& name, const std::string& url, bool pageColours = false) {
    settings.autoColour = pageColours;
    page = rtfcheck::slurp(kData / (name + ".html"));
    qvURLStatus* status = context.urlTable().addURL(url, 0, 0);
    if (url.rfind("http:", 0) == 0) context.urlTable().makeURL(*status);
    context.urlTable().setCurrentPage(status);
    context.beginPage();
    parser.parsePage(page, items);
    qvHtmlConverter converter(context, parser);
    const qvItemRefs bound = converter.postProcess(items);
    converter.writeHtmlTopic(topic, popups, *status, bound, page.size());
  }

  std::set<std::string> tagClasses() const {
    std::set<std::string> names;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (qvHtmlTag* tag = items[i].asTag()) names.insert(tag->className());
    }
    return names;
  }

  QuietUi ui;
  qvDriverSettings settings;
  qvHtmlContext context{ui, settings};
  qvPrototypeList prototypes{context};
  qvHtmlParser parser{context, prototypes};
  std::string page;
  qvItemList items;
  qvStringSink topic;
  qvStringSink popups;
};

// The expected files are kept with plain line ends; topics end every line
// with CR LF.
std::string expected(const std::string& name) {
  std::string text;
  for (const char c : rtfcheck::slurp(kData / (name + ".rtf"))) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

// Writes `rtf` to a scratch file and reads it with unrtf.
rtfcheck::ReaderResult readBack(const std::string& name, const std::string& rtf) {
  const TempDirectory dir;
  return rtfcheck::readWithUnrtf(dir.write(name + ".rtf", rtf));
}

void expectReadable(const std::string& name, const std::string& rtf, rtfcheck::ReaderResult* read = nullptr) {
  EXPECT_EQ(rtfcheck::problems(rtf), std::vector<std::string>{}) << name;
  ASSERT_TRUE(rtfcheck::haveReader()) << "unrtf is not installed (Debian package unrtf)";
  const rtfcheck::ReaderResult result = readBack(name, rtf);
  EXPECT_EQ(result.status, 0) << name;
  EXPECT_EQ(result.errors, "") << name;
  // No control word leaked into what the reader shows (braces may be page
  // text, written as \'7b and \'7d).
  EXPECT_EQ(result.text.find('\\'), std::string::npos) << name << ":\n" << result.text;
  if (read != nullptr) *read = result;
}

struct Golden {
  const char* name;
  const char* url;
  bool pageColours;
};

class TopicGolden : public ::testing::TestWithParam<Golden> {};

TEST_P(TopicGolden, MatchesTheHandWrittenTopicAndReadsBack) {
  const Golden golden = GetParam();
  TopicRun run(golden.name, golden.url, golden.pageColours);
  EXPECT_EQ(run.topic.text(), expected(golden.name));
  expectReadable(golden.name, run.topic.text());
  // The popup file gets a document of its own for every page.
  expectReadable(std::string(golden.name) + "-popups", run.popups.text());
}

INSTANTIATE_TEST_SUITE_P(Pages, TopicGolden,
                         ::testing::Values(Golden{"formatting", "http://example.com/formatting.html", false},
                                           Golden{"lists", "http://example.com/lists.html", false},
                                           Golden{"table", "http://example.com/table.html", false},
                                           Golden{"local", "file:///golden/local.html", true}),
                         [](const auto& info) { return std::string(info.param.name); });

bool hasLine(const std::string& text, const std::string& line) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string current = text.substr(start, end - start);
    while (!current.empty() && (current.back() == ' ' || current.back() == '\r')) current.pop_back();
    // unrtf starts the line after a table with a tab.
    while (!current.empty() && (current.front() == ' ' || current.front() == '\t')) current.erase(0, 1);
    if (current == line) return true;
    start = end + 1;
  }
  return false;
}

TEST(TopicOfEveryTag, ReadsAsThePageDoes) {
  TopicRun run("everything", "http://example.com/everything.html");
  EXPECT_EQ(run.tagClasses(),
            (std::set<std::string>{"TagFormatting", "TagAnchor", "TagImg", "TagP", "TagBR", "TagHR", "TagFont",
                                   "TagDiv", "TagDL", "TagUL", "TagPre", "TagTitle", "TagTable", "TagCaption",
                                   "TagChunks", "TagDiscardable", "TagForm", "TagBase", "TagBaseFont",
                                   "TagPlaintext", "GenericTag"}));
  rtfcheck::ReaderResult read;
  expectReadable("everything", run.topic.text(), &read);
  expectReadable("everything-popups", run.popups.text());
  const std::string& text = read.text;
  // Headings, blocks and list entries stand on lines of their own.
  for (const char* line : {"Main heading", "Right division", "Centred line", "Quoted text", "Lists", "1. first",
                           "2. second", "Term", "Definition", "Table", "Fruit prices", "Code", "int main() {",
                           "return 0;", "}", "<not a tag>", "A form was here in the original HTML file"}) {
    EXPECT_TRUE(hasLine(text, line)) << "no line \"" << line << "\" in:\n" << text;
  }
  for (const char* part : {"Some bold, italic, underlined, fixed, em, strong, big and small text.",
                           "A larger word and a link", "apple", "pear", "Fruit", "Price", "Apple", "1.20",
                           "Search", "[Image error]", "generic"}) {
    EXPECT_NE(text.find(part), std::string::npos) << "no \"" << part << "\" in:\n" << text;
  }
  // Style sheets, scripts and comments are not page text.
  for (const char* part : {"color: red", "hidden", "a comment"}) {
    EXPECT_EQ(text.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(run.context.urlTable().currentPage()->title, "Every tag");
  EXPECT_EQ(run.topic.text().find("Warning : the HTML"), std::string::npos);
}

}  // namespace
