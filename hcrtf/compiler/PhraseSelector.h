#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::compiler {

// Picks the phrase dictionary for a project from its topic text: the words
// and runs of up to three words (joined by single spaces, with or without
// the space after them) that save the most bytes when each use becomes a one-
// or two-byte code. Counting runs over a sample of about kSampleBytes (every
// n-th record), so large projects cost no more than that to count.
class PhraseSelector {
 public:
  static constexpr std::size_t kSampleBytes = 6u << 20;

  // Adds one record's text; it must stay alive until select() returns.
  void add(std::span<const std::uint8_t> text);

  // At most `limit` phrases, the most used first; empty when nothing repeats
  // enough to pay for its place in the dictionary.
  std::vector<std::string> select(std::size_t limit) const;

 private:
  std::vector<std::span<const std::uint8_t>> sample() const;
  // The `keep` word runs of the sample worth most by their counts alone.
  std::vector<std::string> countCandidates(const std::vector<std::span<const std::uint8_t>>& sample,
                                         std::size_t keep) const;

  std::vector<std::span<const std::uint8_t>> texts_;
  std::size_t total_ = 0;
};

}  // namespace hcrtf::compiler
