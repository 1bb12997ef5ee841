#pragma once
// A readable listing of the open index for diagnosis: the file's size
// against what the header reports, every chain with each record's offset,
// bucket, link number, key, value, flags and data number, the breaks found,
// and totals. A chain that loops back on itself is listed once and reported.

#include <string>

class CacheIndex;

class CacheDump {
 public:
  CacheDump(CacheIndex& index, std::string path) : index_(index), path_(std::move(path)) {}

  // Writes the listing to the path given; nothing without an open index, the
  // lock, or a file that can be written.
  void run();

 private:
  CacheIndex& index_;
  std::string path_;
};
