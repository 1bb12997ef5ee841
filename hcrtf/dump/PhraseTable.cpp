#include "hcrtf/dump/PhraseTable.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/Lz77.h"

namespace hcrtf::dump {
namespace {

// Phrase texts are small; anything claiming more is hostile.
constexpr std::uint32_t kMaxPhraseText = 16u << 20;

void checkOffsets(const std::vector<std::uint32_t>& offsets, std::size_t textSize,
                  const char* what) {
  for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
    if (offsets[i] > offsets[i + 1] || offsets[i + 1] > textSize) {
      throw FormatError(std::string(what) + ": phrase " + std::to_string(i) +
                        " lies outside the phrase text");
    }
  }
}

}  // namespace

PhraseTable PhraseTable::fromPhrases(std::span<const std::uint8_t> phrases, std::uint16_t minor) {
  ByteReader r(phrases, "|Phrases");
  PhraseTable t;
  t.scheme_ = Scheme::Classic;
  const std::uint16_t count = r.u16();
  if (r.u16() != kPhrasesLayout) throw FormatError("|Phrases: unknown layout");
  const std::uint32_t unpacked = minor > kSystemMinorWin30 ? r.u32() : 0;
  const std::size_t offsetsStart = r.position();
  std::vector<std::uint32_t> raw;
  for (std::size_t i = 0; i <= count; ++i) raw.push_back(r.u16());
  // Offsets count from the start of the offset array itself.
  const std::uint32_t base = raw.front();
  if (base != 2u * (count + 1u)) throw FormatError("|Phrases: first offset does not match the count");
  for (std::uint32_t& o : raw) {
    if (o < base) throw FormatError("|Phrases: offset before the phrase text");
    o -= base;
  }
  r.seek(offsetsStart + base);
  auto rest = r.bytes(r.remaining());
  if (minor > kSystemMinorWin30) {
    if (unpacked > kMaxPhraseText) throw FormatError("|Phrases: phrase text too large");
    t.text_ = lz77Decompress(rest, unpacked);
  } else {
    t.text_.assign(rest.begin(), rest.end());
  }
  checkOffsets(raw, t.text_.size(), "|Phrases");
  t.offsets_ = std::move(raw);
  t.finish();
  return t;
}

PhraseTable PhraseTable::fromHall(std::span<const std::uint8_t> index,
                                  std::span<const std::uint8_t> image) {
  ByteReader r(index, "|PhrIndex");
  PhraseTable t;
  t.scheme_ = Scheme::Hall;
  if (r.u32() != kPhrIndexMagic) throw FormatError("|PhrIndex: wrong magic number");
  const std::uint32_t count = r.u32();
  r.skip(4);  // compressed size of this index
  const std::uint32_t imageSize = r.u32();
  const std::uint32_t imagePacked = r.u32();
  r.skip(4);
  const unsigned bitCount = r.u16() & 0x0F;
  r.skip(2);
  if (imageSize > kMaxPhraseText) throw FormatError("|PhrImage: phrase text too large");
  // Each phrase takes at least two bits, which bounds a hostile count.
  if (count > r.remaining() * 4) throw FormatError("|PhrIndex: more phrases than the index can hold");

  auto bits = r.bytes(r.remaining());
  std::size_t bitPos = 0;
  auto getBit = [&]() -> bool {
    if (bitPos / 8 >= bits.size()) throw FormatError("|PhrIndex: phrase lengths run past the end");
    const bool b = (bits[bitPos / 8] >> (bitPos % 8)) & 1;
    ++bitPos;
    return b;
  };
  t.offsets_.push_back(0);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t n = 1;
    while (getBit()) n += 1u << bitCount;
    if (getBit()) n += 1;
    for (unsigned b = 1; b < bitCount && b < 5; ++b) {
      if (getBit()) n += 1u << b;
    }
    t.offsets_.push_back(t.offsets_.back() + n);
  }
  if (imagePacked == imageSize) {
    t.text_.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(
                                                      image.size() < imageSize ? image.size() : imageSize));
  } else {
    t.text_ = lz77Decompress(image, imageSize);
  }
  checkOffsets(t.offsets_, t.text_.size(), "|PhrImage");
  t.finish();
  return t;
}

std::string PhraseTable::phrase(std::size_t index) const {
  if (index >= size()) return {};
  return std::string(reinterpret_cast<const char*>(text_.data()) + offsets_[index],
                     offsets_[index + 1] - offsets_[index]);
}

void PhraseTable::finish() {
  for (std::size_t i = 0; i + 1 < offsets_.size(); ++i) {
    const std::size_t len = offsets_[i + 1] - offsets_[i];
    if (len > longest_) longest_ = len;
  }
}

std::size_t PhraseTable::maxExpansionPerByte() const {
  // A run of spaces or NULs in the newer scheme yields up to 16 bytes.
  return longest_ + 16;
}

void PhraseTable::appendPhrase(std::string& out, std::size_t index, std::size_t limit,
                               std::size_t* badReferences) const {
  if (index >= size()) {
    if (badReferences) ++*badReferences;
    return;
  }
  const std::size_t len = offsets_[index + 1] - offsets_[index];
  const std::size_t take = out.size() + len > limit ? limit - out.size() : len;
  out.append(reinterpret_cast<const char*>(text_.data()) + offsets_[index], take);
}

std::string PhraseTable::expand(std::span<const std::uint8_t> input, std::size_t expectedSize,
                                std::size_t* badReferences) const {
  switch (scheme_) {
    case Scheme::Classic: return expandClassic(input, expectedSize, badReferences);
    case Scheme::Hall: return expandHall(input, expectedSize, badReferences);
    case Scheme::None: break;
  }
  const std::size_t n = input.size() < expectedSize ? input.size() : expectedSize;
  return std::string(reinterpret_cast<const char*>(input.data()), n);
}

std::string PhraseTable::expandClassic(std::span<const std::uint8_t> in, std::size_t limit,
                                       std::size_t* bad) const {
  std::string out;
  std::size_t i = 0;
  while (i < in.size() && out.size() < limit) {
    const std::uint8_t c = in[i];
    if (c == 0 || c >= kPhrasesReferenceEnd || i + 1 >= in.size()) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const unsigned code = 0x100u * c + in[i + 1] - 0x100u;
    i += 2;
    appendPhrase(out, code / 2, limit, bad);
    if ((code & 1) && out.size() < limit) out.push_back(' ');
  }
  return out;
}

std::string PhraseTable::expandHall(std::span<const std::uint8_t> in, std::size_t limit,
                                    std::size_t* bad) const {
  std::string out;
  std::size_t i = 0;
  while (i < in.size() && out.size() < limit) {
    const std::uint8_t c = in[i++];
    if ((c & 1) == 0) {
      appendPhrase(out, c / 2u, limit, bad);
    } else if ((c & 3) == kPhraseCodeLongPhrase) {
      if (i >= in.size()) break;
      appendPhrase(out, kPhraseCodeShortPhrases + (c >> 2) * 256u + in[i++], limit, bad);
    } else if ((c & 7) == kPhraseCodeLiterals) {
      for (std::size_t n = c / 8u + 1; n > 0 && i < in.size() && out.size() < limit; --n) {
        out.push_back(static_cast<char>(in[i++]));
      }
    } else {
      const char fill = (c & 0x0F) == kPhraseCodeSpaces ? ' ' : '\0';
      for (std::size_t n = c / 16u + 1; n > 0 && out.size() < limit; --n) out.push_back(fill);
    }
  }
  return out;
}

}  // namespace hcrtf::dump
