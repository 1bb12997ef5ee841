#pragma once
// qvPendingSet: the set of pending status ids of a run, ordered so that the
// lowest one is found without scanning. Ids are small dense integers (the
// table's creation numbers), so the set is a bitmap with a summary level
// per 64 words: lowest() and every change cost O(log64 n), and it takes
// about one bit per id.

#include <cstddef>
#include <cstdint>
#include <vector>

class qvPendingSet {
 public:
  // Adds `id` (>= 0); adding a member again changes nothing.
  void insert(int id);
  // Removes `id`; removing a non-member changes nothing.
  void erase(int id);
  bool contains(int id) const;
  // Lowest member, or -1 when the set is empty.
  int lowest() const;
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void clear();

 private:
  // levels_[0] has one bit per id; bit b of word w in level k+1 says that
  // word 64*w+b of level k is not zero.
  std::vector<std::vector<std::uint64_t>> levels_;
  std::size_t count_ = 0;

  void grow(std::size_t id);
};
