#include "hcrtf/common/Lz77Compressor.h"

#include <algorithm>
#include <stdexcept>

#include "hcrtf/common/HelpFormat.h"

namespace hcrtf {
namespace {

constexpr int kHashBits = 13;
constexpr int kChainDepth = 64;

unsigned hash3(const std::uint8_t* p) {
  const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

// Bytes that encoding the next `count` input bytes as literals costs, given
// the free item slots left under the current flag byte.
std::size_t literalCost(std::size_t count, std::size_t freeSlots) {
  if (count <= freeSlots) return count;
  return count + (count - freeSlots + 7) / 8;
}

// Appends items and their flag bytes to a packed stream.
class ItemWriter {
 public:
  std::size_t size() const { return out_.size(); }
  std::size_t freeSlots() const { return 8 - items_; }
  std::size_t literalSize() const { return items_ == 8 ? 2 : 1; }
  std::size_t matchSize() const { return items_ == 8 ? 3 : 2; }

  // Returns the offset the literal byte was written at.
  std::size_t literal(std::uint8_t b) {
    startItem();
    out_.push_back(b);
    return out_.size() - 1;
  }

  void match(std::size_t distance, std::size_t length) {
    startItem();
    out_[flagPos_] |= static_cast<std::uint8_t>(1u << (items_ - 1));
    const unsigned word = static_cast<unsigned>(((length - kLz77MinMatch) << 12) | (distance - 1));
    out_.push_back(static_cast<std::uint8_t>(word & 0xFF));
    out_.push_back(static_cast<std::uint8_t>(word >> 8));
  }

  std::vector<std::uint8_t> take() { return std::move(out_); }

 private:
  void startItem() {
    if (items_ == 8) {
      flagPos_ = out_.size();
      out_.push_back(0);
      items_ = 0;
    }
    ++items_;
  }

  std::vector<std::uint8_t> out_;
  std::size_t flagPos_ = 0;
  std::size_t items_ = 8;
};

struct Match {
  std::size_t distance = 0;
  std::size_t length = 0;
};

// Hash-chain match finder over one segment. Positions are segment-relative.
class MatchFinder {
 public:
  MatchFinder(const std::uint8_t* base, std::size_t length, const std::vector<std::uint32_t>& freeRun)
      : base_(base), length_(length), freeRun_(freeRun), head_(std::size_t{1} << kHashBits, -1),
        prev_(length, -1) {}

  void insert(std::size_t pos) {
    if (pos + kLz77MinMatch > length_ || freeRun_[pos] < kLz77MinMatch) return;
    const unsigned h = hash3(base_ + pos);
    prev_[pos] = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
  }

  Match longest(std::size_t pos) const {
    Match best;
    const std::size_t limit = std::min({kLz77MaxMatch, length_ - pos, std::size_t{freeRun_[pos]}});
    if (limit < kLz77MinMatch) return best;
    std::int32_t cand = head_[hash3(base_ + pos)];
    for (int depth = 0; cand >= 0 && depth < kChainDepth; ++depth, cand = prev_[cand]) {
      const std::size_t c = static_cast<std::size_t>(cand);
      if (pos - c > kLz77Window) break;
      const std::size_t max = std::min(limit, std::size_t{freeRun_[c]});
      if (max <= best.length || base_[c + best.length] != base_[pos + best.length]) continue;
      std::size_t n = 0;
      while (n < max && base_[c + n] == base_[pos + n]) ++n;
      if (n > best.length) {
        best = {pos - c, n};
        if (n == limit) break;
      }
    }
    if (best.length < kLz77MinMatch) return {};
    return best;
  }

 private:
  const std::uint8_t* base_;
  std::size_t length_;
  const std::vector<std::uint32_t>& freeRun_;
  std::vector<std::int32_t> head_;
  std::vector<std::int32_t> prev_;
};

}  // namespace

Lz77Compressor::Lz77Compressor(std::span<const std::uint8_t> data, std::vector<ByteRange> pinned)
    : data_(data), pinned_(std::move(pinned)) {
  std::size_t total = 0;
  std::size_t lastEnd = 0;
  for (const auto& [b, e] : pinned_) {
    if (b > e || e > data_.size() || b < lastEnd) {
      throw std::invalid_argument("pinned ranges must be sorted, disjoint and inside the data");
    }
    pinnedPrefix_.push_back(total);
    total += e - b;
    lastEnd = e;
  }
  pinnedPrefix_.push_back(total);
}

std::size_t Lz77Compressor::pinnedBefore(std::size_t offset) const {
  // First range that ends after offset.
  auto it = std::upper_bound(pinned_.begin(), pinned_.end(), offset,
                             [](std::size_t o, const ByteRange& r) { return o < r.second; });
  const std::size_t i = static_cast<std::size_t>(it - pinned_.begin());
  if (it == pinned_.end() || offset <= it->first) return pinnedPrefix_[i];
  return pinnedPrefix_[i] + (offset - it->first);
}

std::ptrdiff_t Lz77Compressor::pinnedIndex(std::size_t offset) const {
  auto it = std::upper_bound(pinned_.begin(), pinned_.end(), offset,
                             [](std::size_t o, const ByteRange& r) { return o < r.second; });
  if (it == pinned_.end() || offset < it->first) return -1;
  return static_cast<std::ptrdiff_t>(pinnedBefore(offset));
}

Lz77Segment Lz77Compressor::encode(std::size_t begin, std::size_t maxInput, std::size_t maxOutput,
                                   bool fillOutput) const {
  Lz77Segment seg;
  if (begin >= data_.size()) return seg;
  const std::size_t length = std::min(maxInput, data_.size() - begin);
  const std::uint8_t* base = data_.data() + begin;

  // freeRun[p]: unpinned bytes from p on, up to the segment end.
  std::vector<std::uint32_t> freeRun(length + 1, 0);
  {
    std::vector<std::uint8_t> isPinned(length, 0);
    auto it = std::upper_bound(pinned_.begin(), pinned_.end(), begin,
                               [](std::size_t o, const ByteRange& r) { return o < r.second; });
    for (; it != pinned_.end() && it->first < begin + length; ++it) {
      const std::size_t from = std::max(it->first, begin) - begin;
      const std::size_t to = std::min(it->second, begin + length) - begin;
      std::fill(isPinned.begin() + static_cast<std::ptrdiff_t>(from),
                isPinned.begin() + static_cast<std::ptrdiff_t>(to), 1);
    }
    for (std::size_t p = length; p-- > 0;) freeRun[p] = isPinned[p] ? 0 : freeRun[p + 1] + 1;
  }

  MatchFinder finder(base, length, freeRun);
  ItemWriter out;
  std::size_t pos = 0;
  while (pos < length) {
    const std::size_t space = maxOutput - out.size();
    Match m = freeRun[pos] ? finder.longest(pos) : Match{};
    // One step of lazy matching: a longer match starting at the next byte wins.
    if (m.length >= kLz77MinMatch && m.length < kLz77MaxMatch && pos + 1 < length) {
      finder.insert(pos);
      const Match next = finder.longest(pos + 1);
      if (next.length > m.length) m = {};
    } else {
      finder.insert(pos);
    }
    if (m.length >= kLz77MinMatch && fillOutput) {
      // Keep "remaining input as literals" at least as large as the remaining
      // space, so that the space is used up before or exactly at the end.
      const std::size_t slotsAfter = out.freeSlots() == 0 ? 7 : out.freeSlots() - 1;
      while (m.length >= kLz77MinMatch &&
             (out.matchSize() > space ||
              literalCost(length - pos - m.length, slotsAfter) < space - out.matchSize())) {
        --m.length;
      }
    }
    if (m.length >= kLz77MinMatch && out.matchSize() <= space) {
      out.match(m.distance, m.length);
      for (std::size_t i = 1; i < m.length; ++i) finder.insert(pos + i);
      pos += m.length;
      continue;
    }
    if (out.literalSize() > space) break;
    const std::size_t at = out.literal(base[pos]);
    if (!freeRun[pos]) seg.pinnedAt.push_back(static_cast<std::uint32_t>(at));
    ++pos;
  }
  seg.consumed = pos;
  seg.bytes = out.take();
  return seg;
}

std::vector<std::uint8_t> lz77Compress(std::span<const std::uint8_t> data) {
  const Lz77Compressor compressor(data);
  return compressor.encode(0, data.size(), static_cast<std::size_t>(-1)).bytes;
}

}  // namespace hcrtf
