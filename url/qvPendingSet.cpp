#include "url/qvPendingSet.h"

#include <bit>
#include <utility>

namespace {

constexpr std::size_t kBits = 64;

bool testBit(const std::vector<std::uint64_t>& words, std::size_t index) {
  const std::size_t word = index / kBits;
  return word < words.size() && ((words[word] >> (index % kBits)) & 1U) != 0;
}

}  // namespace

void qvPendingSet::grow(std::size_t id) {
  if (levels_.empty()) levels_.emplace_back();
  const std::size_t needed = id / kBits + 1;
  if (levels_.front().size() >= needed) return;
  levels_.front().resize(needed, 0);
  for (std::size_t level = 0; levels_[level].size() > 1; ++level) {
    const std::size_t upper = (levels_[level].size() - 1) / kBits + 1;
    if (level + 1 < levels_.size()) {
      levels_[level + 1].resize(upper, 0);
      continue;
    }
    // A new top level must already mark the words that hold members.
    std::vector<std::uint64_t> summary(upper, 0);
    for (std::size_t w = 0; w < levels_[level].size(); ++w) {
      if (levels_[level][w] != 0) summary[w / kBits] |= std::uint64_t{1} << (w % kBits);
    }
    levels_.push_back(std::move(summary));
  }
}

void qvPendingSet::insert(int id) {
  if (id < 0 || contains(id)) return;
  std::size_t index = static_cast<std::size_t>(id);
  grow(index);
  for (auto& words : levels_) {
    const bool wasEmpty = words[index / kBits] == 0;
    words[index / kBits] |= std::uint64_t{1} << (index % kBits);
    if (!wasEmpty) break;  // upper levels already mark this word
    index /= kBits;
  }
  ++count_;
}

void qvPendingSet::erase(int id) {
  if (id < 0 || !contains(id)) return;
  std::size_t index = static_cast<std::size_t>(id);
  for (auto& words : levels_) {
    words[index / kBits] &= ~(std::uint64_t{1} << (index % kBits));
    if (words[index / kBits] != 0) break;  // the word still has members
    index /= kBits;
  }
  --count_;
}

bool qvPendingSet::contains(int id) const {
  return id >= 0 && !levels_.empty() &&
         testBit(levels_.front(), static_cast<std::size_t>(id));
}

int qvPendingSet::lowest() const {
  if (count_ == 0) return -1;
  std::size_t index = 0;
  for (std::size_t level = levels_.size(); level-- > 0;) {
    const std::uint64_t word = levels_[level][index];
    index = index * kBits + static_cast<std::size_t>(std::countr_zero(word));
  }
  return static_cast<int>(index);
}

void qvPendingSet::clear() {
  levels_.clear();
  count_ = 0;
}
