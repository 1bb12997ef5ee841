#include "hcrtf/compiler/PhraseEncoder.h"

#include <algorithm>
#include <array>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/Lz77Compressor.h"

namespace hcrtf::compiler {

namespace {

std::string_view view(std::span<const std::uint8_t> text, std::size_t begin, std::size_t end) {
  return std::string_view(reinterpret_cast<const char*>(text.data()) + begin, end - begin);
}

std::size_t wordEnd(std::span<const std::uint8_t> text, std::size_t at) {
  while (at < text.size() && PhraseEncoder::isWordByte(text[at])) ++at;
  return at;
}

// Appends the byte code for text[begin, end) taken as it is.
void literals(std::span<const std::uint8_t> text, std::size_t begin, std::size_t end, std::vector<std::uint8_t>& out) {
  while (begin < end) {
    const std::size_t take = std::min(kPhraseCodeMaxLiterals, end - begin);
    out.push_back(static_cast<std::uint8_t>(((take - 1) << 3) | kPhraseCodeLiterals));
    out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(begin),
               text.begin() + static_cast<std::ptrdiff_t>(begin + take));
    begin += take;
  }
}

void fillRun(std::uint8_t fill, std::size_t count, std::vector<std::uint8_t>& out) {
  const std::uint8_t kind = fill == ' ' ? kPhraseCodeSpaces : kPhraseCodeNuls;
  while (count > 0) {
    const std::size_t take = std::min(kPhraseCodeMaxFill, count);
    out.push_back(static_cast<std::uint8_t>(((take - 1) << 4) | kind));
    count -= take;
  }
}

void phraseCode(std::size_t number, std::vector<std::uint8_t>& out) {
  if (number < kPhraseCodeShortPhrases) {
    out.push_back(static_cast<std::uint8_t>(number << 1));
    return;
  }
  const std::size_t rest = number - kPhraseCodeShortPhrases;
  out.push_back(static_cast<std::uint8_t>(((rest >> 8) << 2) | kPhraseCodeLongPhrase));
  out.push_back(static_cast<std::uint8_t>(rest & 0xFF));
}

// The bits that storing the phrase lengths with `bits` low bits takes.
std::size_t lengthBits(const std::vector<std::string>& phrases, unsigned bits) {
  std::size_t total = 0;
  for (const auto& p : phrases) total += ((p.size() - 1) >> bits) + 1 + bits;
  return total;
}

}  // namespace

PhraseEncoder::PhraseEncoder(std::vector<std::string> phrases) {
  std::unordered_set<std::string> seen;
  for (auto& phrase : phrases) {
    if (phrases_.size() == kMaxPhrases) break;
    if (phrase.empty() || phrase.size() > kMaxPhraseLength || !seen.insert(phrase).second) continue;
    phrases_.push_back(std::move(phrase));
  }
  // The lookups view the strings, so phrases_ must not change from here on.
  for (std::size_t i = 0; i < phrases_.size(); ++i) {
    const std::string_view p = phrases_[i];
    numbers_.emplace(p, static_cast<std::uint32_t>(i));
    const auto first = std::find_if(p.begin(), p.end(), [](char c) { return !isWordByte(static_cast<std::uint8_t>(c)); });
    firstWords_.insert(p.substr(0, static_cast<std::size_t>(first - p.begin())));
  }
  buildImage();
}

long PhraseEncoder::longestAt(std::span<const std::uint8_t> text, std::size_t at, std::size_t* end) const {
  std::size_t e = wordEnd(text, at);
  if (!firstWords_.count(view(text, at, e))) return -1;
  // Candidate ends, shortest first: each word without and with its space.
  std::array<std::size_t, 2 * kMaxWords> ends{};
  std::size_t count = 0;
  for (std::size_t words = 0; words < kMaxWords; ++words) {
    if (e - at > kMaxPhraseLength) break;
    ends[count++] = e;
    if (e >= text.size() || text[e] != ' ') break;
    ends[count++] = e + 1;
    if (e + 1 >= text.size() || !isWordByte(text[e + 1])) break;
    e = wordEnd(text, e + 1);
  }
  while (count > 0) {
    const std::size_t candidate = ends[--count];
    if (candidate - at > kMaxPhraseLength) continue;
    const auto found = numbers_.find(view(text, at, candidate));
    if (found == numbers_.end()) continue;
    *end = candidate;
    return static_cast<long>(found->second);
  }
  return -1;
}

std::vector<std::uint8_t> PhraseEncoder::encode(std::span<const std::uint8_t> text,
                                                std::vector<std::uint32_t>* uses) const {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() / 2 + 16);
  std::size_t pending = 0;  // start of the text not coded yet
  std::size_t i = 0;
  while (i < text.size()) {
    const std::uint8_t c = text[i];
    if (isWordByte(c) && (i == 0 || !isWordByte(text[i - 1]))) {
      std::size_t end = 0;
      const long number = phrases_.empty() ? -1 : longestAt(text, i, &end);
      if (number < 0) {
        i = wordEnd(text, i);
        continue;
      }
      literals(text, pending, i, out);
      phraseCode(static_cast<std::size_t>(number), out);
      if (uses && static_cast<std::size_t>(number) < uses->size()) ++(*uses)[static_cast<std::size_t>(number)];
      i = pending = end;
      continue;
    }
    if (c == ' ' || c == 0) {
      std::size_t run = i;
      while (run < text.size() && text[run] == c) ++run;
      // A lone space or NUL inside literal text costs the same either way;
      // keeping it literal keeps the literal run going.
      if (run - i >= 2 || pending == i) {
        literals(text, pending, i, out);
        fillRun(c, run - i, out);
        pending = run;
      }
      i = run;
      continue;
    }
    ++i;
  }
  literals(text, pending, text.size(), out);
  return out;
}

void PhraseEncoder::buildImage() {
  image_.clear();
  for (const auto& p : phrases_) image_.insert(image_.end(), p.begin(), p.end());
  packedImage_ = lz77Compress(image_);
  if (packedImage_.size() >= image_.size()) packedImage_.clear();
}

std::vector<std::uint8_t> PhraseEncoder::indexFile() const {
  unsigned bits = 1;
  for (unsigned b = 2; b <= 5; ++b) {
    if (lengthBits(phrases_, b) < lengthBits(phrases_, bits)) bits = b;
  }
  std::vector<std::uint8_t> packed;
  std::size_t bitCount = 0;
  const auto put = [&](bool bit) {
    if (bitCount % 8 == 0) packed.push_back(0);
    if (bit) packed.back() |= static_cast<std::uint8_t>(1u << (bitCount % 8));
    ++bitCount;
  };
  for (const auto& p : phrases_) {
    const std::size_t value = p.size() - 1;
    for (std::size_t q = value >> bits; q > 0; --q) put(true);
    put(false);
    for (unsigned b = 0; b < bits; ++b) put((value >> b) & 1);
  }
  // Readers fetch the bits a 32-bit word at a time.
  while (packed.size() % 4 != 0) packed.push_back(0);

  const std::size_t imageStored = packedImage_.empty() ? image_.size() : packedImage_.size();
  ByteWriter out;
  out.u32(kPhrIndexMagic);
  out.u32(static_cast<std::uint32_t>(phrases_.size()));
  out.u32(static_cast<std::uint32_t>(kPhrIndexHeaderSize + packed.size()));
  out.u32(static_cast<std::uint32_t>(image_.size()));
  out.u32(static_cast<std::uint32_t>(imageStored));
  out.u32(0);
  out.u16(static_cast<std::uint16_t>(bits));
  out.u16(kPhrIndexTrailer);
  out.bytes(packed);
  return out.take();
}

std::vector<std::uint8_t> PhraseEncoder::imageFile() const { return packedImage_.empty() ? image_ : packedImage_; }

}  // namespace hcrtf::compiler
