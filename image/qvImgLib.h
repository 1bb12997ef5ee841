#pragma once
// The engine's picture converter: turns a GIF, JPEG, PNG or SVG file into a
// bitmap file, scaled to the size a page asked for. `qvGuiImgLib` does it
// through the picture libraries loaded at run time, `qvPlainImgLib` stands
// in when there are none and fails every conversion.

#include <cstdint>
#include <string>

class qvImgLib {
 public:
  virtual ~qvImgLib() = default;

  // The text of the last result ("Completed OK" after a successful init).
  virtual std::string getMessage() const = 0;
  // True when the library can convert.
  virtual bool init() = 0;
  // Each conversion writes `bitmap` from `source`, then scales it to
  // `width` x `height` (0 where the page gave none); true on success.
  // `background` is the help window's colour (0x00BBGGRR), shown where the
  // picture is transparent.
  virtual bool gifToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                        int height) = 0;
  virtual bool jpgToBmp(const std::string& source, const std::string& bitmap, int width, int height) = 0;
  virtual bool pngToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                        int height) = 0;
  virtual bool svgToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                        int height) = 0;
  // Whether SVG pictures can be converted at all.
  virtual bool convertsSvg() const = 0;
  // Why the last conversion failed, in words for the end of a warning
  // ("damaged or truncated picture"); empty when there is nothing to add.
  virtual std::string failureReason() const = 0;
};
