#pragma once
// The conversion context: one per process, reached by every prototype and
// every tag. Besides the user interface and the driver's settings it holds
// the tokenizer's per-page state (exclusive mode, the text run created last,
// the drop-next-leading-break flag), the attribute list of the tag being
// constructed, the expressions compiled once per run for text runs, entities
// and attributes, and a 65,536-byte scratch buffer. It holds the run's URL
// table (page being converted, base URL, topic colours).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "html/qvPattern.h"
#include "url/qvURLTable.h"

class qvByteSink;
class qvHtmlText;
class qvImageConverter;
class qvImgLib;
class qvUserInterface;
struct qvDriverSettings;

class qvHtmlContext {
 public:
  static constexpr std::size_t kScratchSize = 65536;

  // `ui` and `settings` must outlive the context.
  qvHtmlContext(qvUserInterface& ui, qvDriverSettings& settings);
  ~qvHtmlContext();
  qvHtmlContext(const qvHtmlContext&) = delete;
  qvHtmlContext& operator=(const qvHtmlContext&) = delete;

  qvUserInterface& ui() const { return ui_; }
  qvDriverSettings& settings() const { return settings_; }
  // The run's URLs, their outcomes, and the page being converted.
  qvURLTable& urlTable() { return urlTable_; }
  const qvURLTable& urlTable() const { return urlTable_; }
  // Scratch space for short-lived work, kScratchSize bytes.
  char* scratch() { return scratch_.data(); }

  // Forgets the per-page tokenizer state; called before each page.
  void beginPage();

  // ---- Tokenizer state ----
  // Type code of the tag whose end tag alone is recognised, 0 when off.
  std::uint8_t exclusiveMode = 0;
  // The text run created last, until the next tag is constructed.
  qvHtmlText* lastTextRun = nullptr;
  // The next text run drops a leading line break.
  bool dropNextLeadingBreak = false;
  // Text runs created this run.
  long textItemCount = 0;

  // ---- Run-wide binding state used by the tag classes ----
  bool bindingInsideTable = false;
  bool nestedTables = false;
  int listDepth = 0;
  int definitionListDepth = 0;
  // Containers (lists, tables, captions) being bound inside each other.
  int ownershipDepth = 0;

  // ---- Pictures ----
  // The converter the driver initialised at start-up; null when none.
  qvImgLib* imageLibrary = nullptr;
  // Where image tags get their bitmaps while their page is parsed; null
  // outside a run (the tags then keep no bitmap).
  qvImageConverter* imageConverter = nullptr;

  // ---- Final pass: link notes ----
  // Where anchors write the popup topics that explain links not converted;
  // null outside the final pass.
  qvByteSink* popupStream = nullptr;
  // Popup topics written so far; numbers their context strings "popup_" + n.
  int popupCounter = 0;
  // Context strings the topic being written defines so far: a name a page
  // uses twice is defined once, where it first stands.
  std::unordered_set<std::string> contextStringsWritten;

  // ---- Attribute list of the tag being constructed ----
  // Fills the list from the text after a tag's name; names are lower-cased,
  // values lose their surrounding quotes (double or single, as pages write
  // both) and outer blanks.
  void parseAttributes(std::string_view text);
  void clearAttributes() { attributeCount_ = 0; }
  bool hasAttribute(std::string_view name) const;
  bool attributeEquals(std::string_view name, std::string_view value) const;
  std::optional<std::string> getAttribute(std::string_view name) const;
  std::span<const std::pair<std::string, std::string>> attributes() const {
    return {attributes_.data(), attributeCount_};
  }

  // ---- Expressions compiled once per run ----
  qvPattern& entityPattern() { return entityPattern_; }

 private:
  qvUserInterface& ui_;
  qvDriverSettings& settings_;
  qvURLTable urlTable_;
  std::vector<char> scratch_;
  // Entries past attributeCount_ are kept for their buffers: every tag has
  // its attributes read, and most values are too long to be kept without
  // an allocation each time.
  std::vector<std::pair<std::string, std::string>> attributes_;
  std::size_t attributeCount_ = 0;
  void addAttribute(std::string_view name, std::string_view value);
  qvPattern entityPattern_;
  qvPattern valuedAttributePattern_;
  qvPattern bareAttributePattern_;
};
