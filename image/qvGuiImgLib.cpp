#include "image/qvGuiImgLib.h"

#include <exception>

#include "image/qvResizeRule.h"
#include "imagelibs/ImageResult.h"
#include "ui/qvUserInterface.h"

namespace {

constexpr const char* kGifLibrary = "libcorvane3.so";
constexpr const char* kJpegLibrary = "libcorvane4.so";
constexpr const char* kResizeLibrary = "libcorvane5.so";
constexpr const char* kPngLibrary = "libcorvane6.so";
constexpr const char* kSvgLibrary = "libcorvane7.so";

}  // namespace

qvGuiImgLib::qvGuiImgLib(qvUserInterface& ui, std::string libraryDirectory)
    : ui_(ui), libraryDirectory_(std::move(libraryDirectory)) {}

std::string qvGuiImgLib::libraryPath(const std::string& name) const {
  return libraryDirectory_.empty() ? name : libraryDirectory_ + "/" + name;
}

void* qvGuiImgLib::bind(qvDynamicLibrary& library, const std::string& name, const char* entry) {
  if (!library.isOpen() && !library.open(libraryPath(name))) {
    message_ = "failed to load " + name;
    return nullptr;
  }
  void* address = library.symbol(entry);
  if (address == nullptr) message_ = "GetProcAddress () failed for " + name;
  return address;
}

bool qvGuiImgLib::init() {
  message_ = "Completed OK";
  loadGif_ = reinterpret_cast<LoadWithColour>(bind(gifLibrary_, kGifLibrary, "LoadGifFile"));
  if (loadGif_ == nullptr) return false;
  loadJpg_ = reinterpret_cast<Load>(bind(jpegLibrary_, kJpegLibrary, "LoadJpgFile"));
  if (loadJpg_ == nullptr) return false;
  resize_ = reinterpret_cast<Resize>(bind(resizeLibrary_, kResizeLibrary, "ResizeBitmap"));
  if (resize_ == nullptr) return false;
  // PNG and SVG are additions: without them the rest still converts.
  loadPng_ = reinterpret_cast<LoadWithColour>(bind(pngLibrary_, kPngLibrary, "LoadPngFile"));
  pngMissing_ = loadPng_ == nullptr ? message_ : std::string();
  loadSvg_ = reinterpret_cast<LoadSvg>(bind(svgLibrary_, kSvgLibrary, "LoadSvgFile"));
  message_ = "Completed OK";
  return true;
}

void qvGuiImgLib::resize(const std::string& bitmap, int width, int height) {
  const std::optional<qvResizeRule::Size> size = qvResizeRule::bitmapSize(bitmap);
  if (!size) return;
  const std::optional<qvResizeRule::Size> target = qvResizeRule::target(*size, width, height);
  if (!target) return;
  // A scaling that fails leaves the picture whole at its own size.
  resize_(bitmap.c_str(), static_cast<int>(target->width), static_cast<int>(target->height));
}

bool qvGuiImgLib::finish(int result, const std::string& bitmap, int width, int height) {
  reason_ = imagelibs::resultText(result);
  if (result != imagelibs::kOk) return false;
  resize(bitmap, width, height);
  return true;
}

bool qvGuiImgLib::gifToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                           int height) {
  reason_.clear();
  if (loadGif_ == nullptr) return false;
  try {
    return finish(loadGif_(source.c_str(), bitmap.c_str(), background), bitmap, width, height);
  } catch (const std::exception&) {
    ui_.showWarning("GIF->BMP exception");
    return false;
  }
}

bool qvGuiImgLib::jpgToBmp(const std::string& source, const std::string& bitmap, int width, int height) {
  reason_.clear();
  if (loadJpg_ == nullptr) return false;
  try {
    return finish(loadJpg_(source.c_str(), bitmap.c_str()), bitmap, width, height);
  } catch (const std::exception&) {
    ui_.showWarning("JPG->BMP exception");
    return false;
  }
}

bool qvGuiImgLib::pngToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                           int height) {
  reason_ = pngMissing_;
  if (loadPng_ == nullptr) return false;
  try {
    return finish(loadPng_(source.c_str(), bitmap.c_str(), background), bitmap, width, height);
  } catch (const std::exception&) {
    ui_.showWarning("PNG->BMP exception");
    return false;
  }
}

bool qvGuiImgLib::svgToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                           int height) {
  reason_.clear();
  if (loadSvg_ == nullptr) return false;
  try {
    return finish(loadSvg_(source.c_str(), bitmap.c_str(), background, kMaxSvgSide), bitmap, width, height);
  } catch (const std::exception&) {
    ui_.showWarning("SVG->BMP exception");
    return false;
  }
}
