#pragma once
// The upkeep of the open cache index: validation, rebuild, the recount of
// cached bytes, the dump, clearing the whole cache, the rebuilds a store
// asks for when the cache is full or fragmented, and the commands the user
// posts through the maintenance thread. Every operation holds the index's
// lock from its first look at the index to its end.

#include <cstdint>
#include <string>

class CacheIndex;

class CacheMaintenance {
 public:
  // The size limit is read from the user interface (getValue 19, millions of
  // bytes) at each use; the dump goes to `dumpPath`.
  CacheMaintenance(CacheIndex& index, std::string dumpPath);

  // Makes the index call validate, rebuild and recountBytes of this object.
  void attach();

  int validate();
  bool rebuild();
  // The sum of the sizes of the bodies in use; -1 without an index.
  std::int64_t recountBytes();
  void dump();
  // Empties the cache: a fresh index, then every data file deleted. Whether
  // the fresh index is open.
  bool clear();

  // Before a store: a rebuild when the cache holds its limit in bytes, or
  // when a tenth of more than 250 records were appended out of place. False
  // when that rebuild failed (the store must not go on).
  bool makeRoomForStore();

  // Runs the commands of a posted word (CacheCommand bits) under one take of
  // the lock, in the order dump, rebuild, validate, clear.
  void runCommands(int commands);

  // The limit in bytes: the setting, at most 4294 MB so it fits the index's
  // 32-bit counters, and never below 0.
  std::uint64_t limitBytes() const;

 private:
  void deleteDataFiles();

  CacheIndex& index_;
  std::string dumpPath_;
};
