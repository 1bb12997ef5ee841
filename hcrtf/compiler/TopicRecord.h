#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/Diagnostics.h"

namespace hcrtf::compiler {

// One TOPICLINK of the |TOPIC file before layout: its record type and its
// two data parts. The link header itself is produced by the layout.
struct TopicRecord {
  std::uint8_t type = kRecordText;
  std::vector<std::uint8_t> data1;  // LinkData1
  std::vector<std::uint8_t> data2;  // LinkData2 as the viewer reads it
  // LinkData2 phrase-compressed, when that is shorter; empty otherwise. The
  // viewer tells the two apart by the stored length being less than DataLen2.
  std::vector<std::uint8_t> phrased2;
  std::size_t topic = 0;            // index of the topic it belongs to
  bool nonScrolling = false;        // text of the topic's non-scrolling region

  // The LinkData2 bytes written to the file.
  const std::vector<std::uint8_t>& stored2() const { return phrased2.empty() ? data2 : phrased2; }
  std::size_t size() const { return kTopicLinkHeaderSize + data1.size() + stored2().size(); }
};

// A context string that points into a text record: the help file maps it to
// the record's position plus `charOffset` characters.
struct AnchorAt {
  std::string context;
  std::size_t record = 0;
  std::uint32_t charOffset = 0;
  SourcePos where;
};

}  // namespace hcrtf::compiler
