#include "hcrtf/compiler/PhraseSelector.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/PhraseEncoder.h"

namespace hcrtf::compiler {

namespace {

constexpr unsigned kIdBits = 20;
constexpr std::uint32_t kMaxWordIds = (1u << kIdBits) - 1;
constexpr std::uint32_t kMinCount = 3;
// What a phrase costs on average where it is used (one or two code bytes),
// and per byte of its text in the dictionary (which is LZ77-packed).
constexpr double kCodeCost = 1.5;
constexpr double kImageCost = 0.6;

// A word run: up to three word numbers (0 = none), whether the space after
// the last word belongs to it.
std::uint64_t runKey(std::uint32_t a, std::uint32_t b, std::uint32_t c, bool space) {
  return (static_cast<std::uint64_t>(space) << (3 * kIdBits)) | (static_cast<std::uint64_t>(a) << (2 * kIdBits)) |
         (static_cast<std::uint64_t>(b) << kIdBits) | c;
}

std::uint32_t idAt(std::uint64_t key, unsigned slot) {
  return static_cast<std::uint32_t>((key >> (slot * kIdBits)) & kMaxWordIds);
}

}  // namespace

void PhraseSelector::add(std::span<const std::uint8_t> text) {
  if (text.empty()) return;
  texts_.push_back(text);
  total_ += text.size();
}

std::vector<std::span<const std::uint8_t>> PhraseSelector::sample() const {
  const std::size_t stride = std::max<std::size_t>(1, (total_ + kSampleBytes - 1) / kSampleBytes);
  std::vector<std::span<const std::uint8_t>> picked;
  for (std::size_t i = 0; i < texts_.size(); i += stride) picked.push_back(texts_[i]);
  return picked;
}

std::vector<std::string> PhraseSelector::countCandidates(
    const std::vector<std::span<const std::uint8_t>>& sample, std::size_t keep) const {
  std::unordered_map<std::string_view, std::uint32_t> ids;
  std::vector<std::string_view> words{std::string_view()};
  std::unordered_map<std::uint64_t, std::uint32_t> counts;
  std::size_t sampled = 0;
  for (const auto text : sample) sampled += text.size();
  counts.reserve(std::min<std::size_t>(1u << 20, sampled / 4));
  for (const auto text : sample) {
    const char* chars = reinterpret_cast<const char*>(text.data());
    std::uint32_t before1 = 0, before2 = 0;  // the words joined to this one by a single space
    std::size_t i = 0;
    while (i < text.size()) {
      if (!PhraseEncoder::isWordByte(text[i])) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < text.size() && PhraseEncoder::isWordByte(text[end])) ++end;
      std::uint32_t id = 0;
      if (end - i <= PhraseEncoder::kMaxPhraseLength) {
        const auto [at, added] = ids.try_emplace(std::string_view(chars + i, end - i), 0);
        if (added && words.size() <= kMaxWordIds) {
          at->second = static_cast<std::uint32_t>(words.size());
          words.push_back(at->first);
        }
        id = at->second;
      }
      const bool space = end < text.size() && text[end] == ' ';
      if (id != 0) {
        ++counts[runKey(0, 0, id, space)];
        if (before1 != 0) ++counts[runKey(0, before1, id, space)];
        if (before2 != 0) ++counts[runKey(before2, before1, id, space)];
      }
      const bool joined = id != 0 && space && end + 1 < text.size() && PhraseEncoder::isWordByte(text[end + 1]);
      before2 = joined ? before1 : 0;
      before1 = joined ? id : 0;
      i = end;
    }
  }

  std::vector<std::pair<double, std::uint64_t>> ranked;
  for (const auto& [key, count] : counts) {
    if (count < kMinCount) continue;
    std::size_t length = (key >> (3 * kIdBits)) & 1;
    for (unsigned slot = 0; slot < 3; ++slot) {
      if (const std::uint32_t id = idAt(key, slot)) length += words[id].size() + (slot > 0 ? 1 : 0);
    }
    if (length < 2 || length > PhraseEncoder::kMaxPhraseLength) continue;
    const double worth = count * (static_cast<double>(length) - kCodeCost) - kImageCost * static_cast<double>(length);
    if (worth > 0) ranked.emplace_back(worth, key);
  }
  // Ties go to the smaller key, so that the choice never depends on the
  // order in which the counts were stored.
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  if (ranked.size() > keep) ranked.resize(keep);
  std::vector<std::string> candidates;
  candidates.reserve(ranked.size());
  for (const auto& entry : ranked) {
    const std::uint64_t key = entry.second;
    std::string text;
    for (unsigned slot = 3; slot-- > 0;) {
      const std::uint32_t id = idAt(key, slot);
      if (id == 0) continue;
      if (!text.empty()) text += ' ';
      text += words[id];
    }
    if ((key >> (3 * kIdBits)) & 1) text += ' ';
    candidates.push_back(std::move(text));
  }
  return candidates;
}

std::vector<std::string> PhraseSelector::select(std::size_t limit) const {
  limit = std::min(limit, kMaxPhrases);
  if (limit == 0 || total_ == 0) return {};
  const auto picked = sample();
  std::vector<std::string> candidates = countCandidates(picked, std::min(2 * limit, kMaxPhrases));
  if (candidates.empty()) return {};

  // Counting each run on its own overstates phrases that overlap; coding the
  // sample with all candidates shows how often each is really used.
  const PhraseEncoder trial(std::move(candidates));
  std::vector<std::uint32_t> uses(trial.phrases().size(), 0);
  for (const auto text : picked) trial.encode(text, &uses);

  std::vector<std::pair<double, std::size_t>> worth;
  for (std::size_t i = 0; i < uses.size(); ++i) {
    const double length = static_cast<double>(trial.phrases()[i].size());
    const double w = uses[i] * (length - kCodeCost) - kImageCost * length;
    if (uses[i] >= 2 && w > 0) worth.emplace_back(w, i);
  }
  std::stable_sort(worth.begin(), worth.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  if (worth.size() > limit) worth.resize(limit);
  // The most used phrases get the one-byte codes.
  std::stable_sort(worth.begin(), worth.end(), [&](const auto& a, const auto& b) { return uses[a.second] > uses[b.second]; });
  std::vector<std::string> chosen;
  chosen.reserve(worth.size());
  for (const auto& [w, i] : worth) chosen.push_back(trial.phrases()[i]);
  return chosen;
}

}  // namespace hcrtf::compiler
