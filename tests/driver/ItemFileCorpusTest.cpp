// Every page of a real HTML corpus writes the same RTF after a trip through
// its intermediate file as it does straight from the parser. The corpus is
// $CORVANE_CORPUS, else the python3.11-doc HTML tree; without either the test
// is skipped.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../html/HtmlTestSupport.h"
#include "driver/qvItemFile.h"
#include "html/qvItemWriter.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> corpusPages() {
  const char* root = std::getenv("CORVANE_CORPUS");
  const fs::path dir = root != nullptr ? root : "/usr/share/doc/python3.11/html";
  std::vector<fs::path> pages;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(dir, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".html") pages.push_back(entry.path());
  }
  return pages;
}

TEST(ItemFileCorpus, RoundTripWritesTheSameRtf) {
  const std::vector<fs::path> pages = corpusPages();
  if (pages.empty()) GTEST_SKIP() << "no corpus: install python3.11-doc or set CORVANE_CORPUS";
  HtmlFixture f;
  long mismatches = 0;
  for (const fs::path& path : pages) {
    std::ifstream in(path, std::ios::binary);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string direct = f.render(html);

    qvItemList& items = f.parse(html);
    qvStringSink file;
    qvItemWriter out(file);
    out.writeI32(static_cast<std::int32_t>(html.size()));
    out.writeBytes(html);
    ASSERT_TRUE(qvItemFile::saveItems(out, items, f.ui)) << path;
    std::unique_ptr<qvRestoredPage> page = qvItemFile::readPageData(file.text(), true, f.context, f.ui);
    ASSERT_NE(page, nullptr) << path << ": " << (f.ui.errors.empty() ? "" : f.ui.errors.back());
    const std::string restored = f.write(f.parser.bindItems(page->items.refs()));
    if (restored != direct) {
      ++mismatches;
      ADD_FAILURE() << path << ": RTF differs after the round trip";
    }
    f.pages.clear();
    f.lists.clear();
  }
  EXPECT_EQ(mismatches, 0);
  RecordProperty("pages", static_cast<int>(pages.size()));
}

}  // namespace
