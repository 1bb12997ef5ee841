// The help compiler's project reader over arbitrary text: sections, options,
// windows, map lines (with #include of whatever the text names), aliases and
// baggage lists. Reading always ends; nothing may throw.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/ProjectReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hcrtf::compiler::Diagnostics diag(nullptr);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  hcrtf::compiler::ProjectReader(diag).parse(text, std::filesystem::temp_directory_path() / "fuzz.hpj");
  return 0;
}
