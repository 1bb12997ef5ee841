#include "cache/CacheFormat.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>

namespace cacheformat {

std::uint32_t readU32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

void writeU32(unsigned char* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::string dataNumberText(std::uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(number));
  return text;
}

std::string dataFileName(std::uint32_t number) { return dataNumberText(number) + ".cvc"; }

std::vector<std::string> dataFileNames(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() > 4 && name.ends_with(".cvc")) names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace cacheformat

using namespace cacheformat;

CacheHeader CacheHeader::empty(std::uint32_t now) {
  CacheHeader header;
  header.appendPosition = static_cast<std::uint32_t>(kHeaderSize);
  header.lastValidation = now;
  return header;
}

std::array<unsigned char, kHeaderFieldsSize> CacheHeader::encodeFields() const {
  std::array<unsigned char, kHeaderFieldsSize> bytes{};
  const std::uint32_t fields[] = {version,    recordCount, allocatedSize, appendPosition, lastValidation,
                                  bytesCached, firstRecord, fragmentCount, entryCount};
  for (std::size_t i = 0; i < std::size(fields); ++i) writeU32(&bytes[4 * i], fields[i]);
  writeU32(&bytes[kBucketCountOffset], bucketCount);
  return bytes;
}

std::vector<unsigned char> CacheHeader::encode() const {
  std::vector<unsigned char> bytes(kHeaderSize, 0);
  const auto fields = encodeFields();
  std::copy(fields.begin(), fields.end(), bytes.begin());
  for (std::uint32_t bucket = 0; bucket < kBucketCount; ++bucket) {
    const std::uint32_t head = bucket < heads.size() ? heads[bucket] : kNoRecord;
    writeU32(&bytes[headOffset(bucket)], head);
  }
  return bytes;
}

CacheHeader CacheHeader::decode(std::span<const unsigned char> bytes) {
  CacheHeader header;
  if (bytes.size() < kHeaderSize) return header;
  std::uint32_t* const fields[] = {&header.version,       &header.recordCount, &header.allocatedSize,
                                   &header.appendPosition, &header.lastValidation, &header.bytesCached,
                                   &header.firstRecord,    &header.fragmentCount, &header.entryCount};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = readU32(&bytes[4 * i]);
  header.bucketCount = readU32(&bytes[kBucketCountOffset]);
  for (std::uint32_t bucket = 0; bucket < kBucketCount; ++bucket) {
    header.heads[bucket] = readU32(&bytes[headOffset(bucket)]);
  }
  return header;
}

std::array<unsigned char, kRecordSize> CacheRecord::encode() const {
  std::array<unsigned char, kRecordSize> bytes{};
  const std::uint32_t fields[] = {previous, next, hash, timeStored, expiry, size, dataNumber};
  for (std::size_t i = 0; i < std::size(fields); ++i) writeU32(&bytes[4 * i], fields[i]);
  bytes[28] = inUse;
  bytes[32] = static_cast<unsigned char>(flags);
  bytes[33] = static_cast<unsigned char>(flags >> 8);
  const std::size_t keyLength = std::min(key.size(), kMaxKeyLength);
  const std::size_t valueLength = std::min(value.size(), kMaxValueLength);
  bytes[34] = static_cast<unsigned char>(keyLength);
  bytes[35] = static_cast<unsigned char>(valueLength);
  std::copy_n(key.begin(), keyLength, bytes.begin() + kTextOffset);
  std::copy_n(value.begin(), valueLength, bytes.begin() + kTextOffset + keyLength);
  return bytes;
}

CacheRecord CacheRecord::decode(std::span<const unsigned char, kRecordSize> bytes) {
  CacheRecord record;
  std::uint32_t* const fields[] = {&record.previous, &record.next, &record.hash, &record.timeStored,
                                   &record.expiry,   &record.size, &record.dataNumber};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = readU32(&bytes[4 * i]);
  record.inUse = bytes[28];
  record.flags = static_cast<std::uint16_t>(bytes[32] | bytes[33] << 8);
  std::size_t keyLength = bytes[34];
  std::size_t valueLength = bytes[35];
  // The text area ends with a zero byte, so key and value share 475 bytes.
  const std::size_t room = kRecordSize - kTextOffset - 1;
  if (valueLength > kMaxValueLength || keyLength + valueLength > room) {
    record.lengthsDamaged = true;
    valueLength = std::min({valueLength, kMaxValueLength, room - keyLength});
  }
  const auto text = bytes.begin() + kTextOffset;
  record.key.assign(text, text + keyLength);
  record.value.assign(text + keyLength, text + keyLength + valueLength);
  return record;
}
