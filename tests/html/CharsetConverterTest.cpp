// Recognising UTF-8 pages and turning them into Windows-1252.
#include <gtest/gtest.h>

#include "html/qvCharsetConverter.h"

using D = qvCharsetConverter::Declared;

TEST(CharsetConverterTest, DeclarationsInMetaTags) {
  EXPECT_EQ(qvCharsetConverter::declaredCharset("<head><META CHARSET=\"UTF-8\"></head>"), D::Utf8);
  EXPECT_EQ(qvCharsetConverter::declaredCharset(
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"),
            D::Utf8);
  EXPECT_EQ(qvCharsetConverter::declaredCharset("<meta charset='windows-1252'>"), D::Other);
  EXPECT_EQ(qvCharsetConverter::declaredCharset("<meta name=\"x\" content=\"y\"><p>charset=utf-8"), D::None);
  EXPECT_EQ(qvCharsetConverter::declaredCharset("\xEF\xBB\xBF<p>x"), D::Utf8);
  EXPECT_EQ(qvCharsetConverter::declaredCharset("<meta charset=\"utf-8\""), D::None);  // never closed
}

TEST(CharsetConverterTest, DetectionNeedsWellFormedMultiByteText) {
  EXPECT_TRUE(qvCharsetConverter::looksLikeUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(qvCharsetConverter::looksLikeUtf8("plain ascii"));
  EXPECT_FALSE(qvCharsetConverter::looksLikeUtf8("caf\xE9"));            // Windows-1252 e-acute
  EXPECT_FALSE(qvCharsetConverter::looksLikeUtf8("\xC0\xAF"));           // overlong '/'
  EXPECT_FALSE(qvCharsetConverter::looksLikeUtf8("\xED\xA0\x80"));       // surrogate
  EXPECT_FALSE(qvCharsetConverter::looksLikeUtf8("ends in \xE2\x82"));   // cut sequence
  EXPECT_TRUE(qvCharsetConverter::htmlNeedsTranscoding("<meta charset=utf-8><p>ascii only"));
  EXPECT_FALSE(qvCharsetConverter::htmlNeedsTranscoding("<meta charset=iso-8859-1><p>caf\xC3\xA9"));
  EXPECT_TRUE(qvCharsetConverter::htmlNeedsTranscoding("<p>caf\xC3\xA9"));
  EXPECT_FALSE(qvCharsetConverter::htmlNeedsTranscoding("<p>caf\xE9"));
}

TEST(CharsetConverterTest, TranscodesToWindows1252) {
  EXPECT_EQ(qvCharsetConverter::utf8ToWindows1252("\xEF\xBB\xBF" "caf\xC3\xA9 na\xC3\xAFve"), "caf\xE9 na\xEFve");
  // Euro sign, curly quotes, dashes and the trade mark live in 0x80..0x9F.
  EXPECT_EQ(qvCharsetConverter::utf8ToWindows1252("\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x94 \xE2\x84\xA2"),
            "\x80 \x93q\x94 \x97 \x99");
  // Greek, CJK and an emoji have no Windows-1252 byte.
  EXPECT_EQ(qvCharsetConverter::utf8ToWindows1252("\xCE\xB1\xE4\xB8\xAD\xF0\x9F\x98\x80!"), "?" "?" "?!");
  // Bytes that start no sequence are kept: nothing of a mislabelled page is lost.
  EXPECT_EQ(qvCharsetConverter::utf8ToWindows1252("x\xE9y\xC3"), "x\xE9y\xC3");
  EXPECT_EQ(qvCharsetConverter::windows1252For(0x81), '?');  // a C1 control, not a 1252 character
  EXPECT_EQ(qvCharsetConverter::windows1252For(0xFF), '\xFF');
}
