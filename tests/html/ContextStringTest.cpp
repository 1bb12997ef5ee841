#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "html/qvContextString.h"

namespace {

bool portable(const std::string& s) {
  if (s.empty()) return false;
  for (const char c : s) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

TEST(ContextString, OrdinaryNamesStandAsTheyAre) {
  for (const std::string name : {"idh_Intro", "IDH_FILE_OPEN", "idh_42", "idh_"}) {
    EXPECT_EQ(qvContextString::fromName(name), name);
  }
}

TEST(ContextString, EveryOtherByteBecomesAnEscapeTheCompilerTakes) {
  EXPECT_EQ(qvContextString::fromName("idh_}"), "idh_.7D");
  EXPECT_EQ(qvContextString::fromName("idh_{a\\b c}"), "idh_.7Ba.5Cb.20c.7D");
  EXPECT_EQ(qvContextString::fromName("idh_caf\xe9"), "idh_caf.E9");
  EXPECT_EQ(qvContextString::fromName("idh_a.b#c"), "idh_a.2Eb.23c");
  std::string everyByte = "idh_";
  for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
  const std::string mapped = qvContextString::fromName(everyByte);
  EXPECT_TRUE(portable(mapped)) << mapped;
  EXPECT_LE(mapped.size(), qvContextString::kMaxLength);
}

TEST(ContextString, DifferentNamesNeverMeetEvenWithoutCase) {
  // Pairs a careless escape would merge: the escape written out by hand,
  // the escape character itself, case in escapes, bytes that are letters
  // in other code pages.
  const std::vector<std::string> names = {
      "idh_a{", "idh_a.7B", "idh_a_x7B", "idh_a.", "idh_a..", "idh_a.2E", "idh_a b",
      "idh_a.20b", "idh_a_20b", "idh_\xe9", "idh_\xc9", "idh_.E9", "idh_ab", "idh_a\x01", "idh_a\x01\x01"};
  std::set<std::string> seen;
  for (const std::string& name : names) {
    const std::string mapped = qvContextString::fromName(name);
    EXPECT_TRUE(portable(mapped)) << mapped;
    EXPECT_TRUE(seen.insert(lower(mapped)).second) << name << " -> " << mapped;
  }
}

TEST(ContextString, VeryLongNamesAreShortenedStablyAndStayApart) {
  const std::string base = "idh_" + std::string(300, 'x');
  const std::string a = qvContextString::fromName(base + "a");
  const std::string b = qvContextString::fromName(base + "b");
  EXPECT_EQ(a.size(), qvContextString::kMaxLength);
  EXPECT_NE(lower(a), lower(b));
  EXPECT_EQ(a, qvContextString::fromName(base + "a"));
  EXPECT_EQ(a.substr(0, 100), base.substr(0, 100));
  // Escapes are never cut in half, whatever the name holds where the cut falls.
  for (int pad = 0; pad < 4; ++pad) {
    const std::string braces = qvContextString::fromName("idh_" + std::string(pad, 'y') + std::string(200, '}'));
    EXPECT_TRUE(portable(braces)) << braces;
    EXPECT_LE(braces.size(), qvContextString::kMaxLength);
    const std::size_t tail = braces.rfind(".ZZ");
    ASSERT_NE(tail, std::string::npos);
    EXPECT_EQ((tail - 4 - static_cast<std::size_t>(pad)) % 3, 0u) << braces;
  }
  // A shortened name is no name's full form: a name that spells the
  // shortened form out maps to something else.
  EXPECT_NE(qvContextString::fromName(a), a);
  // Just at the limit nothing is shortened.
  const std::string fits = "idh_" + std::string(qvContextString::kMaxLength - 4, 'z');
  EXPECT_EQ(qvContextString::fromName(fits), fits);
}

}  // namespace
