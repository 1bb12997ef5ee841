#pragma once
// The picture fuzz targets hand the decoders files, as the engine does: the
// input goes to a temporary file of this process, the bitmap to another.
// Besides not crashing, a decoder must report success exactly when it left
// a readable bitmap within the size limits, and never leave a half-written
// one behind.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelibs/BmpReader.h"
#include "imagelibs/BmpWriter.h"
#include "imagelibs/ImageLimits.h"
#include "imagelibs/ImageResult.h"

namespace fuzz_pictures {

inline void check(bool condition) {
  if (!condition) std::abort();
}

// Paths that stay the same for the life of the process.
struct Paths {
  std::string source;
  std::string bitmap;
};

inline void removeFiles();

inline const Paths& paths() {
  static const Paths made = [] {
    const char* folder = std::getenv("TMPDIR");
    const std::string base = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                             "/corvane-fuzz-" + std::to_string(::getpid());
    return Paths{base + ".in", base + ".bmp"};
  }();
  // Registered once the paths exist, so the files go before the paths do.
  static const bool removedAtExit = std::atexit(removeFiles) == 0;
  (void)removedAtExit;
  return made;
}

// The process's two files, when it ends normally (a crash keeps them for a
// look).
inline void removeFiles() {
  std::remove(paths().source.c_str());
  std::remove(paths().bitmap.c_str());
}

inline void writeSource(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(paths().source.c_str(), "wb");
  check(file != nullptr);
  check(std::fwrite(data, 1, size, file) == size);
  std::fclose(file);
  std::remove(paths().bitmap.c_str());
}

// Checks what a decoder plus writer left: a sound bitmap exactly on success.
inline void checkOutcome(int result) {
  check(result >= imagelibs::kOk && result <= imagelibs::kNotWritten);
  std::FILE* part = std::fopen(imagelibs::BmpWriter::temporaryName(paths().bitmap).c_str(), "rb");
  check(part == nullptr);
  imagelibs::Picture back;
  const int reread = imagelibs::BmpReader::read(paths().bitmap, back);
  check((result == imagelibs::kOk) == (reread == imagelibs::kOk));
  if (reread == imagelibs::kOk) {
    check(back.width > 0 && back.height > 0);
    check(imagelibs::ImageLimits::fits(back.width, back.height, back.bitCount));
  }
}

}  // namespace fuzz_pictures
