// Times the picture libraries on real files: bench_images FORMAT FILE...
// (FORMAT gif, jpeg, png or svg). Each file is converted, over and over
// until a second has passed, through the library's entry point as the
// engine calls it; then each bitmap is scaled to half its size the same
// way. Prints pictures/s, MB/s of input, Mpixel/s of output and resizes/s.

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Totals {
  long pictures = 0;
  double bytes = 0;
  double pixels = 0;
  double seconds = 0;
  long resizes = 0;
  double resizeSeconds = 0;
  long failures = 0;
};

// Width and height from a bitmap's header.
bool bitmapSize(const std::string& path, long& width, long& height) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[26];
  if (!in.read(reinterpret_cast<char*>(h), sizeof h)) return false;
  width = static_cast<std::int32_t>(h[18] | h[19] << 8 | h[20] << 16 | static_cast<unsigned>(h[21]) << 24);
  height = static_cast<std::int32_t>(h[22] | h[23] << 8 | h[24] << 16 | static_cast<unsigned>(h[25]) << 24);
  height = height < 0 ? -height : height;
  return true;
}

void* entry(const std::string& directory, const char* library, const char* name) {
  void* handle = dlopen((directory + "/" + library).c_str(), RTLD_NOW);
  return handle == nullptr ? nullptr : dlsym(handle, name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_images gif|jpeg|png|svg FILE...\n");
    return 2;
  }
  const std::string format = argv[1];
  const std::string directory = std::filesystem::path(argv[0]).parent_path().parent_path().string();
  const char* library = format == "gif" ? "libcorvane3.so" : format == "jpeg" ? "libcorvane4.so"
                        : format == "png" ? "libcorvane6.so" : "libcorvane7.so";
  const char* name = format == "gif" ? "LoadGifFile" : format == "jpeg" ? "LoadJpgFile"
                     : format == "png" ? "LoadPngFile" : "LoadSvgFile";
  void* load = entry(directory, library, name);
  auto resize = reinterpret_cast<int (*)(const char*, int, int)>(entry(directory, "libcorvane5.so", "ResizeBitmap"));
  if (load == nullptr || resize == nullptr) {
    std::fprintf(stderr, "cannot load %s or libcorvane5.so from %s\n", library, directory.c_str());
    return 2;
  }
  const std::string bitmap = (std::filesystem::temp_directory_path() / "corvane-bench.bmp").string();
  auto convert = [&](const char* file) {
    if (format == "jpeg") return reinterpret_cast<int (*)(const char*, const char*)>(load)(file, bitmap.c_str());
    if (format == "svg") {
      return reinterpret_cast<int (*)(const char*, const char*, std::uint32_t, int)>(load)(file, bitmap.c_str(),
                                                                                           0xC0C0C0, 1024);
    }
    return reinterpret_cast<int (*)(const char*, const char*, std::uint32_t)>(load)(file, bitmap.c_str(), 0xC0C0C0);
  };
  Totals totals;
  for (int i = 2; i < argc; ++i) {
    const double size = static_cast<double>(std::filesystem::file_size(argv[i]));
    const auto start = Clock::now();
    long rounds = 0;
    do {
      if (convert(argv[i]) != 0) ++totals.failures;
      ++rounds;
    } while (Clock::now() - start < std::chrono::seconds(1));
    totals.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    long width = 0;
    long height = 0;
    if (!bitmapSize(bitmap, width, height)) continue;
    totals.pictures += rounds;
    totals.bytes += size * static_cast<double>(rounds);
    totals.pixels += static_cast<double>(width * height) * static_cast<double>(rounds);
    const auto scaleStart = Clock::now();
    resize(bitmap.c_str(), static_cast<int>(width > 1 ? width / 2 : 1), static_cast<int>(height > 1 ? height / 2 : 1));
    totals.resizeSeconds += std::chrono::duration<double>(Clock::now() - scaleStart).count();
    ++totals.resizes;
  }
  std::remove(bitmap.c_str());
  std::printf("%-5s %4d files  %9.1f pictures/s  %8.2f MB/s  %8.2f Mpixel/s  %9.1f resizes/s  %ld failures\n",
              format.c_str(), argc - 2, totals.pictures / totals.seconds, totals.bytes / totals.seconds / 1e6,
              totals.pixels / totals.seconds / 1e6, totals.resizes / totals.resizeSeconds, totals.failures);
  return 0;
}
