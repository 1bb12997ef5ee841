#include "hcrtf/common/ByteWriter.h"

#include <stdexcept>

namespace hcrtf {

void ByteWriter::u8(std::uint8_t v) { data_.push_back(v); }

void ByteWriter::u16(std::uint16_t v) {
  data_.push_back(static_cast<std::uint8_t>(v & 0xFF));
  data_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32(std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) {
    data_.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
  }
}

void ByteWriter::bytes(std::span<const std::uint8_t> v) {
  data_.insert(data_.end(), v.begin(), v.end());
}

void ByteWriter::zeros(std::size_t count) { data_.resize(data_.size() + count, 0); }

void ByteWriter::cString(std::string_view text) {
  data_.insert(data_.end(), text.begin(), text.end());
  data_.push_back(0);
}

void ByteWriter::fixedString(std::string_view text, std::size_t fieldSize) {
  if (fieldSize == 0) return;
  const std::size_t len = text.size() < fieldSize ? text.size() : fieldSize - 1;
  data_.insert(data_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(len));
  zeros(fieldSize - len);
}

void ByteWriter::compressedU16(std::uint16_t v) {
  if (v > 0x7FFF) throw std::out_of_range("compressed unsigned short out of range");
  if (v < 0x80) {
    u8(static_cast<std::uint8_t>(v * 2));
  } else {
    u16(static_cast<std::uint16_t>(v * 2 + 1));
  }
}

void ByteWriter::compressedI16(std::int16_t v) {
  if (v < -0x4000 || v > 0x3FFF) throw std::out_of_range("compressed short out of range");
  if (v >= -0x40 && v < 0x40) {
    u8(static_cast<std::uint8_t>((v + 0x40) * 2));
  } else {
    u16(static_cast<std::uint16_t>((v + 0x4000) * 2 + 1));
  }
}

void ByteWriter::compressedU32(std::uint32_t v) {
  if (v > 0x7FFFFFFFu) throw std::out_of_range("compressed unsigned long out of range");
  if (v < 0x8000) {
    u16(static_cast<std::uint16_t>(v * 2));
  } else {
    u32(v * 2 + 1);
  }
}

void ByteWriter::compressedI32(std::int32_t v) {
  if (v < -0x40000000 || v > 0x3FFFFFFF) throw std::out_of_range("compressed long out of range");
  if (v >= -0x4000 && v < 0x4000) {
    u16(static_cast<std::uint16_t>((v + 0x4000) * 2));
  } else {
    u32(static_cast<std::uint32_t>(v + 0x40000000) * 2 + 1);
  }
}

void ByteWriter::patchU16(std::size_t offset, std::uint16_t v) {
  if (offset + 2 > data_.size()) throw std::out_of_range("patch outside written bytes");
  data_[offset] = static_cast<std::uint8_t>(v & 0xFF);
  data_[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

void ByteWriter::patchU32(std::size_t offset, std::uint32_t v) {
  if (offset + 4 > data_.size()) throw std::out_of_range("patch outside written bytes");
  for (int i = 0; i < 4; ++i) {
    data_[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
  }
}

}  // namespace hcrtf
