#include "imagelibs/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "imagelibs/ImageLimits.h"
#include "imagelibs/ImageResult.h"

namespace imagelibs {
namespace {

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

int openResult(int error) {
  if (error == D_GIF_ERR_OPEN_FAILED) return kUnreadable;
  if (error == D_GIF_ERR_NOT_GIF_FILE) return kWrongSignature;
  return kDamaged;
}

// Reads everything before the first image; the transparent index of the
// last graphic control block met, -1 when none.
int readUpToImage(GifFileType* gif, int& transparent) {
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return kDamaged;
    if (record == TERMINATE_RECORD_TYPE) return kNoPixels;
    if (record == IMAGE_DESC_RECORD_TYPE) return kOk;
    if (record != EXTENSION_RECORD_TYPE) return kDamaged;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return kDamaged;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
      GraphicsControlBlock control;
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return kDamaged;
    }
  }
}

// The frame's rows in the order the file holds them.
std::vector<int> rowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

// Reads the frame onto the screen; pixels off the screen are read and
// dropped. The highest index used goes to `highest`.
int readFrame(GifFileType* gif, Picture& picture, int& highest) {
  const GifImageDesc& frame = gif->Image;
  std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
  for (int row : rowOrder(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return kDamaged;
    const long y = static_cast<long>(frame.Top) + row;
    if (y >= picture.height) continue;
    std::uint8_t* target = picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    for (int x = 0; x < frame.Width && frame.Left + x < picture.width; ++x) {
      target[frame.Left + x] = line[static_cast<std::size_t>(x)];
      highest = std::max<int>(highest, line[static_cast<std::size_t>(x)]);
    }
  }
  return kOk;
}

// The colour map, with room for every index the frame used.
void buildPalette(const ColorMapObject& map, int highest, Picture& picture) {
  const int colours = std::clamp(std::max(map.ColorCount, highest + 1), 1, 256);
  picture.palette.assign(static_cast<std::size_t>(colours) * 3, 0);
  for (int i = 0; i < std::min(map.ColorCount, colours); ++i) {
    picture.palette[static_cast<std::size_t>(i) * 3] = map.Colors[i].Red;
    picture.palette[static_cast<std::size_t>(i) * 3 + 1] = map.Colors[i].Green;
    picture.palette[static_cast<std::size_t>(i) * 3 + 2] = map.Colors[i].Blue;
  }
}

void setColour(Picture& picture, int index, Rgb colour) {
  const std::size_t at = static_cast<std::size_t>(index) * 3;
  if (at + 2 >= picture.palette.size()) picture.palette.resize(at + 3, 0);
  picture.palette[at] = colour.red;
  picture.palette[at + 1] = colour.green;
  picture.palette[at + 2] = colour.blue;
}

// Where the screen shows no frame pixel it shows the background: the
// transparent index when there is one, else a colour of its own while the
// palette has room, else the file's own background index.
int backgroundIndex(const GifFileType& gif, int transparent, int colours) {
  if (transparent >= 0) return transparent;
  if (colours < 256) return colours;
  return gif.SBackGroundColor;
}

int decodeFrame(GifFileType* gif, std::uint32_t background, int transparent, Picture& picture) {
  if (DGifGetImageDesc(gif) == GIF_ERROR) return kDamaged;
  const GifImageDesc& frame = gif->Image;
  if (frame.Width <= 0 || frame.Height <= 0) return kNoPixels;
  if (!ImageLimits::fits(frame.Width, frame.Height, 8)) return kTooLarge;
  const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (map == nullptr || map->ColorCount <= 0) return kDamaged;
  picture.width = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
  picture.height = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
  if (!ImageLimits::fits(picture.width, picture.height, 8)) return kTooLarge;
  picture.bitCount = 8;
  const bool framesWholeScreen = frame.Left == 0 && frame.Top == 0 && frame.Width >= picture.width &&
                                 frame.Height >= picture.height;
  const int fill = framesWholeScreen ? 0 : backgroundIndex(*gif, transparent, map->ColorCount);
  picture.pixels.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height),
                        static_cast<std::uint8_t>(fill));
  int highest = framesWholeScreen ? 0 : fill;
  if (const int result = readFrame(gif, picture, highest); result != kOk) return result;
  buildPalette(*map, highest, picture);
  const Rgb window = Rgb::fromColorRef(background);
  if (transparent >= 0) setColour(picture, transparent, window);
  if (!framesWholeScreen && fill >= map->ColorCount && transparent < 0) setColour(picture, fill, window);
  return kOk;
}

}  // namespace

int GifDecoder::decode(const std::string& path, std::uint32_t background, Picture& picture) {
  int error = 0;
  GifFile gif(DGifOpenFileName(path.c_str(), &error));
  if (!gif) return openResult(error);
  if (gif->SWidth > 0 && gif->SHeight > 0 && !ImageLimits::fits(gif->SWidth, gif->SHeight, 8)) return kTooLarge;
  int transparent = -1;
  if (const int result = readUpToImage(gif.get(), transparent); result != kOk) return result;
  Picture decoded;
  if (const int result = decodeFrame(gif.get(), background, transparent, decoded); result != kOk) return result;
  picture = std::move(decoded);
  return kOk;
}

}  // namespace imagelibs
