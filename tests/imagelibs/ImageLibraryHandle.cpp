#include "tests/imagelibs/ImageLibraryHandle.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

ImageLibraryHandle::ImageLibraryHandle(const std::string& name) {
  const std::string path = std::string(CORVANE_BINARY_DIR) + "/" + name;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
}

ImageLibraryHandle::~ImageLibraryHandle() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* ImageLibraryHandle::entry(const char* name) const {
  void* address = handle_ != nullptr ? dlsym(handle_, name) : nullptr;
  if (address == nullptr) ADD_FAILURE() << "no entry point " << name;
  return address;
}

std::uint32_t colourAt(const hcrtf::compiler::DibImage& image, int x, int y) {
  const std::uint32_t value = image.pixel(x, y);
  if (image.bitCount == 24) return value;
  if (value >= image.palette.size()) return 0xFFFFFFFF;
  const auto& entry = image.palette[value];
  return (static_cast<std::uint32_t>(entry.red) << 16) | (entry.green << 8) | entry.blue;
}

bool near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
      return false;
    }
  }
  return true;
}
