// Registry files may be edited by hand: parsing must never crash, and what
// parses must survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/qvRegistryFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  qvRegistryDocument doc;
  std::string error;
  if (!doc.parse(text, error)) return 0;
  std::string written = doc.serialise();
  qvRegistryDocument again;
  if (!again.parse(written, error)) std::abort();
  if (again.serialise() != written) std::abort();
  return 0;
}
