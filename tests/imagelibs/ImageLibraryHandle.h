#pragma once
// The built picture libraries, opened with dlopen from the build tree, and
// the bitmap files they leave, read back by the help compiler's reader.

#include <cstdint>
#include <string>

#include "hcrtf/compiler/BmpFile.h"

class ImageLibraryHandle {
 public:
  // "libcorvane3.so" and so on, from the build directory.
  explicit ImageLibraryHandle(const std::string& name);
  ~ImageLibraryHandle();
  ImageLibraryHandle(const ImageLibraryHandle&) = delete;
  ImageLibraryHandle& operator=(const ImageLibraryHandle&) = delete;

  // The entry point `name`, or null (a test failure is added).
  void* entry(const char* name) const;

 private:
  void* handle_ = nullptr;
};

// The colour at column x of row y (from the top) as 0xRRGGBB.
std::uint32_t colourAt(const hcrtf::compiler::DibImage& image, int x, int y);
// Whether every channel of two 0xRRGGBB colours is within `tolerance`.
bool near(std::uint32_t a, std::uint32_t b, int tolerance);
