#include "html/qvItemArena.h"

#include <cstring>

namespace {

// Big enough that a typical page's items fit in a few blocks; the resource
// grows its blocks geometrically for the rare huge page.
constexpr std::size_t kFirstBlock = 64 * 1024;

}  // namespace

qvItemArena::qvItemArena() : memory_(kFirstBlock) {}

std::string_view qvItemArena::keep(std::string_view text) {
  if (text.empty()) return {};
  auto* copy = static_cast<char*>(memory_.allocate(text.size(), 1));
  std::memcpy(copy, text.data(), text.size());
  return {copy, text.size()};
}
