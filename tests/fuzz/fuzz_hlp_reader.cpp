// The .hlp reader over arbitrary bytes: the container, every section of the
// dump (topics, phrases, indexes, pictures). Only FormatError may come out.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

#include "hcrtf/common/FormatError.h"
#include "hcrtf/dump/HelpDumper.h"
#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    hcrtf::dump::HelpFile file = hcrtf::dump::HelpFile::fromBytes(std::vector<std::uint8_t>(data, data + size));
    std::ostringstream out;
    hcrtf::dump::HelpDumper(file, hcrtf::dump::DumpOptions()).dump(out);
  } catch (const hcrtf::FormatError&) {
  }
  // The same bytes as a picture file on its own.
  try {
    hcrtf::dump::Picture::parse({data, size}, "fuzz");
  } catch (const hcrtf::FormatError&) {
  }
  return 0;
}
