#include "html/qvTagImg.h"

#include <algorithm>
#include <cstring>

#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlText.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTagValues.h"
#include "image/qvImageConverter.h"
#include "rtf/qvRtfWriter.h"
#include "url/qvURLCanonicaliser.h"

namespace {

// Pictures larger than this are not asked for by any real page; the bound
// keeps later size arithmetic far from overflow.
constexpr int kMaxImageSize = 32767;

std::string fileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int qvTagImg::sizeAttribute(const char* name) const {
  const std::optional<int> value = qvTagValues::parseInteger(getAttribute(name).value_or(""));
  return value ? std::clamp(*value, 0, kMaxImageSize) : 0;
}

void qvTagImg::constructed() {
  if (isEndTag()) return;
  width_ = sizeAttribute("width");
  height_ = sizeAttribute("height");
  alignment_ = qvTagValues::parseAlignment(getAttribute("align").value_or(""));
  const std::optional<std::string> src = getAttribute("src");
  if (!src || src->empty()) return;
  qvURLStatus* page = context().urlTable().currentPage();
  const std::string base = page != nullptr ? page->baseURL : std::string();
  const std::optional<std::string> absolute = qvURLCanonicaliser::absoluteURL(base, *src);
  if (!absolute) {
    log("Malformed URL in image tag (" + *src + ")");
    return;
  }
  imageURL_ = *absolute;
  // The user asked for no pictures: the topic says that something of its
  // page was left out, and nothing is fetched.
  if (context().settings().noImages) {
    if (page != nullptr) page->elementsSkipped = true;
    return;
  }
  // Converted while the page is parsed, so that the page's item file keeps
  // the bitmap for the final pass.
  qvImageConverter* images = context().imageConverter;
  if (images == nullptr) return;
  bitmapPath_ = images->addImage(imageURL_, width_, height_, page != nullptr ? page->url : std::string()).value_or("");
}

// With pictures turned off an image leaves no trace in its topic (not even
// the error text).
bool qvTagImg::bind(qvItemCursor& /*following*/) {
  return !isConsumed() && !isEndTag() && !imageURL_.empty() && !context().settings().noImages;
}

void qvTagImg::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (bitmapPath_.empty()) {
    qvHtmlTextString error(kErrorText, 0, std::strlen(kErrorText));
    error.copyFrom(*this);
    error.setBold();
    error.writeText(out);
  } else {
    if (alignment_ == qvTagValues::kAlignCentre) setAlignment(qvTagValues::kAlignCentre);
    out.writePendingParagraphFirst(*this);
    writeAttributeChanges(out);
    out.writeSeparators(*this);
    const char kind = alignment_ == qvTagValues::kAlignLeft ? 'l' : alignment_ == qvTagValues::kAlignRight ? 'r' : 'c';
    out.write(std::string("\\{bm") + kind + " " + fileName(bitmapPath_) + "\\}");
  }
  out.contentWritten();
}

bool qvTagImg::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeI32(width_);
  out.writeI32(height_);
  out.writeU8(alignment_);
  out.writeString(imageURL_);
  out.writeString(bitmapPath_);
  return out.ok();
}

void qvTagImg::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  width_ = std::clamp<std::int32_t>(in.readI32(), 0, kMaxImageSize);
  height_ = std::clamp<std::int32_t>(in.readI32(), 0, kMaxImageSize);
  alignment_ = in.readU8();
  imageURL_ = in.readString();
  bitmapPath_ = in.readString();
}
