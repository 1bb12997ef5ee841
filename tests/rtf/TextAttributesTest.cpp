#include <gtest/gtest.h>

#include "rtf/qvRtfWriter.h"
#include "rtf/qvTextAttributes.h"

namespace {

TEST(TextAttributes, ChangesListOnlyWhatDiffersInOrder) {
  qvTextAttributes plain;
  qvTextAttributes a;
  EXPECT_EQ(a.attributeChanges(plain), "");
  a.setBold();
  a.setItalic();
  a.setUnderline();
  a.setPreformatted();
  a.setIndent(2);
  a.setAlignment(3);
  a.setHeading(1);
  EXPECT_EQ(a.attributeChanges(plain), "\\ul\\keep\\f2\\li720\\qr\\fs34\\i\\b");
  EXPECT_EQ(plain.attributeChanges(a), "\\ul0\\f0\\li0\\ql\\fs18\\i0\\b0");
  qvTextAttributes fixed;
  fixed.setFixedPitch();
  EXPECT_EQ(fixed.attributeChanges(plain), "\\f2");
  qvTextAttributes centred;
  centred.setAlignment(2);
  EXPECT_EQ(centred.attributeChanges(plain), "\\qc");
  // Recorded but invisible in a help file.
  qvTextAttributes sup;
  sup.setSuperscript();
  sup.setStrikeout();
  sup.setSubscript();
  EXPECT_EQ(sup.attributeChanges(plain), "");
}

TEST(TextAttributes, TwoFontSizeFormulas) {
  qvTextAttributes plain;
  qvTextAttributes big;
  big.setFontSize(7);
  EXPECT_EQ(big.attributeChanges(plain), "\\fs32");
  EXPECT_NE(big.fullAttributes().find("\\fs25"), std::string::npos);
  qvTextAttributes small;
  small.setFontSize(1);
  EXPECT_EQ(small.attributeChanges(plain), "\\fs11");
  EXPECT_NE(small.fullAttributes().find("\\fs15"), std::string::npos);
  qvTextAttributes h6;
  h6.setHeading(6);
  h6.setFontSize(7);
  EXPECT_EQ(h6.attributeChanges(plain), "\\fs21");
  big.setFontSize(12);
  EXPECT_EQ(big.fontSize(), 7);
  big.setFontSize(-3);
  EXPECT_EQ(big.fontSize(), 1);
  EXPECT_EQ(plain.fullAttributes(), "\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0");
}

TEST(TextAttributes, IndentStaysWithinItsByte) {
  qvTextAttributes a;
  for (int i = 0; i < 300; ++i) a.setIndent(a.indent() + 1);
  EXPECT_EQ(a.indent(), 127);
  EXPECT_EQ(a.attributeChanges(qvTextAttributes()), "\\li45720");
}

TEST(TextAttributes, CopyResetAndDescription) {
  qvTextAttributes a;
  EXPECT_EQ(a.describeAttributes(), "Plain");
  a.setAlignment(3);
  a.setIndent(2);
  a.setItalic();
  a.setBold();
  a.setUnderline();
  a.setStrikeout();
  a.setSuperscript();
  a.setSubscript();
  a.setPreformatted();
  a.setHeading(2);
  EXPECT_EQ(a.describeAttributes(),
            "Right-Aligned, Indent 2, Italic, Bold, Underline, Strikeout, Superscript, Subscript, Preformatted, "
            "Header2");
  qvTextAttributes b;
  b.copyFrom(a);
  EXPECT_TRUE(b.sameAttributes(a));
  b.clearBold();
  EXPECT_FALSE(b.isBold());
  EXPECT_TRUE(b.testStyle(qvTextAttributes::kItalic | qvTextAttributes::kBold));
  b.resetAttributes();
  EXPECT_TRUE(b.sameAttributes(qvTextAttributes()));
  qvTextAttributes c;
  c.setAlignment(2);
  EXPECT_EQ(c.describeAttributes(), "Centered");
}

TEST(TextAttributes, WritingOwesBlanksAndUpdatesTheCurrentState) {
  qvRtfWriter out;
  out.resetForTopic();
  qvTextAttributes bold;
  bold.setBold();
  out.textWritten();
  out.requestSpace();
  bold.writeAttributeChanges(out);
  EXPECT_EQ(out.output(), " \\b");
  EXPECT_TRUE(out.delimiterOwed());
  EXPECT_FALSE(out.spacePending());
  EXPECT_TRUE(out.current().isBold());
  // Nothing differs now: nothing is written.
  bold.writeAttributeChanges(out);
  EXPECT_EQ(out.output(), " \\b");
  qvTextAttributes plain;
  out.textWritten();
  out.requestSpace();
  plain.writeAttributeChanges(out);
  EXPECT_EQ(out.output(), " \\b  \\b0");
  plain.writeFullAttributes(out);
  EXPECT_EQ(out.takeOutput(), " \\b  \\b0\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0");
}

}  // namespace
