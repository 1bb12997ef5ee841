#include "html/qvTagAnchor.h"


#include <algorithm>
#include <cctype>
#include <cstdio>

#include "url/qvLinkResolver.h"
#include "url/qvUrlOutcome.h"
#include "html/qvContextString.h"
#include "html/qvHtmlContext.h"
#include "html/qvItemArena.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "rtf/qvByteSink.h"
#include "rtf/qvRtfWriter.h"

namespace {

bool startsWithIdh(const std::string& name) {
  if (name.size() < 4) return false;
  std::string head = name.substr(0, 4);
  std::transform(head.begin(), head.end(), head.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return head == "idh_";
}

void writeOptional(qvItemWriter& out, const std::optional<std::string>& text) {
  out.writeBool(text.has_value());
  out.writeString(text.value_or(""));
}

std::optional<std::string> readOptional(qvItemReader& in) {
  const bool present = in.readBool();
  std::string text = in.readString();
  return present ? std::optional<std::string>(std::move(text)) : std::nullopt;
}

}  // namespace

std::unique_ptr<qvTagAnchor> qvTagAnchor::forElementId(qvHtmlContext& context, std::string_view tagChars,
                                                       qvItemArena& arena) {
  auto anchor = arena.make<qvTagAnchor>(context);
  anchor->keepTextIn(&arena);
  anchor->elementId_ = true;
  anchor->setTypeCode(kCode);
  // The element's own construction decided how the text after it starts.
  const bool dropBreak = context.dropNextLeadingBreak;
  construct(*anchor, tagChars);
  context.dropNextLeadingBreak = dropBreak;
  if (anchor->isEndTag() || !anchor->name_) return nullptr;
  return anchor;
}

bool qvTagAnchor::takesElementId(std::uint8_t code) {
  switch (code) {
    case kCode: case kFrameCode:            // anchors
    case 9: case 13: case 14: case 15:      // title, html, head, body
    case 27: case 28:                       // base, basefont
    case 46: case 48: case 51:              // plaintext family, script, style
      return false;
    default:
      return true;
  }
}

void qvTagAnchor::constructed() {
  frame_ = !elementId_ && tagName() == "frame";
  if (frame_) setTypeCode(kFrameCode);
  if (isEndTag()) return;
  qvHtmlContext& run = context();
  qvURLStatus* page = run.urlTable().currentPage();
  std::optional<std::string> name = elementId_ ? std::nullopt : getAttribute("name");
  if ((!name || name->empty()) && !frame_) name = getAttribute("id");
  if (name && !name->empty()) {
    name_ = name;
    if (page != nullptr) run.urlTable().anchorName(*page, *name);
    if (startsWithIdh(*name)) {
      run.urlTable().helpIds().emplace(qvContextString::fromName(*name), static_cast<int>(run.urlTable().helpIds().size()) + 1);
    }
  }
  if (elementId_) return;
  const std::optional<std::string> value = getAttribute(frame_ ? "src" : "href");
  if (!value) return;
  hasTarget_ = true;
  value_ = *value;
  if (page == nullptr) return;
  const qvLinkResolution link = qvLinkResolver(run.urlTable()).resolveLink(*page, *value);
  classification_ = link.classification;
  targetId_ = link.target != nullptr ? link.target->id : -1;
  fragment_ = link.fragment;
  absolute_ = link.absolute;
}

bool qvTagAnchor::endsLink(std::uint8_t code) {
  // A frame is a link of its own: a link's text never takes one in.
  return code == kCode || code == kFrameCode || code == 9 || code == 11 || (code >= 13 && code <= 15) || (code >= 17 && code <= 28) ||
         (code >= 44 && code <= 46);
}

bool qvTagAnchor::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  if (frame_ || !hasTarget_) return true;
  qvHtmlInterface* stop = takeFollowing(following, owned_, [](qvHtmlInterface& item) {
    const qvHtmlTag* tag = item.asTag();
    return tag != nullptr && !item.isConsumed() && endsLink(tag->typeCode());
  });
  if (stop != nullptr && stop->asTag()->typeCode() == kCode && stop->asTag()->isEndTag()) stop->markConsumed();
  return true;
}

void qvTagAnchor::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (isEndTag()) return;
  if (frame_) {
    out.writePendingParagraphFirst(*this);
    writeAttributeChanges(out);
    out.writeSeparators(*this);
    out.write("Frame ");
    out.textWritten();
  }
  if (name_) writeNamedAnchor(out);
  if (!hasTarget_ || (!frame_ && owned_.empty())) return;
  bool popup = false;
  const std::optional<std::string> target = chooseTarget(popup);
  if (!target) {
    qvWriteItems(owned_, out);
    return;
  }
  writeHotspot(out, *target, popup);
}

void qvTagAnchor::writeFootnote(qvRtfWriter& out, const std::string& contextString) {
  if (!context().contextStringsWritten.insert(contextString).second) return;
  out.writeSeparators(*this);
  // An element's id marks where the element starts; a blank there would
  // show, at the start of a heading or between two words.
  out.write("{#{\\footnote " + contextString + (elementId_ ? "}}" : "}} "));
}

void qvTagAnchor::writeNamedAnchor(qvRtfWriter& out) {
  qvHtmlContext& run = context();
  const qvURLStatus* page = run.urlTable().currentPage();
  if (page == nullptr) {
    log("Internal error : no status for URL " + value_ + " in qvTagAnchor");
    return;
  }
  const std::optional<std::string> generated = run.urlTable().findAnchorName(*page, *name_);
  if (generated) writeFootnote(out, page->documentName + "_" + *generated);
  if (startsWithIdh(*name_)) writeFootnote(out, qvContextString::fromName(*name_));
}

std::optional<std::string> qvTagAnchor::linkURL(const qvURLStatus* target) const {
  if (target != nullptr) return target->url;
  if (absolute_ && !absolute_->empty()) return absolute_;
  if (!value_.empty()) return value_;
  return std::nullopt;
}

std::optional<std::string> qvTagAnchor::chooseTarget(bool& popup) {
  qvHtmlContext& run = context();
  popup = true;
  switch (classification_) {
    case qvLinkClass::Cgi:
      return "*" + writePopup(linkURL(nullptr), qvUrlOutcome::cgiReasonLine());
    case qvLinkClass::UnsupportedProtocol: {
      const std::optional<std::string> url = linkURL(nullptr);
      if (!url) return std::string("*excluded");
      popup = false;
      return execFileTarget(*url + (fragment_ ? "#" + *fragment_ : ""));
    }
    case qvLinkClass::UnknownProtocol:
      return std::string("*unknownprotocol");
    case qvLinkClass::EmptyFragment:
    case qvLinkClass::FileFromRemote:
      return std::string("*notfollowed");
    case qvLinkClass::Followed:
    case qvLinkClass::SamePage:
      break;
  }
  qvURLStatus* target = targetId_ >= 0 ? run.urlTable().statusById(targetId_) : nullptr;
  if (target == nullptr) {
    log("Internal error : no status for URL " + linkURL(nullptr).value_or(value_) + " in qvTagAnchor");
    return std::nullopt;
  }
  if (target->converted) {
    popup = false;
    std::string jump = target->documentName;
    if (!fragment_) return jump;
    const std::optional<std::string> anchor = run.urlTable().findAnchorName(*target, *fragment_);
    return anchor ? jump + "_" + *anchor : jump;
  }
  if (target->isFTP) {
    popup = false;
    return execFileTarget(target->url + (fragment_ ? "#" + *fragment_ : ""));
  }
  if (target->imageNotFetched) return std::string("*image");
  return "*" + writePopup(target->url, qvUrlOutcome::popupReasonLine(*target, false));
}

std::string qvTagAnchor::writePopup(const std::optional<std::string>& url, const std::string& reasonLine) {
  qvHtmlContext& run = context();
  const std::string name = "popup_" + std::to_string(run.popupCounter++);
  if (run.popupStream == nullptr) return name;
  std::string topic = "#{\\footnote # " + name + "}\r\n{\r\n";
  if (url) {
    const std::string shown = escapeRtf(*url);
    topic += "{\\ul\\cf2 " + shown + "}{\\v " + escapeRtf(execFileTarget(*url)) + "} \r\n";
  }
  topic += reasonLine + "\r\n}\r\n\\page\r\n";
  run.popupStream->writeBytes(topic);
  return name;
}

void qvTagAnchor::writeHotspot(qvRtfWriter& out, const std::string& target, bool popup) {
  out.writePendingParagraphFirst(*this);
  writeAttributeChanges(out);
  out.writeSeparators(*this);
  out.writeControlWords(std::string(popup ? "{\\ul" : "{\\uldb") +
                        (target.starts_with("*!ExecFile(") ? "\\cf3" : "\\cf2"));
  out.enterHotspot();
  if (frame_) {
    out.writeSeparators(*this);
    out.write(escapeRtf(value_));
    out.textWritten();
  } else {
    qvWriteItems(owned_, out);
  }
  out.leaveHotspot();
  writeAttributeChanges(out);
  out.writeHotspotTarget(escapeRtf(target));
}

std::string qvTagAnchor::execFileTarget(const std::string& url) { return "*!ExecFile(\"" + url + "\")"; }

std::string qvTagAnchor::escapeRtf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 128) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", byte);
      out += hex;
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (byte >= 32) {
      out += c;
    }
  }
  return out;
}

std::string qvTagAnchor::describe() const { return isEndTag() ? "TagAnchor ( end )" : "TagAnchor ( begin )"; }

bool qvTagAnchor::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeBool(frame_);
  out.writeBool(elementId_);
  out.writeBool(hasTarget_);
  out.writeU8(static_cast<std::uint8_t>(classification_));
  out.writeI32(targetId_);
  writeOptional(out, fragment_);
  out.writeString(value_);
  writeOptional(out, absolute_);
  writeOptional(out, name_);
  return out.ok();
}

void qvTagAnchor::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  frame_ = in.readBool();
  elementId_ = in.readBool();
  hasTarget_ = in.readBool();
  const std::uint8_t kind = in.readU8();
  if (kind > static_cast<std::uint8_t>(qvLinkClass::UnknownProtocol)) throw qvItemReadError("bad link class");
  classification_ = static_cast<qvLinkClass>(kind);
  targetId_ = in.readI32();
  fragment_ = readOptional(in);
  value_ = in.readString();
  absolute_ = readOptional(in);
  name_ = readOptional(in);
}
