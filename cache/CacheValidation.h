#pragma once
// Counts what is wrong with the open index, without changing it: broken and
// looping chains, records that cannot be what they claim (links off the
// 512-byte grid or past the file, a hash that is not the key's, a record in
// the wrong bucket, lengths past the record), records in use that no chain
// reaches, and header counters that disagree with the records. A chain that
// comes back to a record it already passed ends there with one error, so a
// loop never holds up the walk. The opener rebuilds when the count is not 0.

class CacheIndex;

class CacheValidation {
 public:
  explicit CacheValidation(CacheIndex& index) : index_(index) {}

  // The number of errors; 0 without an open index or when the lock cannot
  // be had. A cancel press or the program's exit ends the walk early.
  int run();

 private:
  CacheIndex& index_;
};
