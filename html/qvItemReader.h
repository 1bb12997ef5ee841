#pragma once
// Reads back what qvItemWriter wrote. The reader works over bytes already in
// memory, so every length a file claims is checked against what is really
// there before anything is allocated for it; a short or lying file raises
// qvItemReadError instead of reading past the end.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

class qvItemReadError : public std::runtime_error {
 public:
  explicit qvItemReadError(const std::string& text) : std::runtime_error(text) {}
};

class qvItemReader {
 public:
  explicit qvItemReader(std::string_view data) : data_(data) {}

  bool atEnd() const { return position_ >= data_.size(); }
  std::size_t remaining() const { return data_.size() - position_; }
  std::size_t position() const { return position_; }

  std::uint8_t readU8();
  bool readBool() { return readU8() != 0; }
  std::int16_t readI16();
  std::uint16_t readU16();
  std::int32_t readI32();
  // Exactly `count` bytes, viewed in place.
  std::string_view readBytes(std::size_t count);
  // A 32-bit length and that many bytes; a negative length or one beyond
  // the data is an error.
  std::string readString();
  // The same, viewed in place.
  std::string_view readStringView();

 private:
  void require(std::size_t count) const;

  std::string_view data_;
  std::size_t position_ = 0;
};
