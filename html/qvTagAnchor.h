#pragma once
// <a> and <frame>. While the page is parsed the anchor resolves its target
// against the page (which adds a followed target to the run's URL table) and
// registers its name. In the final pass, when every URL's outcome is known,
// it writes a named anchor as a context string inside the topic, and a link
// as a WinHelp hotspot: a jump to the target's topic when the target was
// converted, an ExecFile macro for what a browser has to open, or a popup
// explaining why the target was not fetched.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "html/qvNamedTag.h"
#include "url/qvLinkResolution.h"

class qvURLStatus;

class qvTagAnchor : public qvNamedTag {
 public:
  static constexpr std::uint8_t kCode = 6;
  static constexpr std::uint8_t kFrameCode = 47;

  using qvNamedTag::qvNamedTag;

  // An end or consumed anchor is dropped; a frame is kept as it is. An <a>
  // with a target takes the following items as its hotspot text, up to the
  // next <a> (an end tag is consumed, a begin tag left in the walk) or a tag
  // that ends a link (a frame, title, hr, the page structure tags, lists,
  // tables, base, blockquote, div, plaintext).
  bool bind(qvItemCursor& following) override;
  // The named anchor's context strings, then the link's hotspot.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagAnchor"; }
  std::string describe() const override;

  bool isFrame() const { return frame_; }
  bool hasTarget() const { return hasTarget_; }
  qvLinkClass classification() const { return classification_; }
  const std::optional<std::string>& name() const { return name_; }

  // A named anchor for the `id` of another element's begin tag `tagChars`,
  // so that links to "page#id" land where the element starts; null when the
  // tag has no id. It writes its context strings only. Made in `arena`, the
  // arena of the list it joins.
  static std::unique_ptr<qvTagAnchor> forElementId(qvHtmlContext& context, std::string_view tagChars,
                                                   qvItemArena& arena);
  // Whether the begin tag of `code` may get such an anchor after it: not
  // the head, title, base and script tags, whose following items are not
  // page content, nor anchors, which read their id themselves.
  static bool takesElementId(std::uint8_t code);

  // The hidden target text of a hotspot that opens `url` in the browser.
  static std::string execFileTarget(const std::string& url);
  // `text` safe inside RTF: backslash and braces escaped, bytes of 128 and
  // above written as \'xx.
  static std::string escapeRtf(const std::string& text);

 protected:
  void constructed() override;

 private:
  // Whether `code` ends the hotspot text of a link.
  static bool endsLink(std::uint8_t code);
  void writeNamedAnchor(qvRtfWriter& out);
  // The hidden target text for this link, writing a popup topic when the
  // link needs one; `popup` tells which hotspot form refers to it.
  std::optional<std::string> chooseTarget(bool& popup);
  std::string writePopup(const std::optional<std::string>& url, const std::string& reasonLine);
  void writeHotspot(qvRtfWriter& out, const std::string& target, bool popup);
  void writeFootnote(qvRtfWriter& out, const std::string& contextString);
  // The URL of the link as it will be shown, or none.
  std::optional<std::string> linkURL(const qvURLStatus* target) const;

  bool frame_ = false;
  bool elementId_ = false;  // stands for another element's id
  bool hasTarget_ = false;
  qvLinkClass classification_ = qvLinkClass::Followed;
  int targetId_ = -1;
  std::optional<std::string> fragment_;
  std::string value_;
  std::optional<std::string> absolute_;
  std::optional<std::string> name_;
  // The hotspot text, owned by the page's item list.
  qvItemRefs owned_;
};
