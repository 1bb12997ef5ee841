#pragma once
// Writes a fresh, compact index from the records in use and puts it in place
// of the open one: expired entries and the oldest beyond 95 % of the size
// limit leave it, of several records with one key only the newest stays,
// chains are written contiguously. The new index is complete on disk before
// it replaces the old in one rename, and the previous index stays behind as
// "cache.old"; bodies are deleted only once the new index is in place. A
// rebuild that ran to its end also deletes every data file no record names.
// When the program exits during a rebuild, the records not yet looked at are
// kept as they are.

#include <cstdint>
#include <string>
#include <vector>

#include "cache/CacheFormat.h"

class CacheIndex;

class CacheRebuild {
 public:
  // `limitBytes` is the cache's size limit (CacheSizeLimit).
  CacheRebuild(CacheIndex& index, std::uint64_t limitBytes) : index_(index), limitBytes_(limitBytes) {}

  // Whether a sound index is open afterwards; a failure also warns
  // "Rebuild of cache index failed".
  bool run();

 private:
  bool collect(std::vector<CacheRecord>& records);
  void choose(std::vector<CacheRecord>& records, std::uint32_t now);
  bool writeNewIndex(std::vector<CacheRecord>& kept, std::uint32_t now);
  bool replace();
  void removeUnnamedDataFiles(const std::vector<CacheRecord>& kept);
  void removeDataFile(const CacheRecord& record);
  bool fail();

  CacheIndex& index_;
  std::uint64_t limitBytes_;
  // Bodies to delete once the new index is in place.
  std::vector<CacheRecord> dropped_;
  bool finished_ = true;
};
