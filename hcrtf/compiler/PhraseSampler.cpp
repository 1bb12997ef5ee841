#include "hcrtf/compiler/PhraseSampler.h"

namespace hcrtf::compiler {

void PhraseSampler::add(std::span<const std::uint8_t> text) {
  if (text.empty()) return;
  total_ += text.size();
  const std::uint64_t number = seen_++;
  if (number % stride_ != 0) return;
  while (bytes_.size() + text.size() > limit_ && !ends_.empty()) {
    thin();
    if (number % stride_ != 0) return;
  }
  if (bytes_.empty()) bytes_.reserve(limit_);
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  ends_.push_back(bytes_.size());
  index_.push_back(number);
}

// Doubles the stride and keeps the texts that still fall on it.
void PhraseSampler::thin() {
  stride_ *= 2;
  std::size_t kept = 0, write = 0, begin = 0;
  for (std::size_t i = 0; i < ends_.size(); ++i) {
    const std::size_t end = ends_[i];
    if (index_[i] % stride_ == 0) {
      for (std::size_t b = begin; b < end; ++b) bytes_[write++] = bytes_[b];
      ends_[kept] = write;
      index_[kept] = index_[i];
      ++kept;
    }
    begin = end;
  }
  bytes_.resize(write);
  ends_.resize(kept);
  index_.resize(kept);
}

std::vector<std::span<const std::uint8_t>> PhraseSampler::texts() const {
  std::vector<std::span<const std::uint8_t>> result;
  result.reserve(ends_.size());
  std::size_t begin = 0;
  for (const std::size_t end : ends_) {
    result.emplace_back(bytes_.data() + begin, end - begin);
    begin = end;
  }
  return result;
}

}  // namespace hcrtf::compiler
