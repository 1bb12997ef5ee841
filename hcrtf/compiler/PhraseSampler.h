#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hcrtf::compiler {

// Keeps an even sample of a project's record texts in bounded memory while
// they stream past: every text while they fit in kSampleBytes, then every
// second, fourth, ... text, thinning what is kept each time it overflows.
// It also counts all text, so what the sample shows can be scaled up.
class PhraseSampler {
 public:
  static constexpr std::size_t kSampleBytes = 6u << 20;

  explicit PhraseSampler(std::size_t sampleBytes = kSampleBytes) : limit_(sampleBytes) {}

  void add(std::span<const std::uint8_t> text);

  // The kept texts, in the order they came; valid until the next add().
  std::vector<std::span<const std::uint8_t>> texts() const;
  std::uint64_t totalBytes() const { return total_; }
  std::size_t sampledBytes() const { return bytes_.size(); }
  // Every stride-th text is kept.
  std::uint64_t stride() const { return stride_; }

 private:
  void thin();

  std::size_t limit_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> ends_;      // where each kept text ends in bytes_
  std::vector<std::uint64_t> index_;   // its number among all texts
  std::uint64_t seen_ = 0;
  std::uint64_t stride_ = 1;
  std::uint64_t total_ = 0;
};

}  // namespace hcrtf::compiler
