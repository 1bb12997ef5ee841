#include "html/qvItemReader.h"

void qvItemReader::require(std::size_t count) const {
  if (count > remaining()) {
    throw qvItemReadError("unexpected end of file (" + std::to_string(count) + " bytes wanted, " +
                          std::to_string(remaining()) + " left)");
  }
}

std::uint8_t qvItemReader::readU8() {
  require(1);
  return static_cast<std::uint8_t>(data_[position_++]);
}

std::uint16_t qvItemReader::readU16() {
  require(2);
  const auto hi = static_cast<std::uint8_t>(data_[position_]);
  const auto lo = static_cast<std::uint8_t>(data_[position_ + 1]);
  position_ += 2;
  return static_cast<std::uint16_t>((hi << 8) | lo);
}

std::int16_t qvItemReader::readI16() { return static_cast<std::int16_t>(readU16()); }

std::int32_t qvItemReader::readI32() {
  require(4);
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<std::uint8_t>(data_[position_ + i]);
  position_ += 4;
  return static_cast<std::int32_t>(v);
}

std::string_view qvItemReader::readBytes(std::size_t count) {
  require(count);
  const std::string_view bytes = data_.substr(position_, count);
  position_ += count;
  return bytes;
}

std::string qvItemReader::readString() { return std::string(readStringView()); }

std::string_view qvItemReader::readStringView() {
  const std::int32_t length = readI32();
  if (length < 0) throw qvItemReadError("negative length " + std::to_string(length));
  return readBytes(static_cast<std::size_t>(length));
}
