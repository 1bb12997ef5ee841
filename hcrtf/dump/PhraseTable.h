#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::dump {

// The phrase dictionary of a phrase-compressed help file and the expansion of
// compressed topic text. Two schemes exist: the older one (|Phrases) and the
// newer one (|PhrIndex with |PhrImage).
class PhraseTable {
 public:
  enum class Scheme { None, Classic, Hall };

  PhraseTable() = default;
  // Read |Phrases; `minor` decides whether the phrase text is LZ77 packed.
  // Throws FormatError when the offsets do not fit the text.
  static PhraseTable fromPhrases(std::span<const std::uint8_t> phrases, std::uint16_t minor);
  // Read |PhrIndex and |PhrImage. Throws FormatError likewise.
  static PhraseTable fromHall(std::span<const std::uint8_t> index,
                              std::span<const std::uint8_t> image);

  Scheme scheme() const { return scheme_; }
  std::size_t size() const { return offsets_.empty() ? 0 : offsets_.size() - 1; }
  std::string phrase(std::size_t index) const;
  // Bytes one input byte can expand to at most: bounds what a record may
  // claim as its expanded size.
  std::size_t maxExpansionPerByte() const;

  // Expands compressed text to at most `expectedSize` bytes. A reference to a
  // phrase that does not exist is counted in *badReferences (if given) and
  // expands to nothing.
  std::string expand(std::span<const std::uint8_t> input, std::size_t expectedSize,
                     std::size_t* badReferences = nullptr) const;

 private:
  void finish();
  void appendPhrase(std::string& out, std::size_t index, std::size_t limit,
                    std::size_t* badReferences) const;
  std::string expandClassic(std::span<const std::uint8_t> in, std::size_t limit,
                            std::size_t* bad) const;
  std::string expandHall(std::span<const std::uint8_t> in, std::size_t limit,
                         std::size_t* bad) const;

  Scheme scheme_ = Scheme::None;
  std::vector<std::uint32_t> offsets_;  // size() + 1 entries into text_
  std::vector<std::uint8_t> text_;
  std::size_t longest_ = 0;
};

}  // namespace hcrtf::dump
