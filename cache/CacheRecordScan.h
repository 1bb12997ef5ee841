#pragma once
// Reads an index's records in order, 1024 at a time straight from the file,
// for the operations that look at every record (validation, rebuild,
// recount). Between batches it can pause 10 ms to leave the machine usable,
// and it stops before a batch once the program is exiting.

#include <cstdint>
#include <functional>

#include "cache/CacheFormat.h"

class qvUserInterface;

class CacheRecordScan {
 public:
  static constexpr std::uint32_t kBatchRecords = 1024;

  // `end` is the byte offset the scan stops at (the file's length).
  CacheRecordScan(int fd, std::uint64_t end) : fd_(fd), end_(end) {}

  // Pauses between batches; stops when ui.shouldExit().
  CacheRecordScan& politely(qvUserInterface& ui) {
    ui_ = &ui;
    return *this;
  }

  // Calls `visit` with each record's offset and content. False when the scan
  // stopped early (exit, or a read error) rather than at `end`.
  bool run(const std::function<void(std::uint32_t, const CacheRecord&)>& visit) const;

 private:
  int fd_;
  std::uint64_t end_;
  qvUserInterface* ui_ = nullptr;
};
