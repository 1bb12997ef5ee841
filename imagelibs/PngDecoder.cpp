#include "imagelibs/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imagelibs/ImageLimits.h"
#include "imagelibs/ImageResult.h"

namespace imagelibs {
namespace {

// What the callbacks learn; plain data, reached from inside longjmp frames.
struct PngNotes {
  bool overUserLimit;
  bool zeroSide;
};

void fail(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }

// libpng reports a side over the user limit, or of zero, as a warning before
// it fails the header; the other warnings (colour profiles, text) do not
// matter to the pixels.
void warn(png_structp png, png_const_charp message) {
  auto* notes = static_cast<PngNotes*>(png_get_error_ptr(png));
  if (std::strstr(message, "user limit") != nullptr) notes->overUserLimit = true;
  if (std::strstr(message, "is zero") != nullptr) notes->zeroSide = true;
}

int headerFailure(const PngNotes& notes) {
  if (notes.overUserLimit) return kTooLarge;
  return notes.zeroSide ? kNoPixels : kDamaged;
}

// Reads the header and sets the transforms that give 8-bit RGBA rows.
int readHeader(png_structp png, png_infop info, std::FILE* file, const PngNotes* notes) {
  if (setjmp(png_jmpbuf(png)) != 0) return headerFailure(*notes);
  png_init_io(png, file);
  png_set_sig_bytes(png, 8);
  png_set_user_limits(png, ImageLimits::kMaxSide, ImageLimits::kMaxSide);
  png_set_chunk_cache_max(png, PngDecoder::kMaxChunks);
  png_set_chunk_malloc_max(png, PngDecoder::kMaxChunkBytes);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (width == 0 || height == 0) return kNoPixels;
  if (!ImageLimits::fits(width, height, 24)) return kTooLarge;
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4) return kDamaged;
  return kOk;
}

int readRows(png_structp png, png_bytepp rows, const PngNotes* /*notes*/) {
  if (setjmp(png_jmpbuf(png)) != 0) return kDamaged;
  png_read_image(png, rows);
  return kOk;
}

// RGBA rows become RGB rows in the same buffer, blended over `background`.
void flatten(std::vector<std::uint8_t>& pixels, Rgb background) {
  const std::uint8_t under[3] = {background.red, background.green, background.blue};
  std::size_t to = 0;
  for (std::size_t from = 0; from + 3 < pixels.size(); from += 4) {
    const unsigned alpha = pixels[from + 3];
    for (int c = 0; c < 3; ++c) {
      pixels[to++] = static_cast<std::uint8_t>((pixels[from + c] * alpha + under[c] * (255 - alpha) + 127) / 255);
    }
  }
  pixels.resize(to);
}

// The size in the IHDR chunk, which must come first: refused before libpng
// reads any further chunk. The file is left just past the signature.
bool declaresTooLarge(std::FILE* file) {
  png_byte chunk[16];
  const bool read = std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk;
  std::fseek(file, 8, SEEK_SET);
  if (!read || std::memcmp(chunk + 4, "IHDR", 4) != 0) return false;
  const png_uint_32 width = png_get_uint_32(chunk + 8);
  const png_uint_32 height = png_get_uint_32(chunk + 12);
  return width != 0 && height != 0 && !ImageLimits::fits(width, height, 24);
}

// Every allocation libpng makes passes here: a chunk that claims a gigabyte
// fails as damage instead of taking the memory, whatever limits the system's
// libpng was built to honour.
png_voidp cappedMalloc(png_structp /*png*/, png_alloc_size_t size) {
  if (size > PngDecoder::kMaxChunkBytes) return nullptr;
  return std::malloc(size);
}

void cappedFree(png_structp /*png*/, png_voidp block) { std::free(block); }

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

class PngSession {
 public:
  explicit PngSession(PngNotes& notes)
      : png_(png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &notes, fail, warn, nullptr, cappedMalloc,
                                      cappedFree)),
        info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
  ~PngSession() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;

  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

}  // namespace

int PngDecoder::decode(const std::string& path, std::uint32_t background, Picture& picture) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return kUnreadable;
  png_byte signature[8];
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature) return kWrongSignature;
  if (png_sig_cmp(signature, 0, sizeof signature) != 0) return kWrongSignature;
  if (declaresTooLarge(file.get())) return kTooLarge;
  PngNotes notes{};
  const PngSession session(notes);
  if (session.info() == nullptr) return kTooLarge;
  if (const int result = readHeader(session.png(), session.info(), file.get(), &notes); result != kOk) return result;
  Picture decoded;
  decoded.width = static_cast<std::int32_t>(png_get_image_width(session.png(), session.info()));
  decoded.height = static_cast<std::int32_t>(png_get_image_height(session.png(), session.info()));
  decoded.bitCount = 24;
  const std::size_t rowBytes = static_cast<std::size_t>(decoded.width) * 4;
  decoded.pixels.resize(rowBytes * static_cast<std::size_t>(decoded.height));
  std::vector<png_bytep> rows(static_cast<std::size_t>(decoded.height));
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = decoded.pixels.data() + y * rowBytes;
  if (const int result = readRows(session.png(), rows.data(), &notes); result != kOk) return result;
  flatten(decoded.pixels, Rgb::fromColorRef(background));
  picture = std::move(decoded);
  return kOk;
}

}  // namespace imagelibs
