#pragma once
// <img>: a picture, shown in the topic through a bitmap reference once the
// image has been fetched and converted; until then, or when that failed,
// the topic says "[Image error]" where the picture was.

#include <cstdint>
#include <string>

#include "html/qvNamedTag.h"

class qvTagImg : public qvNamedTag {
 public:
  static constexpr const char* kErrorText = "[Image error]";

  using qvNamedTag::qvNamedTag;

  // Kept when it is a begin tag with an image URL.
  bool bind(qvItemCursor& following) override;
  // "\{bml name\}", "\{bmr name\}" or "\{bmc name\}" by alignment (left,
  // right, anything else), or the error text in bold.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  // Absolute URL of the picture; empty when there is none.
  const std::string& imageURL() const { return imageURL_; }
  // Size the page asks for, 0 when not given (or not in pixels).
  int width() const { return width_; }
  int height() const { return height_; }
  std::uint8_t imageAlignment() const { return alignment_; }
  // The converted bitmap, set once the picture is converted.
  const std::string& bitmapPath() const { return bitmapPath_; }
  void setBitmapPath(std::string path) { bitmapPath_ = std::move(path); }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagImg"; }

 protected:
  // Reads width, height, align and src; src is resolved against the
  // page's base URL.
  void constructed() override;

 private:
  int sizeAttribute(const char* name) const;

  std::string imageURL_;
  std::string bitmapPath_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::uint8_t alignment_ = 0;
};
