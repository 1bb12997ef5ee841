#include "html/qvItemWriter.h"

namespace {

// Past this, gathered bytes go to the sink without waiting for ok().
constexpr std::size_t kGatherLimit = 65536;

}  // namespace

void qvItemWriter::writeU8(std::uint8_t value) {
  if (pending_.size() >= kGatherLimit) flush();
  pending_.push_back(static_cast<char>(value));
}

void qvItemWriter::writeU16(std::uint16_t value) {
  const char bytes[2] = {static_cast<char>(value >> 8), static_cast<char>(value)};
  writeBytes(std::string_view(bytes, 2));
}

void qvItemWriter::writeI16(std::int16_t value) { writeU16(static_cast<std::uint16_t>(value)); }

void qvItemWriter::writeI32(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                         static_cast<char>(v)};
  writeBytes(std::string_view(bytes, 4));
}

void qvItemWriter::writeBytes(std::string_view bytes) {
  if (pending_.size() + bytes.size() <= kGatherLimit) {
    pending_.append(bytes);
    return;
  }
  flush();
  sink_.writeBytes(bytes);
}

void qvItemWriter::writeString(std::string_view text) {
  writeI32(static_cast<std::int32_t>(text.size()));
  writeBytes(text);
}

void qvItemWriter::flush() {
  if (pending_.empty()) return;
  sink_.writeBytes(pending_);
  pending_.clear();
}
