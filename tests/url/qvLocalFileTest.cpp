#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"
#include "url/qvFileURL.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLTable.h"

#include "../support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

class qvLocalFileTest : public ::testing::Test {
 protected:

  std::string make(const std::string& relative) {
    const fs::path path = root / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "<html></html>";
    return path.string();
  }
  std::string dir(const std::string& relative) {
    fs::create_directories(root / relative);
    return (root / relative).string();
  }

  TempDirectory temp;
  fs::path root = temp.path();
  qvDriverSettings settings;
  qvURLTable table{settings};
};

TEST_F(qvLocalFileTest, FileURLsAreTheAbsolutePath) {
  EXPECT_EQ(qvFileURL::urlForFile("/home/a/x.htm"), "file:///home/a/x.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:///home/a/x.htm"), "/home/a/x.htm");
  EXPECT_EQ(qvFileURL::fileForURL("FILE://home/a/x.htm"), "/home/a/x.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:////home//a/x.htm"), "/home//a/x.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:///c|/docs/a.htm"), "/docs/a.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:///C%7C/docs/a.htm"), "/docs/a.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:///home/a%20b/%7e.htm"), "/home/a b/~.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:///it's.htm"), "/it's.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file://localhost/etc/x.htm"), "/etc/x.htm");
}

TEST_F(qvLocalFileTest, RelativePathsAreTakenFromTheCurrentDirectory) {
  const std::string cwd = fs::current_path().string();
  EXPECT_EQ(qvFileURL::urlForFile("x.htm"), qvURLCanonicaliser::canonicalURL("file://" + cwd + "/x.htm"));
  EXPECT_EQ(qvFileURL::fileForURL("file:x.htm"), cwd + "/x.htm");
  EXPECT_EQ(qvFileURL::fileForURL("file:c|/docs/x.htm"), "/docs/x.htm");
}

TEST_F(qvLocalFileTest, OddFileNamesSurviveTheRoundTrip) {
  for (const std::string& name : std::vector<std::string>{"a#b.htm", "what?.htm", "100%.htm", "%41.htm", "quote'd \"x\".htm",
                                 "line\nbreak.htm", "back`tick.htm"}) {
    const std::string file = make(name);
    const std::string url = qvURLCanonicaliser::canonicalURL(qvFileURL::urlForFile(file));
    EXPECT_EQ(qvFileURL::fileForURL(url), file) << name;
  }
}

TEST_F(qvLocalFileTest, HostileFileURLsGiveAPathAndNeverThrow) {
  for (const std::string& text : std::vector<std::string>{"file:", "file:%", "file:///%zz", "file:///a%00b", "file://" + std::string(10000, 'x'),
                                 "file:///" + std::string(100 * 1024, 'y')}) {
    std::string path;
    EXPECT_NO_THROW(path = qvFileURL::fileForURL(text));
    EXPECT_TRUE(path.starts_with("/")) << path.substr(0, 40);
  }
  EXPECT_EQ(qvFileURL::fileForURL("file:///%zz"), "/%zz");
  EXPECT_EQ(qvFileURL::fileForURL("file:///a%00b"), "/a%00b");
}

TEST_F(qvLocalFileTest, ADirectoryNamesItsIndexHtmlElseIndexHtm) {
  const std::string withHtml = dir("one");
  make("one/index.html");
  make("one/index.htm");
  const std::string withHtm = dir("two");
  const std::string drive = "file:///c|" + withHtml + "/";
  EXPECT_EQ(qvFileURL::fileForURL(drive), withHtml + "/index.html");
  EXPECT_EQ(qvFileURL::fileForURL("file://" + withHtml), withHtml + "/index.html");
  EXPECT_EQ(qvFileURL::fileForURL("file://" + withHtm + "/"), withHtm + "/index.htm");
}

TEST_F(qvLocalFileTest, FileURLsAndFilesShareStatuses) {
  const std::string file = make("site/page.htm");
  qvURLStatus* byFile = table.addFile(file, 0, 0);
  ASSERT_NE(byFile, nullptr);
  EXPECT_EQ(byFile->url, "file://" + file);
  EXPECT_EQ(byFile->localFile, file);
  EXPECT_EQ(table.addURL("FILE://" + file, qvURLStatus::kLinkSeed, 1), byFile);
  EXPECT_EQ(table.addURL("file://" + root.string() + "/site/./x/../page.htm", 0, 0), byFile);
  EXPECT_EQ(table.find("file://" + file), byFile);
  EXPECT_EQ(table.size(), 1U);
  EXPECT_EQ(table.addFile("", 0, 0), nullptr);
}

TEST_F(qvLocalFileTest, MakeURLOfALocalPage) {
  const std::string file = make("site/page.htm");
  qvURLStatus* status = table.addURL("file://" + file, 0, 0);
  const auto url = table.makeURL(*status);
  ASSERT_TRUE(url);
  EXPECT_EQ(url->protocol(), "file");
  EXPECT_EQ(status->url, "file://" + file);
  EXPECT_EQ(status->baseURL, "file://" + root.string() + "/site/");
  EXPECT_EQ(status->host, "");
  EXPECT_EQ(status->localFile, file);

  const std::string site = root.string() + "/site";
  make("site/index.html");
  qvURLStatus* directory = table.addURL("file://" + site, 0, 0);
  ASSERT_TRUE(table.makeURL(*directory));
  EXPECT_EQ(directory->localFile, site + "/index.html");
  EXPECT_EQ(directory->baseURL, "file://" + site + "/");
}

TEST_F(qvLocalFileTest, BaseTagOfALocalPageNamesADirectory) {
  const std::string file = make("site/page.htm");
  dir("site/sub");
  qvURLStatus* page = table.addFile(file, 0, 0);
  ASSERT_TRUE(table.makeURL(*page));
  EXPECT_TRUE(table.setBase(*page, "sub"));
  EXPECT_EQ(page->baseURL, "file://" + root.string() + "/site/sub/");
  EXPECT_TRUE(table.setBase(*page, "sub/other.htm"));
  EXPECT_EQ(page->baseURL, "file://" + root.string() + "/site/sub/");
  EXPECT_TRUE(table.setBase(*page, "HTTP://Web.Example/a/b.html"));
  EXPECT_EQ(page->baseURL, "http://web.example/a/b.html");
  EXPECT_FALSE(table.setBase(*page, "http://"));
  EXPECT_EQ(page->baseURL, "http://web.example/a/b.html");
}

}  // namespace
