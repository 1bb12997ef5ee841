#pragma once
// Writes the fields of saved items: big-endian numbers and byte strings, in
// the form qvItemReader reads back. Fields are gathered in memory and handed
// to the sink in blocks of 64 KiB, on flush() and when the writer goes: an
// item is a dozen small fields, and a sink call for each cost more than
// building the item.

#include <cstdint>
#include <string>
#include <string_view>

#include "rtf/qvByteSink.h"

class qvItemWriter {
 public:
  explicit qvItemWriter(qvByteSink& sink) : sink_(sink) {}
  ~qvItemWriter() { flush(); }
  qvItemWriter(const qvItemWriter&) = delete;
  qvItemWriter& operator=(const qvItemWriter&) = delete;

  void writeU8(std::uint8_t value);
  void writeBool(bool value) { writeU8(value ? 1 : 0); }
  void writeI16(std::int16_t value);
  void writeU16(std::uint16_t value);
  void writeI32(std::int32_t value);
  // Raw bytes, no length.
  void writeBytes(std::string_view bytes);
  // A 32-bit length followed by the bytes.
  void writeString(std::string_view text);
  // False once the sink lost a write (what is still gathered is not
  // counted until it is flushed).
  bool ok() const { return !sink_.failed(); }
  // Hands what was gathered to the sink.
  void flush();

 private:
  qvByteSink& sink_;
  std::string pending_;
};
