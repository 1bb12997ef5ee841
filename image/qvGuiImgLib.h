#pragma once
// The converter over the picture libraries, loaded by name at init:
// libcorvane3.so (LoadGifFile), libcorvane4.so (LoadJpgFile) and
// libcorvane5.so (ResizeBitmap) are needed; libcorvane6.so (LoadPngFile)
// and libcorvane7.so (LoadSvgFile) are taken when present, and without them
// only their own conversions fail. Libraries stay loaded for the life of
// the process.

#include <cstdint>
#include <string>

#include "image/qvImgLib.h"
#include "platform/qvDynamicLibrary.h"

class qvUserInterface;

class qvGuiImgLib : public qvImgLib {
 public:
  // SVG pictures are drawn at their own size, but no side over this.
  static constexpr int kMaxSvgSide = 1024;

  // `ui` receives the warnings of a conversion that failed by an exception;
  // it must outlive the object. Libraries are looked for in
  // `libraryDirectory` when one is given, else beside the executable and
  // then on the search path.
  explicit qvGuiImgLib(qvUserInterface& ui, std::string libraryDirectory = {});

  std::string getMessage() const override { return message_; }
  bool init() override;
  bool gifToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                int height) override;
  bool jpgToBmp(const std::string& source, const std::string& bitmap, int width, int height) override;
  bool pngToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                int height) override;
  bool svgToBmp(const std::string& source, const std::string& bitmap, std::uint32_t background, int width,
                int height) override;
  bool convertsSvg() const override { return loadSvg_ != nullptr; }
  std::string failureReason() const override { return reason_; }

 private:
  using LoadWithColour = int (*)(const char*, const char*, std::uint32_t);
  using Load = int (*)(const char*, const char*);
  using Resize = int (*)(const char*, int, int);
  using LoadSvg = int (*)(const char*, const char*, std::uint32_t, int);

  // Loads `name` and finds `entry`; null with the message set on failure.
  void* bind(qvDynamicLibrary& library, const std::string& name, const char* entry);
  // After a load: the result kept for the reason, the bitmap scaled on
  // success. True when the load returned 0.
  bool finish(int result, const std::string& bitmap, int width, int height);
  void resize(const std::string& bitmap, int width, int height);
  std::string libraryPath(const std::string& name) const;

  qvUserInterface& ui_;
  std::string libraryDirectory_;
  std::string message_;
  std::string reason_;
  qvDynamicLibrary gifLibrary_;
  qvDynamicLibrary jpegLibrary_;
  qvDynamicLibrary resizeLibrary_;
  qvDynamicLibrary pngLibrary_;
  qvDynamicLibrary svgLibrary_;
  LoadWithColour loadGif_ = nullptr;
  Load loadJpg_ = nullptr;
  Resize resize_ = nullptr;
  LoadWithColour loadPng_ = nullptr;
  LoadSvg loadSvg_ = nullptr;
  std::string pngMissing_;
};
