#pragma once
// Text items: a slice of characters plus the formatting record. A text run
// refers to the page's own characters by offset and count (pages can be
// tens of megabytes; runs never copy them); an entity refers to the entity
// table's one-character array. writeText turns the slice into RTF: escaping,
// white-space collapsing outside preformatted text, \line for preformatted
// line breaks, and the separators tags left pending.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/qvHtmlInterface.h"

class qvHtmlContext;
class qvRtfWriter;

class qvHtmlText : public qvHtmlInterface {
 public:
  // How a run loses a line break that a neighbouring tag already gives.
  enum TrimKind : std::uint8_t { kTrimNone = 0, kTrimLeadingBreak = 1, kTrimTrailingBreak = 2 };

  // A run over `count` characters of `base` from `offset`.
  qvHtmlText(const char* base, std::size_t offset, std::size_t count);

  std::string_view chars() const { return std::string_view(base_ + offset_, count_); }
  std::size_t offset() const { return offset_; }
  std::uint8_t trimKind() const { return trim_; }
  void setTrimKind(std::uint8_t kind) { trim_ = kind; }
  // Takes the next `count` characters of the same array into the run.
  void extendBy(std::size_t count) { count_ += static_cast<std::uint32_t>(count); }

  bool isConsumed() const override { return consumed_; }
  void markConsumed() override { consumed_ = true; }
  std::size_t length() const override { return count_; }
  std::uint8_t recordCode() const override { return kRecordCode; }
  // Writes the characters as RTF into `out` (see the header comment).
  void writeText(qvRtfWriter& out) const;

  std::string describe() const override;
  qvHtmlText* asText() override { return this; }

  // Saves the formatting record, the trim kind and where the characters
  // are: a slice of the page, or one character of the entity table.
  bool save(qvItemWriter& out) const override;
  // Reads a saved text item over `page`; a slice outside the page is an
  // error, not a read past its end.
  static std::unique_ptr<qvHtmlText> restoreText(qvItemReader& in, std::string_view page, qvItemArena& arena);

  static constexpr std::uint8_t kRecordCode = 0x61;

 protected:
  // True when the characters are the entity table's, not the page's.
  virtual bool isEntity() const { return false; }

 private:
  std::string_view trimmed() const;
  void writePreformatted(qvRtfWriter& out, std::string_view text) const;
  void writeFlowing(qvRtfWriter& out, std::string_view text) const;

  // 32-bit positions keep the millions of runs of a large page small; the
  // intermediate file stores them in 32 bits as well.
  const char* base_;
  std::uint32_t offset_;
  std::uint32_t count_;
  std::uint8_t trim_ = kTrimNone;
  bool consumed_ = false;
};

// A text run of the page: one character of any kind and everything up to
// the next '<', '>' or '&'.
class qvHtmlTextString : public qvHtmlText {
 public:
  // The prototype.
  explicit qvHtmlTextString(qvHtmlContext& context);
  // An item over the page.
  qvHtmlTextString(const char* page, std::size_t offset, std::size_t count);

  std::size_t match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) override;
  std::unique_ptr<qvHtmlInterface> create(const qvHtmlInterface* previous, std::string_view page,
                                          std::size_t position, qvItemArena& arena) override;

 private:
  qvHtmlContext* context_ = nullptr;
  std::size_t pendingLength_ = 0;
};

// An entity reference ("&amp;", "&#169;") resolved to one character.
// Unknown names and codes above 255 are not entities: they stay as text.
class qvHtmlEscape : public qvHtmlText {
 public:
  // The prototype.
  explicit qvHtmlEscape(qvHtmlContext& context);
  // An item for character `code`.
  explicit qvHtmlEscape(std::uint8_t code);

  std::size_t match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) override;
  std::unique_ptr<qvHtmlInterface> create(const qvHtmlInterface* previous, std::string_view page,
                                          std::size_t position, qvItemArena& arena) override;
  std::size_t length() const override { return sourceLength_; }
  std::string describe() const override { return "htmlEscape( )"; }

 protected:
  bool isEntity() const override { return true; }

 private:
  qvHtmlContext* context_ = nullptr;
  std::uint8_t pendingCode_ = 0;
  std::size_t pendingLength_ = 0;
  std::size_t sourceLength_ = 1;
};
