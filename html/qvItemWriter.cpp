#include "html/qvItemWriter.h"

void qvItemWriter::writeU8(std::uint8_t value) {
  const char byte = static_cast<char>(value);
  sink_.writeBytes(std::string_view(&byte, 1));
}

void qvItemWriter::writeU16(std::uint16_t value) {
  const char bytes[2] = {static_cast<char>(value >> 8), static_cast<char>(value)};
  sink_.writeBytes(std::string_view(bytes, 2));
}

void qvItemWriter::writeI16(std::int16_t value) { writeU16(static_cast<std::uint16_t>(value)); }

void qvItemWriter::writeI32(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                         static_cast<char>(v)};
  sink_.writeBytes(std::string_view(bytes, 4));
}

void qvItemWriter::writeBytes(std::string_view bytes) { sink_.writeBytes(bytes); }

void qvItemWriter::writeString(std::string_view text) {
  writeI32(static_cast<std::int32_t>(text.size()));
  writeBytes(text);
}
