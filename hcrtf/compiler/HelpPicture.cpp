#include "hcrtf/compiler/HelpPicture.h"

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/Lz77Compressor.h"

namespace hcrtf::compiler {
namespace {

constexpr std::uint32_t kScreenDpi = 96;
// The picture file's header: magic, picture count, one offset.
constexpr std::uint32_t kFirstPictureAt = 8;

// Swaps palette entries a and b, and the pixels that use them.
void swapColours(DibImage& img, std::uint32_t a, std::uint32_t b) {
  std::swap(img.palette[a], img.palette[b]);
  const int bits = img.bitCount;
  const std::uint32_t mask = (1u << bits) - 1;
  for (std::int32_t y = 0; y < img.height; ++y) {
    std::uint8_t* row = img.pixels.data() + static_cast<std::size_t>(y) * img.stride();
    for (std::int32_t x = 0; x < img.width; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x) * bits;
      const int shift = static_cast<int>(8 - bits - bit % 8);
      std::uint8_t& byte = row[bit / 8];
      const std::uint32_t v = (byte >> shift) & mask;
      const std::uint32_t nv = v == a ? b : v == b ? a : v;
      byte = static_cast<std::uint8_t>((byte & ~(mask << shift)) | (nv << shift));
    }
  }
}

// Returns true when the picture can be stored transparent, with white
// moved to the last palette entry.
bool prepareTransparency(DibImage& img) {
  if (img.palette.empty()) return false;
  const PaletteEntry white{255, 255, 255};
  const std::uint32_t last = static_cast<std::uint32_t>(img.palette.size() - 1);
  for (std::uint32_t i = 0; i <= last; ++i) {
    if (img.palette[i] != white) continue;
    if (i != last) swapColours(img, i, last);
    return true;
  }
  return false;
}

struct PackedPixels {
  PicturePacking packing = PicturePacking::None;
  std::vector<std::uint8_t> bytes;
};

PackedPixels packSmallest(const std::vector<std::uint8_t>& raw) {
  PackedPixels best{PicturePacking::None, raw};
  auto consider = [&](PicturePacking p, std::vector<std::uint8_t> bytes) {
    if (bytes.size() < best.bytes.size()) best = {p, std::move(bytes)};
  };
  const std::vector<std::uint8_t> rle = HelpPicture::runLengthEncode(raw);
  consider(PicturePacking::Lz77, lz77Compress(raw));
  consider(PicturePacking::RunLengthThenLz77, lz77Compress(rle));
  consider(PicturePacking::RunLength, rle);
  return best;
}

}  // namespace

std::vector<std::uint8_t> HelpPicture::runLengthEncode(std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t run = 1;
    while (i + run < data.size() && run < kRunLengthMax && data[i + run] == data[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<std::uint8_t>(run));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    // Literal bytes up to the next run of three.
    std::size_t n = 0;
    while (i + n < data.size() && n < kRunLengthMax &&
           !(i + n + 2 < data.size() && data[i + n] == data[i + n + 1] &&
             data[i + n] == data[i + n + 2])) {
      ++n;
    }
    out.push_back(static_cast<std::uint8_t>(kRunLengthCopy | n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
               data.begin() + static_cast<std::ptrdiff_t>(i + n));
    i += n;
  }
  return out;
}

std::vector<std::uint8_t> HelpPicture::build(const DibImage& source, bool transparent) {
  DibImage img = source;
  const bool storeTransparent = transparent && prepareTransparency(img);
  const PackedPixels packed = packSmallest(img.pixels);

  ByteWriter head;  // the picture header, offsets relative to its type byte
  head.u8(kPictureDib);
  head.u8(static_cast<std::uint8_t>(packed.packing));
  head.compressedU32(kScreenDpi);
  head.compressedU32(kScreenDpi);
  head.compressedU16(1);
  head.compressedU16(static_cast<std::uint16_t>(img.bitCount));
  head.compressedU32(static_cast<std::uint32_t>(img.width));
  head.compressedU32(static_cast<std::uint32_t>(img.height));
  head.compressedU32(static_cast<std::uint32_t>(img.palette.size()));
  head.compressedU32(storeTransparent ? 1 : 0);
  head.compressedU32(static_cast<std::uint32_t>(packed.bytes.size()));
  head.compressedU32(0);  // no hotspots
  const std::size_t dataOffset = head.size() + 8 + 4 * img.palette.size();
  head.u32(static_cast<std::uint32_t>(dataOffset));
  head.u32(0);
  for (const PaletteEntry& c : img.palette) {
    head.u8(c.blue);
    head.u8(c.green);
    head.u8(c.red);
    head.u8(0);
  }

  ByteWriter file;
  file.u16(kPictureMagic);
  file.u16(1);
  file.u32(kFirstPictureAt);
  file.bytes(head.data());
  file.bytes(packed.bytes);
  return file.take();
}

PicturePacking HelpPicture::packingOf(std::span<const std::uint8_t> built) {
  // The packing byte follows the picture's type byte.
  if (built.size() <= kFirstPictureAt + 1) return PicturePacking::None;
  return static_cast<PicturePacking>(built[kFirstPictureAt + 1]);
}

}  // namespace hcrtf::compiler
