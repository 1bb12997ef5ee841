#pragma once
// The stand-by converter: initialises, and fails every conversion.

#include "image/qvImgLib.h"

class qvPlainImgLib : public qvImgLib {
 public:
  std::string getMessage() const override { return {}; }
  bool init() override { return true; }
  bool gifToBmp(const std::string&, const std::string&, std::uint32_t, int, int) override { return false; }
  bool jpgToBmp(const std::string&, const std::string&, int, int) override { return false; }
  bool pngToBmp(const std::string&, const std::string&, std::uint32_t, int, int) override { return false; }
  bool svgToBmp(const std::string&, const std::string&, std::uint32_t, int, int) override { return false; }
  bool convertsSvg() const override { return false; }
  std::string failureReason() const override { return {}; }
};
