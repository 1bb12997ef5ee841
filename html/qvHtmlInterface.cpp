#include "html/qvHtmlInterface.h"

#include <cstddef>
#include <new>

#include "html/qvItemArena.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"

bool qvHtmlInterface::save(qvItemWriter& out) const {
  out.writeU8(heading());
  out.writeU8(alignment());
  out.writeU8(indent());
  out.writeU8(fontSize());
  out.writeU16(style());
  return out.ok();
}

void qvHtmlInterface::restore(qvItemReader& in) {
  setHeading(in.readU8());
  setAlignment(in.readU8());
  setIndent(in.readU8());
  setFontSize(in.readU8());
  setStyleWord(in.readU16());
}

namespace {

// Keeps the object aligned for anything it may hold.
constexpr std::size_t kHeaderSize = alignof(std::max_align_t);
enum : unsigned char { kOnHeap = 0, kInArena = 1 };

void* markBlock(void* block, unsigned char where) {
  auto* bytes = static_cast<unsigned char*>(block);
  bytes[0] = where;
  return bytes + kHeaderSize;
}

}  // namespace

void* qvHtmlInterface::operator new(std::size_t size) {
  return markBlock(::operator new(size + kHeaderSize), kOnHeap);
}

void* qvHtmlInterface::operator new(std::size_t size, qvItemArena& arena) {
  return markBlock(arena.allocate(size + kHeaderSize), kInArena);
}

void qvHtmlInterface::operator delete(void* object) {
  if (object == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(object) - kHeaderSize;
  if (block[0] == kOnHeap) ::operator delete(block);
}

void qvHtmlInterface::operator delete(void* /*object*/, qvItemArena& /*arena*/) {}
