#pragma once
// The disk cache's files, byte for byte. The index "cache.idx" is a header of
// 131072 bytes (ten counters, then 32749 bucket heads) followed by records of
// 512 bytes, each one link of a bucket's chain. Every integer is 32 bits,
// little-endian, unsigned; offsets are byte positions in the index and "no
// record" is all bits set. Fields are encoded one by one, never by copying a
// struct, so the layout does not depend on the compiler or the machine.
//
// A record's text area holds the key (at most 255 bytes) and directly behind
// it the value (at most 220 bytes), then a zero byte; both carry their
// lengths, so keys are bytes, not C strings. Decoding never reads past the
// record: lengths that would are clamped and the record marked damaged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cacheformat {

inline constexpr std::uint32_t kVersion = 272;
inline constexpr std::size_t kHeaderSize = 131072;
inline constexpr std::size_t kRecordSize = 512;
inline constexpr std::uint32_t kBucketCount = 32749;
inline constexpr std::size_t kBucketCountOffset = 72;
inline constexpr std::size_t kBucketHeadsOffset = 76;
// The counters before the bucket heads; small enough to be rewritten in one
// write that never straddles a page.
inline constexpr std::size_t kHeaderFieldsSize = 76;
inline constexpr std::uint32_t kNoRecord = 0xFFFFFFFFu;
inline constexpr std::size_t kMaxKeyLength = 255;
inline constexpr std::size_t kMaxValueLength = 220;
inline constexpr std::size_t kTextOffset = 36;
inline constexpr std::uint32_t kGrowBlock = 65536;
inline constexpr std::uint32_t kGrowBlocks = 16;
inline constexpr std::uint32_t kOneDay = 86400;

inline constexpr std::uint16_t kFlagAlias = 0x1;
inline constexpr std::uint16_t kFlagMustRevalidate = 0x2;

inline constexpr const char* kDirectory = "Cache";
inline constexpr const char* kIndexName = "cache.idx";
inline constexpr const char* kNewIndexName = "cache.new";
inline constexpr const char* kOldIndexName = "cache.old";
inline constexpr const char* kDumpName = "cache.dump";

std::uint32_t readU32(const unsigned char* bytes);
void writeU32(unsigned char* bytes, std::uint32_t value);

// "%08x.cvc": the data file of `number`.
std::string dataFileName(std::uint32_t number);
// The names of the data files in `directory` (none when it cannot be read).
std::vector<std::string> dataFileNames(const std::string& directory);
// "%08x": how store reports a data number.
std::string dataNumberText(std::uint32_t number);

// The bucket that holds a key of hash `hash`.
inline std::uint32_t bucketOf(std::uint32_t hash) { return hash % kBucketCount; }

}  // namespace cacheformat

// The index header as held in memory while the index is open.
struct CacheHeader {
  std::uint32_t version = cacheformat::kVersion;
  std::uint32_t recordCount = 0;     // records appended since create or rebuild
  std::uint32_t allocatedSize = 0;   // the file's length
  std::uint32_t appendPosition = 0;  // offset of the next free record
  std::uint32_t lastValidation = 0;
  std::uint32_t bytesCached = 0;
  std::uint32_t firstRecord = 0;    // offset of the first record ever appended
  std::uint32_t fragmentCount = 0;  // appends not directly behind their chain's last record
  std::uint32_t entryCount = 0;     // records that are not aliases
  std::uint32_t bucketCount = cacheformat::kBucketCount;
  std::vector<std::uint32_t> heads = std::vector<std::uint32_t>(cacheformat::kBucketCount, cacheformat::kNoRecord);

  // A header of an index with no records, validated at `now`.
  static CacheHeader empty(std::uint32_t now);

  // All 131072 bytes.
  std::vector<unsigned char> encode() const;
  // The counters only: the first kHeaderFieldsSize bytes of encode().
  std::array<unsigned char, cacheformat::kHeaderFieldsSize> encodeFields() const;
  // `bytes` must hold at least kHeaderSize bytes.
  static CacheHeader decode(std::span<const unsigned char> bytes);

  static std::size_t headOffset(std::uint32_t bucket) { return cacheformat::kBucketHeadsOffset + 4 * std::size_t{bucket}; }
};

// One 512-byte record of the index.
struct CacheRecord {
  std::uint32_t previous = cacheformat::kNoRecord;
  std::uint32_t next = cacheformat::kNoRecord;
  std::uint32_t hash = 0;
  std::uint32_t timeStored = 0;
  std::uint32_t expiry = 0;
  std::uint32_t size = 0;        // bytes of the body, 0 for an alias
  std::uint32_t dataNumber = 0;  // names the data file; 0 names none
  std::uint8_t inUse = 0;
  std::uint16_t flags = 0;
  std::string key;    // at most kMaxKeyLength bytes
  std::string value;  // content type of a body, or an alias's target URL
  // Set by decode when the stored lengths ran past the record or the limits.
  bool lengthsDamaged = false;

  bool isAlias() const { return (flags & cacheformat::kFlagAlias) != 0; }
  bool mustRevalidate() const { return (flags & cacheformat::kFlagMustRevalidate) != 0; }

  // Key and value longer than their limits are cut to them.
  std::array<unsigned char, cacheformat::kRecordSize> encode() const;
  static CacheRecord decode(std::span<const unsigned char, cacheformat::kRecordSize> bytes);
};
