#include "hcrtf/dump/Picture.h"

#include <ostream>

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/Lz77.h"

namespace hcrtf::dump {
namespace {

constexpr std::uint64_t kMaxPixels = 1u << 24;  // 4096 x 4096
constexpr std::uint32_t kMaxSide = 1u << 16;
constexpr std::size_t kMaxMetafile = 16u << 20;
// All images of one picture file together: a file may list thousands of
// images that share one small packed stream.
constexpr std::size_t kMaxDecodedBytes = 128u << 20;

std::vector<std::uint8_t> unpack(std::span<const std::uint8_t> packed, std::uint8_t packing,
                                 std::size_t expected, const std::string& what) {
  switch (static_cast<PicturePacking>(packing)) {
    case PicturePacking::None: return std::vector<std::uint8_t>(packed.begin(), packed.end());
    case PicturePacking::RunLength: return runLengthDecode(packed, expected);
    case PicturePacking::Lz77: return lz77Decompress(packed, expected);
    // The run-length stream inside LZ77 can be at most 64 times shorter
    // than its result; a generous bound on the intermediate size.
    case PicturePacking::RunLengthThenLz77:
      return runLengthDecode(lz77Decompress(packed, expected + expected / 2 + 64), expected);
  }
  throw FormatError(what + ": unknown packing " + std::to_string(packing));
}

std::uint32_t paletteEntry(const std::vector<std::uint32_t>& palette, std::uint32_t index) {
  return index < palette.size() ? palette[index] : 0;
}

// DIB rows run bottom-up, padded to 32 bits; device-dependent bitmaps run
// top-down, padded to 16 bits.
void decodePixels(PictureImage& img, const std::vector<std::uint8_t>& bits) {
  const std::uint32_t bpp = img.bitCount;
  const bool dib = img.type == kPictureDib;
  const std::size_t stride = dib ? ((img.width * bpp + 31) / 32) * 4 : ((img.width * bpp + 15) / 16) * 2;
  img.pixels.assign(static_cast<std::size_t>(img.width) * img.height, 0);
  for (std::uint32_t row = 0; row < img.height; ++row) {
    const std::size_t srcRow = dib ? img.height - 1 - row : row;
    const std::size_t base = srcRow * stride;
    for (std::uint32_t x = 0; x < img.width; ++x) {
      std::uint32_t value = 0;
      const std::size_t bit = base * 8 + static_cast<std::size_t>(x) * bpp;
      const std::size_t byte = bit / 8;
      if (bpp == 24) {
        if (byte + 2 >= bits.size()) continue;  // short data reads as black
        value = (bits[byte + 2] << 16) | (bits[byte + 1] << 8) | bits[byte];
      } else {
        if (byte >= bits.size()) continue;
        const unsigned shift = 8 - bpp - (bit % 8);
        const std::uint32_t index = (bits[byte] >> shift) & ((1u << bpp) - 1);
        value = paletteEntry(img.palette, index);
      }
      img.pixels[static_cast<std::size_t>(row) * img.width + x] = value;
    }
  }
}

void readHotspots(PictureImage& img, std::span<const std::uint8_t> data, const std::string& what) {
  ByteReader r(data, what + " hotspots");
  if (r.u8() != 1) return;  // an unknown hotspot layout: leave it
  const std::uint16_t count = r.u16();
  const std::uint32_t macroSize = r.u32();
  for (std::uint16_t i = 0; i < count; ++i) {
    PictureHotspot h;
    for (auto& k : h.kind) k = r.u8();
    h.x = r.u16();
    h.y = r.u16();
    h.width = r.u16();
    h.height = r.u16();
    h.hashOrIndex = r.u32();
    img.hotspots.push_back(h);
  }
  r.skip(macroSize);
  for (PictureHotspot& h : img.hotspots) {
    h.name = r.cString();
    h.target = r.cString();
  }
}

void readBitmapHeader(ByteReader& r, PictureImage& img, const std::string& what) {
  img.xDpi = r.compressedU32();
  img.yDpi = r.compressedU32();
  img.planes = r.compressedU16();
  img.bitCount = r.compressedU16();
  img.width = r.compressedU32();
  img.height = r.compressedU32();
  img.coloursUsed = r.compressedU32();
  img.coloursImportant = r.compressedU32();
  if (img.bitCount != 1 && img.bitCount != 4 && img.bitCount != 8 && img.bitCount != 24) {
    throw FormatError(what + ": unsupported bit count " + std::to_string(img.bitCount));
  }
  if (img.width > kMaxSide || img.height > kMaxSide ||
      static_cast<std::uint64_t>(img.width) * img.height > kMaxPixels) {
    throw FormatError(what + ": picture of " + std::to_string(img.width) + "x" +
                      std::to_string(img.height) + " pixels is too large");
  }
}

PictureImage readImage(std::span<const std::uint8_t> all, std::uint32_t start, const std::string& what) {
  ByteReader r(all, what);
  r.seek(start);
  PictureImage img;
  img.type = r.u8();
  img.packing = r.u8();
  std::size_t expected = 0;
  if (img.type == kPictureDdb || img.type == kPictureDib) {
    readBitmapHeader(r, img, what);
  } else if (img.type == kPictureMetafile) {
    img.mappingMode = r.compressedU16();
    img.width = r.u16();
    img.height = r.u16();
    expected = r.compressedU32();
    if (expected > kMaxMetafile) throw FormatError(what + ": metafile too large");
  } else {
    throw FormatError(what + ": unknown picture type " + std::to_string(img.type));
  }
  img.packedSize = r.compressedU32();
  const std::uint32_t hotspotSize = r.compressedU32();
  const std::uint32_t dataOffset = r.u32();
  const std::uint32_t hotspotOffset = r.u32();
  if (img.type == kPictureDib && img.bitCount <= 8) {
    std::uint32_t colours = img.coloursUsed ? img.coloursUsed : (1u << img.bitCount);
    if (colours > 256) throw FormatError(what + ": palette of " + std::to_string(colours) + " colours");
    for (std::uint32_t i = 0; i < colours; ++i) {
      // Stored blue, green, red, 0: read little-endian that is 0x00RRGGBB.
      img.palette.push_back(r.u32() & 0xFFFFFF);
    }
  } else if (img.type == kPictureDdb && img.bitCount == 1) {
    img.palette = {0x000000, 0xFFFFFF};
  }

  ByteReader data(all, what + " data");
  data.seek(start);
  data.skip(dataOffset);
  auto packed = data.bytes(img.packedSize);
  if (img.type == kPictureMetafile) {
    img.metafile = unpack(packed, img.packing, expected, what);
  } else {
    const std::size_t stride = img.type == kPictureDib ? ((img.width * img.bitCount + 31) / 32) * 4
                                             : ((img.width * img.bitCount + 15) / 16) * 2;
    decodePixels(img, unpack(packed, img.packing, stride * img.height, what));
  }
  if (hotspotSize != 0 && hotspotOffset != 0) {
    ByteReader hs(all, what + " hotspots");
    hs.seek(start);
    hs.skip(hotspotOffset);
    readHotspots(img, hs.bytes(hotspotSize), what);
  }
  return img;
}

void writeLe(std::ostream& out, const ByteWriter& w) {
  out.write(reinterpret_cast<const char*>(w.data().data()), static_cast<std::streamsize>(w.size()));
}

}  // namespace

Picture Picture::parse(std::span<const std::uint8_t> bytes, const std::string& what) {
  ByteReader r(bytes, what);
  Picture p;
  p.magic = r.u16();
  if (p.magic != kPictureMagic && p.magic != kPictureMagicShg) throw FormatError(what + ": not a picture (wrong magic)");
  const std::uint16_t count = r.u16();
  std::vector<std::uint32_t> offsets;
  for (std::uint16_t i = 0; i < count; ++i) offsets.push_back(r.u32());
  std::size_t decoded = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    p.images.push_back(readImage(bytes, offsets[i], what + " image " + std::to_string(i)));
    decoded += p.images.back().pixels.size() * sizeof(std::uint32_t) + p.images.back().metafile.size();
    if (decoded > kMaxDecodedBytes) throw FormatError(what + ": images too large in total");
  }
  return p;
}

bool writeBmp(const PictureImage& image, std::ostream& out) {
  const std::uint32_t stride = ((image.width * 3 + 3) / 4) * 4;
  const std::uint32_t dataSize = stride * image.height;
  ByteWriter w;
  w.u16(0x4D42);  // "BM"
  w.u32(14 + 40 + dataSize);
  w.u32(0);
  w.u32(14 + 40);
  w.u32(40);
  w.i32(static_cast<std::int32_t>(image.width));
  w.i32(static_cast<std::int32_t>(image.height));
  w.u16(1);
  w.u16(24);
  w.u32(0);
  w.u32(dataSize);
  w.u32(2835);
  w.u32(2835);
  w.u32(0);
  w.u32(0);
  for (std::uint32_t row = image.height; row-- > 0;) {
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const std::uint32_t px = image.pixels[static_cast<std::size_t>(row) * image.width + x];
      w.u8(px & 0xFF);
      w.u8((px >> 8) & 0xFF);
      w.u8((px >> 16) & 0xFF);
    }
    w.zeros(stride - image.width * 3);
  }
  writeLe(out, w);
  return static_cast<bool>(out);
}

bool writePpm(const PictureImage& image, std::ostream& out) {
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  for (std::uint32_t px : image.pixels) {
    const char rgb[3] = {static_cast<char>((px >> 16) & 0xFF), static_cast<char>((px >> 8) & 0xFF),
                         static_cast<char>(px & 0xFF)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

}  // namespace hcrtf::dump
