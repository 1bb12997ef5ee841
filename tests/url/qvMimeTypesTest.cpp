#include "url/qvMimeTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(qvMimeTypes, HoldsTheWholeTable) {
  const qvMimeTypes types;
  EXPECT_EQ(qvMimeTypes::entryCount(), 148U);
  EXPECT_EQ(types.size(), 147U);
  EXPECT_EQ(types.typeOf("x.rme"), "text/plain");
  EXPECT_EQ(types.typeOf("a.doc"), "text/plain");
  EXPECT_EQ(types.typeOf("a.ps"), "text/plain");
  EXPECT_EQ(types.typeOf("a.xls"), "application/octet-stream");
  EXPECT_EQ(types.typeOf("a.bmp"), "image/x-bmp");
  EXPECT_EQ(types.typeOf("a.phe"), "image/octet-stream");
  EXPECT_EQ(types.typeOf("a.jpe"), "image/jpeg");
  EXPECT_EQ(types.typeOf("a.gif"), "image/gif");
  EXPECT_EQ(types.typeOf("a.shtml"), "text/html");
  EXPECT_EQ(types.typeOf("a.zoo"), "application/x-zoo");
  EXPECT_EQ(types.typeOf("a.386"), "application/octet-stream");
}

TEST(qvMimeTypes, ExtensionOfTheLastSegmentInItsOwnCase) {
  const qvMimeTypes types;
  EXPECT_EQ(types.typeOf("http://h/dir/index.html"), "text/html");
  EXPECT_EQ(types.typeOf("file:///web/INDEX.HTML"), std::nullopt);
  EXPECT_EQ(types.typeOf("http://h/picture.png"), "image/x-png");
  EXPECT_EQ(types.typeOf("http://h/a.tar.gz"), "application/x-gtar");
  EXPECT_EQ(types.typeOf("http://h/page.html#frag.gif"), "text/html");
  EXPECT_EQ(types.typeOf("/local/dir.x/page.htm"), "text/html");
}

TEST(qvMimeTypes, NamesWithoutAnExtensionArePlainText) {
  const qvMimeTypes types;
  EXPECT_EQ(types.typeOf("http://h/README"), "text/plain");
  EXPECT_EQ(types.typeOf("http://h/notes."), "text/plain");
  EXPECT_EQ(types.typeOf("http://h/dir/"), "text/plain");
  EXPECT_EQ(types.typeOf("http://h/dir.x/"), std::nullopt);
  EXPECT_EQ(types.typeOf("http://h/cgi?id=1.5"), std::nullopt);
  EXPECT_EQ(types.typeOf("http://h/file.readme2"), "text/plain");
  EXPECT_EQ(types.typeOf("http://h/x.read_me"), "text/plain");
  EXPECT_EQ(types.typeOf("http://h/x.READ-ME"), std::nullopt);
  EXPECT_EQ(types.typeOf("http://h/x.unknown"), std::nullopt);
  EXPECT_EQ(types.typeOf(""), "text/plain");
  EXPECT_EQ(types.typeOf("%zz"), "text/plain");
}

}  // namespace
