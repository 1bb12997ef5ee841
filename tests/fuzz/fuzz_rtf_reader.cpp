// Feeds arbitrary bytes to the help compiler's RTF reader, then builds the
// text records of whatever topics came out, so both the reader and the
// record builder meet hostile input.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/FontTable.h"
#include "hcrtf/compiler/ParagraphRecordBuilder.h"
#include "hcrtf/compiler/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hcrtf::compiler::Diagnostics diag(nullptr);
  std::vector<hcrtf::compiler::Topic> topics;
  hcrtf::compiler::RtfReader reader(diag, topics);
  reader.read(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.rtf");
  hcrtf::compiler::FontTable fonts;
  const std::vector<hcrtf::compiler::WindowDef> windows(1, hcrtf::compiler::WindowDef{"main", "", {}, {}, {}, {}, false, {}, {}, {}});
  hcrtf::compiler::ParagraphRecordBuilder builder(diag, fonts, windows);
  std::vector<hcrtf::compiler::TopicRecord> records;
  std::vector<hcrtf::compiler::AnchorAt> anchors;
  for (std::size_t t = 0; t < topics.size(); ++t) {
    builder.startTopic();
    for (const auto& paragraph : topics[t].paragraphs) builder.build(paragraph, t, records, anchors);
  }
  fonts.serialize();
  return 0;
}
