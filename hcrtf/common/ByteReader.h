#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace hcrtf {

// A cursor over a byte buffer it does not own, reading the little-endian
// integers, strings and "compressed" variable-length numbers of help files.
// Every read is checked against the end of the buffer; running past it
// throws FormatError naming `what` (e.g. "|SYSTEM"), so a caller never sees
// a half-read value.
class ByteReader {
 public:
  ByteReader(std::span<const std::uint8_t> data, std::string_view what);

  std::size_t position() const { return pos_; }
  std::size_t size() const { return data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ >= data_.size(); }
  std::span<const std::uint8_t> data() const { return data_; }

  // Moves to an absolute position; the end of the buffer itself is allowed.
  void seek(std::size_t pos);
  void skip(std::size_t count);

  std::uint8_t u8();
  std::uint16_t u16();
  std::int16_t i16();
  std::uint32_t u32();
  std::int32_t i32();
  // The next byte without consuming it.
  std::uint8_t peek() const;

  std::span<const std::uint8_t> bytes(std::size_t count);
  // A NUL-terminated string; the NUL is consumed, not returned. A string
  // that runs into the end of the buffer is an error.
  std::string cString();
  // A fixed-size field holding a string padded with NULs (or filling it).
  std::string fixedString(std::size_t fieldSize);

  // The compressed numbers of topic records and pictures: the low bit of the
  // first byte says whether the value takes one or two units.
  std::uint16_t compressedU16();  // 1 or 2 bytes
  std::int16_t compressedI16();   // 1 or 2 bytes, biased
  std::uint32_t compressedU32();  // 2 or 4 bytes
  std::int32_t compressedI32();   // 2 or 4 bytes, biased

 private:
  void need(std::size_t count) const;

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::string what_;
};

}  // namespace hcrtf
