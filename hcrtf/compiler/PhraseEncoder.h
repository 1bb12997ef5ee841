#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::compiler {

// Phrase compression of topic text in the WinHelp 4 form: a dictionary of
// phrases kept in |PhrIndex and |PhrImage (their text LZ77-packed when that
// is smaller), and the byte code for the text itself. Since every byte is
// coded, text of any byte values round-trips. A viewer
// takes a record's text as coded only when its stored length is less than
// the length it expands to, so text that does not get shorter stays plain.
//
// Phrases are matched at the start of a word: one to kMaxWords words joined
// by single spaces, with or without the space that follows.
class PhraseEncoder {
 public:
  static constexpr std::size_t kMaxWords = 3;
  static constexpr std::size_t kMaxPhraseLength = 64;

  // `phrases` in the order of their numbers; the first 128 get one-byte
  // codes. Empty, too long and repeated phrases, and any past kMaxPhrases,
  // are dropped.
  explicit PhraseEncoder(std::vector<std::string> phrases);
  // Copies would view the original's strings; moves keep them in place.
  PhraseEncoder(const PhraseEncoder&) = delete;
  PhraseEncoder& operator=(const PhraseEncoder&) = delete;
  PhraseEncoder(PhraseEncoder&&) = default;
  PhraseEncoder& operator=(PhraseEncoder&&) = default;

  const std::vector<std::string>& phrases() const { return phrases_; }

  // `text` in the byte code. With `uses` (one counter per phrase) each
  // phrase used is counted.
  std::vector<std::uint8_t> encode(std::span<const std::uint8_t> text,
                                   std::vector<std::uint32_t>* uses = nullptr) const;

  // The contents of the two internal files.
  std::vector<std::uint8_t> indexFile() const;
  std::vector<std::uint8_t> imageFile() const;

  // The bytes a word is made of: letters, digits, '_' and every byte of the
  // upper half (the code page's letters).
  static bool isWordByte(std::uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
  }

 private:
  // The number of the longest phrase starting at `at` (a word start), with
  // its end in *end, or -1.
  long longestAt(std::span<const std::uint8_t> text, std::size_t at, std::size_t* end) const;
  void buildImage();

  std::vector<std::string> phrases_;
  // Phrases are a few bytes long and looked up at every word of the text;
  // FNV-1a hashes such keys several times faster than the library's hash.
  // (Not noexcept: that makes the tables keep each key's hash, instead of
  // hashing every key of a bucket again on each lookup.)
  struct ShortTextHash {
    std::size_t operator()(std::string_view text) const {
      std::uint64_t h = 0xCBF29CE484222325ull;
      for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
      return static_cast<std::size_t>(h ^ (h >> 32));
    }
  };

  std::unordered_map<std::string_view, std::uint32_t, ShortTextHash> numbers_;
  std::unordered_set<std::string_view, ShortTextHash> firstWords_;
  std::vector<std::uint8_t> image_;        // the phrases, one after the other
  std::vector<std::uint8_t> packedImage_;  // the same LZ77-packed, or empty when that is not smaller
};

}  // namespace hcrtf::compiler
