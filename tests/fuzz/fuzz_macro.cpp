// Feeds arbitrary bytes to the help compiler's macro normaliser. Whatever it
// accepts, its own output must be accepted again and left as it is: a macro
// rewritten once is already in the viewer's form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hcrtf/compiler/MacroNormaliser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const hcrtf::compiler::MacroNormaliser normaliser("fuzz.hlp");
  const auto once = normaliser.normalise(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!once) return 0;
  const auto twice = normaliser.normalise(*once);
  if (!twice || *twice != *once) std::abort();
  return 0;
}
