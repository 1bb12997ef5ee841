#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "cache/CacheFormat.h"
#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "tests/cache/CacheTestSupport.h"
#include "tests/support/TempDirectory.h"

namespace {

void putU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

std::uint32_t getU32(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

TEST(CacheKey, FoldsSchemeAndHostAndDecodesEscapes) {
  EXPECT_EQ(cacheKey("HTTP://WWW.Example.COM:8080/Path/A%41b"), "http://www.example.com:8080/Path/AAb");
  EXPECT_EQ(cacheKey("http://host/%41"), cacheKey("http://HOST/A"));
  EXPECT_EQ(cacheKey("HTTPS://Secure.Example/Page"), "https://secure.example/Page");
  // Escapes that are not two hex digits stay as they are; a %00 is a byte.
  EXPECT_EQ(cacheKey("http://h/%4g%4"), "http://h/%4g%4");
  EXPECT_EQ(cacheKey("http://h/a%00b"), std::string("http://h/a\0b", 12));
  // Without the scheme the text up to the first slash still folds.
  EXPECT_EQ(cacheKey("Ftp.Host/X"), "ftp.host/X");
}

TEST(CacheHash, IsTheNonReflectedCrcInverted) {
  EXPECT_EQ(cacheHash("123456789"), 0x765E7680u);
  EXPECT_EQ(cacheformat::bucketOf(cacheHash("123456789")), 2848u);
  EXPECT_EQ(cacheHash(""), 0xFFFFFFFFu);
  EXPECT_NE(cacheHash(std::string("a\0b", 3)), cacheHash("a"));
}

TEST(CacheRecordFormat, ClampsLengthsThatRunPastTheRecord) {
  std::array<unsigned char, cacheformat::kRecordSize> bytes{};
  bytes[34] = 255;
  bytes[35] = 255;
  const CacheRecord record = CacheRecord::decode(bytes);
  EXPECT_TRUE(record.lengthsDamaged);
  EXPECT_EQ(record.key.size(), 255u);
  EXPECT_LE(36 + record.key.size() + record.value.size(), cacheformat::kRecordSize - 1);

  CacheRecord big;
  big.key = std::string(300, 'k');
  big.value = std::string(250, 'v');
  const CacheRecord back = CacheRecord::decode(big.encode());
  EXPECT_EQ(back.key, std::string(255, 'k'));
  EXPECT_EQ(back.value, std::string(220, 'v'));
  EXPECT_FALSE(back.lengthsDamaged);
}

// A created index with one stored entry, compared byte for byte with a file
// built here from the layout.
TEST(CacheIndexFile, GoldenBytes) {
  TempDirectory work;
  TestMutexName lockName;
  qvCacheMutex mutex(lockName.name());
  CacheTestInterface ui;
  ui.keepDays = 2;
  const std::string directory = work / "Cache";
  const std::int64_t bias = -3600;
  const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr) + bias);
  {
    CacheIndex index(ui, mutex, directory, CacheClock(bias));
    ASSERT_TRUE(index.openOrCreate());
    ASSERT_TRUE(index.store(cacheKey("http://H/x"), "text/html", 1234, false, true).has_value());
    ASSERT_TRUE(index.store(cacheKey("http://h/y"), "http://h/x", 0, true).has_value());
  }
  const std::uint32_t after = static_cast<std::uint32_t>(std::time(nullptr) + bias);
  const std::string actual = readWholeFile(directory + "/cache.idx");
  ASSERT_EQ(actual.size(), 1048576u);

  const std::uint32_t created = getU32(actual, 16);
  const std::uint32_t stored = getU32(actual, 131072 + 12);
  ASSERT_GE(created, before);
  ASSERT_LE(stored, after);
  const std::uint32_t number = getU32(actual, 131072 + 24);
  ASSERT_NE(number, 0u);

  std::string expected(1048576, '\0');
  putU32(expected, 0, 272);
  putU32(expected, 4, 2);
  putU32(expected, 8, 1048576);
  putU32(expected, 12, 131072 + 2 * 512);
  putU32(expected, 16, created);
  putU32(expected, 20, 1234);
  putU32(expected, 24, 131072);
  putU32(expected, 28, 0);
  putU32(expected, 32, 1);
  putU32(expected, 72, 32749);
  for (std::uint32_t bucket = 0; bucket < 32749; ++bucket) putU32(expected, 76 + 4 * bucket, 0xFFFFFFFF);
  const std::string keys[] = {"http://h/x", "http://h/y"};
  const std::string values[] = {"text/html", "http://h/x"};
  for (int i = 0; i < 2; ++i) {
    const std::size_t at = 131072 + 512 * i;
    const std::uint32_t hash = cacheHash(keys[i]);
    putU32(expected, 76 + 4 * (hash % 32749), static_cast<std::uint32_t>(at));
    putU32(expected, at + 0, 0xFFFFFFFF);
    putU32(expected, at + 4, 0xFFFFFFFF);
    putU32(expected, at + 8, hash);
    const std::uint32_t time = getU32(actual, at + 12);
    EXPECT_TRUE(time >= before && time <= after);
    putU32(expected, at + 12, time);
    putU32(expected, at + 16, time + 2 * 86400);
    putU32(expected, at + 20, i == 0 ? 1234 : 0);
    putU32(expected, at + 24, i == 0 ? number : 0);
    expected[at + 28] = 1;
    expected[at + 32] = i == 0 ? 2 : 1;
    expected[at + 34] = static_cast<char>(keys[i].size());
    expected[at + 35] = static_cast<char>(values[i].size());
    expected.replace(at + 36, keys[i].size() + values[i].size(), keys[i] + values[i]);
  }
  ASSERT_NE(cacheHash(keys[0]) % 32749, cacheHash(keys[1]) % 32749);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      ADD_FAILURE() << "first difference at byte " << i;
      break;
    }
  }
}

}  // namespace
