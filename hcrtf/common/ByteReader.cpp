#include "hcrtf/common/ByteReader.h"

#include "hcrtf/common/FormatError.h"

namespace hcrtf {

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::string_view what)
    : data_(data), what_(what) {}

void ByteReader::need(std::size_t count) const {
  if (count > remaining()) {
    throw FormatError(what_ + ": needs " + std::to_string(count) +
                      " more bytes at offset " + std::to_string(pos_) +
                      ", only " + std::to_string(remaining()) + " left");
  }
}

void ByteReader::seek(std::size_t pos) {
  if (pos > data_.size()) {
    throw FormatError(what_ + ": offset " + std::to_string(pos) +
                      " is past the end (" + std::to_string(data_.size()) + " bytes)");
  }
  pos_ = pos;
}

void ByteReader::skip(std::size_t count) {
  need(count);
  pos_ += count;
}

std::uint8_t ByteReader::u8() {
  need(1);
  return data_[pos_++];
}

std::uint8_t ByteReader::peek() const {
  need(1);
  return data_[pos_];
}

std::uint16_t ByteReader::u16() {
  need(2);
  const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
  pos_ += 2;
  return v;
}

std::int16_t ByteReader::i16() { return static_cast<std::int16_t>(u16()); }

std::uint32_t ByteReader::u32() {
  need(4);
  const std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) |
                          (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8) |
                          (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) |
                          (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
  pos_ += 4;
  return v;
}

std::int32_t ByteReader::i32() { return static_cast<std::int32_t>(u32()); }

std::span<const std::uint8_t> ByteReader::bytes(std::size_t count) {
  need(count);
  auto out = data_.subspan(pos_, count);
  pos_ += count;
  return out;
}

std::string ByteReader::cString() {
  const std::size_t start = pos_;
  std::size_t end = start;
  while (end < data_.size() && data_[end] != 0) ++end;
  if (end >= data_.size()) {
    throw FormatError(what_ + ": string at offset " + std::to_string(start) +
                      " has no terminating NUL");
  }
  pos_ = end + 1;
  return std::string(reinterpret_cast<const char*>(data_.data() + start), end - start);
}

std::string ByteReader::fixedString(std::size_t fieldSize) {
  auto field = bytes(fieldSize);
  std::size_t len = 0;
  while (len < field.size() && field[len] != 0) ++len;
  return std::string(reinterpret_cast<const char*>(field.data()), len);
}

std::uint16_t ByteReader::compressedU16() {
  if ((peek() & 1) == 0) return static_cast<std::uint16_t>(u8() / 2);
  return static_cast<std::uint16_t>(u16() / 2);
}

std::int16_t ByteReader::compressedI16() {
  if ((peek() & 1) == 0) return static_cast<std::int16_t>(u8() / 2 - 0x40);
  return static_cast<std::int16_t>(u16() / 2 - 0x4000);
}

std::uint32_t ByteReader::compressedU32() {
  if ((peek() & 1) == 0) return u16() / 2u;
  return u32() / 2u;
}

std::int32_t ByteReader::compressedI32() {
  if ((peek() & 1) == 0) return static_cast<std::int32_t>(u16() / 2u) - 0x4000;
  return static_cast<std::int32_t>(u32() / 2u) - 0x40000000;
}

}  // namespace hcrtf
