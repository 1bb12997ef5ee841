#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <random>

#include "CacheIndexFiles.h"
#include "cache/CacheMaintenanceThread.h"

namespace fs = std::filesystem;
using namespace cacheformat;

namespace {

std::uint32_t now() { return static_cast<std::uint32_t>(std::time(nullptr)); }

// `count` entries stored a second apart, the last newest, with data numbers 1..count.
std::vector<TestEntry> entries(int count, std::size_t bodySize = 10) {
  std::vector<TestEntry> out;
  for (int i = 0; i < count; ++i) {
    out.push_back({"http://example.org/page" + std::to_string(i), std::string(bodySize, static_cast<char>('a' + i % 26)),
                   now() - 1000 + static_cast<std::uint32_t>(i), now() + 86400, static_cast<std::uint32_t>(i + 1), 0});
  }
  return out;
}

// Two URLs whose keys fall into one bucket.
std::pair<std::string, std::string> sameBucket() {
  std::map<std::uint32_t, std::string> seen;
  for (int i = 0;; ++i) {
    const std::string url = "http://collide.example/" + std::to_string(i);
    const auto [it, fresh] = seen.emplace(bucketOf(cacheHash(cacheKey(url))), url);
    if (!fresh) return {it->second, url};
  }
}

int countDataFiles(const fs::path& dir) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir)) count += entry.path().extension() == ".cvc";
  return count;
}

void expectAllFound(CacheFiles& files, const std::vector<TestEntry>& stored) {
  for (const TestEntry& entry : stored) {
    const auto body = files.body(entry.url);
    ASSERT_TRUE(body.has_value()) << entry.url;
    EXPECT_EQ(*body, entry.body) << entry.url;
  }
}

}  // namespace

TEST(CacheValidation, SoundIndexHasNoErrorsAndEachDamageIsCounted) {
  const auto [first, second] = sameBucket();
  std::vector<TestEntry> stored = entries(5);
  stored.push_back({first, "one", now() - 10, now() + 86400, 100, 0});
  stored.push_back({second, "two", now() - 9, now() + 86400, 101, 0});
  struct Damage {
    const char* what;
    std::function<void(CacheFiles&, const std::vector<std::uint32_t>&)> apply;
    int errors;  // -1: at least one
  };
  const std::vector<Damage> damages = {
      {"none", [](CacheFiles&, const auto&) {}, 0},
      {"last record links to itself", [](CacheFiles& f, const auto& at) { f.patchU32(at[6] + 4, at[6]); }, 1},
      {"two records loop",
       [](CacheFiles& f, const auto& at) {
         f.patchU32(at[6] + 4, at[5]);
       },
       -1},
      {"link off the grid", [](CacheFiles& f, const auto& at) { f.patchU32(at[5] + 4, at[5] + 7); }, -1},
      {"previous field wrong", [](CacheFiles& f, const auto& at) { f.patchU32(at[6], 0x12345); }, 1},
      {"entry count wrong", [](CacheFiles& f, const auto&) { f.patchU32(32, 99); }, 1},
      {"hash not the key's", [](CacheFiles& f, const auto& at) { f.patchU32(at[2] + 8, 77); }, -1},
      {"value length past the record", [](CacheFiles& f, const auto& at) { f.patch(at[3] + 35, "\xff"); }, -1},
      {"in-use flag cleared in a chain", [](CacheFiles& f, const auto& at) { f.patch(at[1] + 28, std::string(1, '\0')); }, -1},
      {"record reached by no chain",
       [](CacheFiles& f, const auto& at) {
         const std::string key = cacheKey("http://example.org/page0");
         f.patchU32(CacheHeader::headOffset(bucketOf(cacheHash(key))), kNoRecord);
         (void)at;
       },
       -1},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    CacheFiles files;
    const auto offsets = files.write(stored, now());
    damage.apply(files, offsets);
    ASSERT_TRUE(files.open());
    const int errors = files.maintenance().validate();
    if (damage.errors >= 0) {
      EXPECT_EQ(errors, damage.errors);
    } else {
      EXPECT_GT(errors, 0);
    }
  }
}

TEST(CacheValidation, ValidatingStartRepairsDamageAndKeepsTheUntouchedEntries) {
  const auto [first, second] = sameBucket();
  std::vector<TestEntry> stored = entries(6);
  stored.push_back({first, "one", now() - 10, now() + 86400, 100, 0});
  stored.push_back({second, "two", now() - 9, now() + 86400, 101, 0});
  // A loop between the two records of one bucket, and a header count astray.
  CacheFiles files;
  const auto offsets = files.write(stored, 0);
  files.patchU32(offsets[7] + 4, offsets[6]);
  files.patchU32(4, 3);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(files.open());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(files.ui.sawStatus("Cache index has errors ... please wait while it is rebuilt"));
  EXPECT_EQ(files.maintenance().validate(), 0);
  expectAllFound(files, stored);
  EXPECT_TRUE(fs::exists(files.cacheDir() / kOldIndexName));
}

// The kinds of damage a cache folder meets: cut off by a full disk or a
// crash, bytes flipped, counters wrong, chains looping, bodies lost, cut
// short or left behind.
enum class Damage { kTruncation, kLinkByte, kLengthOrFlagByte, kHeaderField, kLoop, kMissingBody, kShortBody, kStrayBody };

void damage(CacheFiles& files, Damage kind, const std::vector<std::uint32_t>& offsets, std::size_t bodies,
            std::mt19937& random) {
  const std::uint32_t target = offsets[random() % offsets.size()];
  switch (kind) {
    case Damage::kTruncation:
      fs::resize_file(files.indexPath(), kHeaderSize + random() % (offsets.size() * kRecordSize));
      break;
    case Damage::kLinkByte:
      files.patch(target + random() % 8, std::string(1, static_cast<char>(random())));
      break;
    case Damage::kLengthOrFlagByte:
      files.patch(target + 28 + random() % 8, std::string(1, static_cast<char>(random())));
      break;
    case Damage::kHeaderField:
      files.patchU32(4 * (1 + random() % 8), random());
      break;
    case Damage::kLoop:  // a next link back to some record, itself included
      files.patchU32(target + 4, offsets[random() % offsets.size()]);
      break;
    case Damage::kMissingBody:
      fs::remove(files.dataPath(static_cast<std::uint32_t>(1 + random() % bodies)));
      break;
    case Damage::kShortBody: {
      const fs::path body = files.dataPath(static_cast<std::uint32_t>(1 + random() % bodies));
      if (fs::exists(body)) fs::resize_file(body, fs::file_size(body) / 2);
      break;
    }
    case Damage::kStrayBody:
      std::ofstream(files.dataPath(static_cast<std::uint32_t>(1000 + random() % 1000)), std::ios::binary)
          << "a body no record names";
      break;
  }
}

// Each seed damages a sound index once; the validating start must neither
// crash nor hang, must leave an index that validates without an error, and
// whatever it still finds whole is the body of its own URL.
void survivesDamage(Damage kind) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kSeeds = 10;
#else
  constexpr int kSeeds = 100;
#endif
  const std::vector<TestEntry> stored = entries(12);
  for (int seed = 0; seed < kSeeds; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(static_cast<unsigned>(seed) * 8 + static_cast<unsigned>(kind));
    CacheFiles files;
    const auto offsets = files.write(stored, 0);
    damage(files, kind, offsets, stored.size(), random);
    files.open();
    if (!files.index().isOpen()) continue;
    EXPECT_EQ(files.maintenance().validate(), 0);
    for (const TestEntry& entry : stored) {
      const auto body = files.body(entry.url);
      if (!body || body->size() != entry.body.size()) continue;  // gone, or a body cut short
      EXPECT_EQ(*body, entry.body);
    }
  }
}

TEST(CacheDamage, Truncation) { survivesDamage(Damage::kTruncation); }
TEST(CacheDamage, FlippedLinkBytes) { survivesDamage(Damage::kLinkByte); }
TEST(CacheDamage, FlippedLengthAndFlagBytes) { survivesDamage(Damage::kLengthOrFlagByte); }
TEST(CacheDamage, WrongHeaderCounters) { survivesDamage(Damage::kHeaderField); }
TEST(CacheDamage, LoopingChains) { survivesDamage(Damage::kLoop); }
TEST(CacheDamage, MissingBodies) { survivesDamage(Damage::kMissingBody); }
TEST(CacheDamage, ShortBodies) { survivesDamage(Damage::kShortBody); }

TEST(CacheDamage, StrayBodiesGoWithTheNextRebuild) {
  survivesDamage(Damage::kStrayBody);
  CacheFiles files;
  files.write(entries(3), 0);
  std::ofstream(files.dataPath(4242), std::ios::binary) << "a body no record names";
  files.open();
  ASSERT_TRUE(files.index().isOpen());
  ASSERT_TRUE(files.maintenance().rebuild());
  EXPECT_FALSE(fs::exists(files.dataPath(4242)));
  EXPECT_TRUE(fs::exists(files.dataPath(1)));
}

TEST(CacheRebuild, KeepsTheNewestOfEqualKeysAndRemovesBodiesNoRecordNames) {
  CacheFiles files;
  std::vector<TestEntry> stored = entries(4);
  stored.push_back({stored[1].url, "newer body", now() - 5, now() + 86400, 50, 0});
  files.write(stored, now());
  std::ofstream(files.dataPath(0xabc)) << "left over by a killed store";
  std::ofstream(files.cacheDir() / "notes.txt") << "not ours";
  ASSERT_TRUE(files.open());
  ASSERT_TRUE(files.maintenance().rebuild());
  EXPECT_EQ(files.maintenance().validate(), 0);
  EXPECT_EQ(files.body(stored[1].url), "newer body");
  EXPECT_FALSE(fs::exists(files.dataPath(2)));
  EXPECT_FALSE(fs::exists(files.dataPath(0xabc)));
  EXPECT_TRUE(fs::exists(files.cacheDir() / "notes.txt"));
  EXPECT_EQ(countDataFiles(files.cacheDir()), 4);
  EXPECT_EQ(files.index().header().entryCount, 4u);
  EXPECT_EQ(files.index().header().fragmentCount, 0u);
}

TEST(CacheRebuild, DropsExpiredAndOldestBeyondTheLimitAndPadsToWholeMegabytes) {
  CacheFiles files;
  files.ui.values[qvValueIndex::kCacheSizeLimit] = 1;
  std::vector<TestEntry> stored = entries(5, 400000);
  stored.push_back({"http://example.org/expired", "old", now() - 2000, now() - 1, 77, 0});
  files.write(stored, now());
  ASSERT_TRUE(files.open());
  ASSERT_TRUE(files.maintenance().rebuild());
  EXPECT_EQ(files.body(stored[4].url), stored[4].body);
  EXPECT_EQ(files.body(stored[3].url), stored[3].body);
  for (int i : {0, 1, 2}) {
    EXPECT_FALSE(files.body(stored[i].url).has_value());
    EXPECT_FALSE(fs::exists(files.dataPath(i + 1)));
  }
  EXPECT_FALSE(fs::exists(files.dataPath(77)));
  EXPECT_EQ(fs::file_size(files.indexPath()), 1048576u);
  EXPECT_EQ(files.index().header().bytesCached, 800000u);

  CacheFiles empty;
  empty.write({}, now());
  ASSERT_TRUE(empty.open());
  ASSERT_TRUE(empty.maintenance().rebuild());
  EXPECT_EQ(fs::file_size(empty.indexPath()), 1048576u);
}

TEST(CacheRebuild, LimitsAbove2147MegabytesKeepEverything) {
  CacheFiles files;
  files.ui.values[qvValueIndex::kCacheSizeLimit] = 5000;
  const std::vector<TestEntry> stored = entries(3);
  files.write(stored, now());
  ASSERT_TRUE(files.open());
  EXPECT_EQ(files.maintenance().limitBytes(), 4294000000u);
  ASSERT_TRUE(files.maintenance().rebuild());
  expectAllFound(files, stored);
}

TEST(CacheRebuild, ExitDuringTheRebuildKeepsEveryRecord) {
  CacheFiles files;
  files.ui.values[qvValueIndex::kCacheSizeLimit] = 1;
  const std::vector<TestEntry> stored = entries(4, 400000);
  files.write(stored, now());
  std::ofstream(files.dataPath(0xdead)) << "unnamed";
  ASSERT_TRUE(files.open());
  files.ui.exiting = true;
  files.maintenance().rebuild();
  files.ui.exiting = false;
  ASSERT_TRUE(files.index().isOpen());
  expectAllFound(files, stored);
}

TEST(CacheUpkeep, RecountCountsEveryBodyButNoAlias) {
  CacheFiles files;
  std::vector<TestEntry> stored = entries(2, 100);
  stored[1].flags = kFlagMustRevalidate;
  stored.push_back({"http://example.org/alias", "", now(), now() + 86400, 0, kFlagAlias});
  files.write(stored, now());
  ASSERT_TRUE(files.open());
  EXPECT_EQ(files.maintenance().recountBytes(), 200);
}

TEST(CacheUpkeep, ClearLeavesAnEmptyOpenIndexAndNoBodies) {
  CacheFiles files;
  const std::vector<TestEntry> stored = entries(150);
  files.write(stored, now());
  ASSERT_TRUE(files.open());
  ASSERT_TRUE(files.maintenance().clear());
  EXPECT_TRUE(files.index().isOpen());
  EXPECT_EQ(countDataFiles(files.cacheDir()), 0);
  EXPECT_FALSE(files.body(stored[0].url).has_value());
  EXPECT_EQ(files.maintenance().validate(), 0);
  EXPECT_TRUE(files.ui.sawStatus("Cleaning up cache files ."));
}

TEST(CacheUpkeep, DumpListsEntriesAndReportsALoopOnce) {
  const auto [first, second] = sameBucket();
  CacheFiles files;
  const auto offsets = files.write({{first, "one", now() - 10, now() + 86400, 1, 0},
                                    {second, "two", now() - 9, now() + 86400, 2, 0}}, now());
  files.patchU32(offsets[1] + 4, offsets[0]);
  ASSERT_TRUE(files.open());
  files.maintenance().dump();
  const std::string text = TempDirectory::read(files.dumpPath());
  EXPECT_NE(text.find(cacheKey(first) + " text/html 00 00000001"), std::string::npos) << text;
  EXPECT_NE(text.find("Broken chain at"), std::string::npos) << text;
  EXPECT_NE(text.find("Total errors found was     1"), std::string::npos) << text;
  EXPECT_NE(text.find("Total entries found was    3"), std::string::npos) << text;
  EXPECT_LT(text.size(), 4096u);
}

TEST(CacheUpkeep, StoreTriggersAndPostedCommands) {
  CacheFiles files;
  files.ui.values[qvValueIndex::kCacheSizeLimit] = 1;
  const std::vector<TestEntry> stored = entries(3, 400000);
  files.write(stored, now());
  ASSERT_TRUE(files.open());
  files.index().header().bytesCached = 1200000;
  ASSERT_TRUE(files.maintenance().makeRoomForStore());
  EXPECT_TRUE(files.ui.sawStatus("Resizing cache - please wait"));
  EXPECT_EQ(files.index().header().bytesCached, 800000u);

  files.index().header().recordCount = 300;
  files.index().header().fragmentCount = 30;
  ASSERT_TRUE(files.maintenance().makeRoomForStore());
  EXPECT_TRUE(files.ui.sawStatus("Defragmenting cache index - please wait"));
  EXPECT_EQ(files.index().header().fragmentCount, 0u);

  files.ui.statusTexts.clear();
  files.maintenance().runCommands(CacheCommand::kRebuild | CacheCommand::kValidate | CacheCommand::kDump);
  EXPECT_TRUE(fs::exists(files.dumpPath()));
  auto position = [&](const std::string& prefix) {
    for (std::size_t i = 0; i < files.ui.statusTexts.size(); ++i) {
      if (files.ui.statusTexts[i].starts_with(prefix)) return i;
    }
    return files.ui.statusTexts.size();
  };
  EXPECT_LT(position("Index 0"), position("Validating cache : Index"));
  EXPECT_LT(position("Validating cache : Index"), files.ui.statusTexts.size());
  expectAllFound(files, {stored[1], stored[2]});
}
