#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace hcrtf {

// Builds a byte buffer in the help file's little-endian layout: the mirror of
// ByteReader, including its compressed numbers, plus patching of values whose
// final content is only known later (sizes, back-pointers).
class ByteWriter {
 public:
  std::size_t size() const { return data_.size(); }
  const std::vector<std::uint8_t>& data() const { return data_; }
  std::vector<std::uint8_t> take() { return std::move(data_); }

  void u8(std::uint8_t v);
  void u16(std::uint16_t v);
  void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
  void u32(std::uint32_t v);
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void bytes(std::span<const std::uint8_t> v);
  void zeros(std::size_t count);
  // The text and then a NUL.
  void cString(std::string_view text);
  // The text cut or NUL-padded to exactly fieldSize bytes; the last byte of
  // the field is always a NUL, so readers that expect one find it.
  void fixedString(std::string_view text, std::size_t fieldSize);

  // Compressed numbers; each throws std::out_of_range for a value the form
  // cannot hold (unsigned 16: 0..32767, signed 16: -16384..16383, unsigned 32:
  // 0..2^31-1, signed 32: -2^30..2^30-1).
  void compressedU16(std::uint16_t v);
  void compressedI16(std::int16_t v);
  void compressedU32(std::uint32_t v);
  void compressedI32(std::int32_t v);

  // Overwrites bytes already written; throws std::out_of_range outside them.
  void patchU16(std::size_t offset, std::uint16_t v);
  void patchU32(std::size_t offset, std::uint32_t v);

 private:
  std::vector<std::uint8_t> data_;
};

}  // namespace hcrtf
