#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/compiler/Diagnostics.h"
#include "hcrtf/compiler/FontTable.h"
#include "hcrtf/compiler/HelpModel.h"
#include "hcrtf/compiler/HelpProject.h"
#include "hcrtf/compiler/TopicRecord.h"

namespace hcrtf::compiler {

// Turns paragraphs into text records: the paragraph info with its bit-packed
// flags and compressed distances, then the text in LinkData2 and one
// formatting command in LinkData1 per NUL in the text (font changes, breaks,
// tabs, hotspots, pictures, the paragraph end and the end mark).
// Very long paragraphs are split over several records so that no record
// outgrows what a topic block and the compressed length fields can hold.
class ParagraphRecordBuilder {
 public:
  // Gives the picture number (|bmN) for a picture reference, or nothing when
  // the picture cannot be used; the builder then leaves it out.
  using PictureResolver = std::function<std::optional<int>(const PictureRef&)>;

  ParagraphRecordBuilder(Diagnostics& diagnostics, FontTable& fonts, const std::vector<WindowDef>& windows);

  void setPictureResolver(PictureResolver resolver) { pictures_ = std::move(resolver); }

  // Appends the records of `paragraph` of topic `topic` to `out`, and the
  // context strings it defines to `anchors`.
  void build(const Paragraph& paragraph, std::size_t topic, std::vector<TopicRecord>& out,
             std::vector<AnchorAt>& anchors);

  // Appends one table record holding the paragraphs of one table row, in
  // cell order. A row too large for one record is split into several rows of
  // the same columns; one that cannot be split small enough is written as
  // plain paragraphs instead, with a warning.
  void buildTableRow(const std::vector<const Paragraph*>& row, std::size_t topic, std::vector<TopicRecord>& out,
                     std::vector<AnchorAt>& anchors, const SourcePos& where);

  // Forgets the font of the previous paragraph; call at every topic start.
  void startTopic() { lastFont_.reset(); }

  // Limits that make a record split; exposed for tests.
  static constexpr std::size_t kSoftTextLimit = 8000;
  static constexpr std::size_t kHardTextLimit = 28000;
  static constexpr std::size_t kSoftCommandLimit = 2000;
  static constexpr std::size_t kHardCommandLimit = 3500;

 private:
  void beginRecord(const Paragraph& paragraph);
  void content(const Paragraph& paragraph, std::vector<AnchorAt>& anchors, bool maySplit);
  bool buildRowRecords(const std::vector<const Paragraph*>& row, std::vector<AnchorAt>& anchors);
  bool tableRowRecord(const std::vector<const Paragraph*>& row, std::vector<AnchorAt>& anchors);
  void endRecord(bool paragraphEnd);
  void pushRecord(std::uint8_t type, std::span<const std::uint8_t> prefix, bool nonScrolling);
  void command(std::uint8_t code);
  void useFont(const FontSpec& font);
  void text(const std::string& text);
  void hotspot(const Hotspot& hotspot);
  void picture(const PictureRef& picture);
  void splitIfLong();
  void header(const ParagraphFormat& format);

  Diagnostics& diag_;
  FontTable& fonts_;
  const std::vector<WindowDef>& windows_;
  PictureResolver pictures_;
  std::optional<FontSpec> lastFont_;
  std::optional<std::uint16_t> recordFont_;
  const Paragraph* paragraph_ = nullptr;
  std::size_t topic_ = 0;
  std::vector<TopicRecord>* out_ = nullptr;
  ByteWriter data1_;
  std::vector<std::uint8_t> data2_;
  bool inHotspot_ = false;
  bool inTableRow_ = false;  // a table record is never split
};

}  // namespace hcrtf::compiler
