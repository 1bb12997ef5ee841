#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../html/HtmlTestSupport.h"
#include "../support/TempDirectory.h"
#include "driver/qvItemFile.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string bigEndian(std::int32_t n) {
  const auto v = static_cast<std::uint32_t>(n);
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

class ItemFile : public ::testing::Test {
 protected:
  // The file of `html` as the crawl writes it.
  std::string saved(const std::string& html) {
    qvItemList& items = f.parse(html);
    const std::string path = (dir / "documentID1.tmp");
    EXPECT_TRUE(qvItemFile::writePage(path, html, &items, f.ui).ok());
    return readFile(path);
  }
  std::unique_ptr<qvRestoredPage> restore(const std::string& data) {
    return qvItemFile::readPageData(data, true, f.context, f.ui);
  }
  std::string lastError() const { return f.ui.errors.empty() ? "" : f.ui.errors.back(); }

  HtmlFixture f;
  TempDirectory dir;
};

TEST_F(ItemFile, RestoredPageWritesTheSameRtf) {
  const std::string html =
      "<html><body><h2 align=center>T&amp;C</h2>\n<p>a   b <b>bold <i>both</i></b> &copy; &#169;"
      "<pre>\nx\n  y\n</pre><script>z</script><ul><li>one<li>two</ul><!-- c --><a href=x.html>go</a></body>";
  const std::string direct = f.render(html);
  const std::string data = saved(html);
  std::unique_ptr<qvRestoredPage> page = restore(data);
  ASSERT_NE(page, nullptr) << lastError();
  EXPECT_EQ(page->text, html);
  EXPECT_EQ(page->items.size(), f.lists.back()->size());
  EXPECT_EQ(f.write(f.parser.bindItems(page->items.refs())), direct);
  EXPECT_NE(direct.find("T&C"), std::string::npos);
}

TEST_F(ItemFile, LayoutOfTextOnlyPages) {
  EXPECT_EQ(saved(""), bigEndian(0));
  const std::string data = saved("ab&lt;");
  EXPECT_EQ(data.substr(0, 10), bigEndian(6) + "ab&lt;");
  EXPECT_EQ(data[10], '\x7f');
  EXPECT_EQ(data[11], 'a');
  std::unique_ptr<qvRestoredPage> empty = restore(bigEndian(0));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->items.empty());
  // Plain-text pages ignore whatever follows the text.
  std::unique_ptr<qvRestoredPage> plain = qvItemFile::readPageData(bigEndian(2) + "hi\x01junk", false, f.context, f.ui);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->text, "hi");
}

TEST_F(ItemFile, ConsumedItemsAreNotSaved) {
  qvItemList& items = f.parse("a<b>c");
  items[1].markConsumed();
  qvStringSink sink;
  qvItemWriter out(sink);
  ASSERT_TRUE(qvItemFile::saveItems(out, items, f.ui));
  qvItemReader in(sink.text());
  std::optional<qvItemList> restored = qvItemFile::restoreItems(in, *f.pages.back(), f.context, f.ui);
  ASSERT_TRUE(restored.has_value());
  ASSERT_EQ(restored->size(), 2u);
  EXPECT_EQ(restored->refs()[1]->asText()->chars(), "c");
  EXPECT_EQ(f.ui.progress, (std::vector<int>{0, 33, 66}));
}

TEST_F(ItemFile, ItemOfUnknownKindFailsTheSave) {
  class Stranger : public qvHtmlInterface {
   public:
    bool isConsumed() const override { return false; }
    void markConsumed() override {}
    std::size_t match(const qvHtmlInterface*, std::string_view, std::size_t) override { return 0; }
    std::unique_ptr<qvHtmlInterface> create(const qvHtmlInterface*, std::string_view, std::size_t,
                                            qvItemArena&) override {
      return nullptr;
    }
    std::size_t length() const override { return 1; }
    std::uint8_t recordCode() const override { return 0; }
    std::string describe() const override { return "stranger"; }
  };
  qvItemList items;
  items.append(std::make_unique<Stranger>());
  EXPECT_FALSE(qvItemFile::writePage((dir / "documentID2.tmp"), "x", &items, f.ui).ok());
  EXPECT_EQ(lastError(), "Internal error (html.write ())");
  EXPECT_FALSE(fs::exists((dir / "documentID2.tmp")));
}

TEST_F(ItemFile, EndOfListAndTruncation) {
  const std::string data = saved("a<b>c");
  std::unique_ptr<qvRestoredPage> page = restore(data + "\xff garbage");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->items.size(), 3u);
  // Cut exactly after the second record: the first two come back.
  const std::size_t third = data.rfind("\x7f" "a");
  page = restore(data.substr(0, third));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->items.size(), 2u);
  // Cut inside the last record's data.
  EXPECT_EQ(restore(data.substr(0, data.size() - 3)), nullptr);
  EXPECT_EQ(lastError().rfind("Exception during object restore : ", 0), 0u);
  // Cut right after a marker.
  EXPECT_EQ(restore(data.substr(0, third + 1)), nullptr);
  EXPECT_EQ(lastError().rfind("Exception during object restore : ", 0), 0u);
}

TEST_F(ItemFile, HostileFilesAreRefusedWithTheirMessage) {
  const std::string data = saved("a<b>c");
  const std::size_t records = 4 + 5;
  std::string bad = data;
  bad[records] = '\x80';
  EXPECT_EQ(restore(bad), nullptr);
  EXPECT_EQ(lastError(), "Object restore failed sanity check! (count was 0, b is -128)");
  bad = data;
  bad[records + 1] = '\x63';
  EXPECT_EQ(restore(bad), nullptr);
  EXPECT_EQ(lastError(), "Unknown object ID (99) in restore stream");
  EXPECT_EQ(restore(bigEndian(-5) + "abc"), nullptr);
  EXPECT_EQ(lastError().rfind("Exception during object restore : ", 0), 0u);
  EXPECT_EQ(restore(bigEndian(0x7fffffff) + "abc"), nullptr);
  EXPECT_EQ(lastError().rfind("Exception during object restore : ", 0), 0u);
  // A tag record whose text claims two gigabytes, and a text run outside
  // the page.
  const std::string attributes("\0\1\0\3\0\0", 6);
  EXPECT_EQ(restore(bigEndian(1) + "x" + "\x7f\x05" + attributes + bigEndian(0x7ffffff0) + "<br>"), nullptr);
  EXPECT_EQ(lastError().rfind("Exception during object restore : ", 0), 0u);
  EXPECT_EQ(restore(bigEndian(1) + "x" + "\x7f\x61" + attributes + std::string("\0\0", 2) + bigEndian(0) +
                    bigEndian(2)),
            nullptr);
  EXPECT_NE(lastError().find("outside the page"), std::string::npos);
}

TEST_F(ItemFile, FlippedBytesNeverCrash) {
  const std::string data = saved("<p align=right>a &amp; <b>b</b>\n<pre>c</pre><img src=x.gif>");
  long failures = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    for (const unsigned char flip : {0x01, 0x80, 0xff}) {
      std::string bad = data;
      bad[i] = static_cast<char>(static_cast<unsigned char>(bad[i]) ^ flip);
      std::unique_ptr<qvRestoredPage> page = restore(bad);
      if (page == nullptr) {
        ++failures;
        continue;
      }
      // Whatever came back can be bound and written.
      f.write(f.parser.bindItems(page->items.refs()));
    }
  }
  EXPECT_GT(failures, 0);
}

TEST_F(ItemFile, UnreadableFileIsReported) {
  EXPECT_EQ(qvItemFile::readPage((dir / "missing.tmp"), true, f.context, f.ui), nullptr);
  EXPECT_NE(lastError().find("missing.tmp"), std::string::npos);
}

TEST_F(ItemFile, CancelDuringSaveAndRestore) {
  const std::string data = saved("a<b>c<i>d");
  f.ui.cancelChecks = 0;
  f.ui.cancelAfter = 1;
  EXPECT_THROW(restore(data), qvCancelException);
}

}  // namespace
