#include "tests/support/PictureEncoders.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace picture_encoders {

void writeGif(const std::string& path, const GifPicture& picture) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  std::vector<GifColorType> colours;
  for (const Colour& c : picture.palette) colours.push_back({c.red, c.green, c.blue});
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  EGifSetGifVersion(gif, true);
  EXPECT_EQ(EGifPutScreenDesc(gif, picture.screenWidth, picture.screenHeight, 8, picture.backgroundIndex, map), GIF_OK);
  if (picture.transparent >= 0) {
    GraphicsControlBlock control{};
    control.TransparentColor = picture.transparent;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), GIF_OK);
  }
  EXPECT_EQ(EGifPutImageDesc(gif, picture.left, picture.top, picture.width, picture.height, picture.interlaced, nullptr), GIF_OK);
  std::vector<int> order;
  if (picture.interlaced) {
    for (int pass : {0, 1, 2, 3}) {
      constexpr int kStart[] = {0, 4, 2, 1};
      constexpr int kStep[] = {8, 8, 4, 2};
      for (int y = kStart[pass]; y < picture.height; y += kStep[pass]) order.push_back(y);
    }
  } else {
    for (int y = 0; y < picture.height; ++y) order.push_back(y);
  }
  for (int y : order) {
    std::vector<GifPixelType> line(picture.indices.begin() + y * picture.width,
                                   picture.indices.begin() + (y + 1) * picture.width);
    EXPECT_EQ(EGifPutLine(gif, line.data(), picture.width), GIF_OK);
  }
  EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
  GifFreeMapObject(map);
}

void writeJpeg(const std::string& path, int width, int height, JpegKind kind, const std::vector<std::uint8_t>& samples,
               bool progressive, int quality) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Rgb ? 3 : 4;
  info.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::Rgb ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(info.input_components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + info.next_scanline * rowBytes);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

void writePng(const std::string& path, const PngPicture& picture) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), picture.bitDepth,
               picture.colourType, picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (const Colour& c : picture.palette) palette.push_back({c.red, c.green, c.blue});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!picture.paletteAlpha.empty()) {
    png_set_tRNS(png, info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()), nullptr);
  }
  if (picture.transparentGrey >= 0) {
    png_color_16 grey{};
    grey.gray = static_cast<png_uint_16>(picture.transparentGrey);
    png_set_tRNS(png, info, nullptr, 0, &grey);
  }
  png_write_info(png, info);
  const std::size_t rowBytes = picture.rows.size() / static_cast<std::size_t>(picture.height);
  std::vector<png_bytep> rows;
  for (int y = 0; y < picture.height; ++y) rows.push_back(const_cast<png_bytep>(picture.rows.data() + y * rowBytes));
  png_set_interlace_handling(png);
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

void putBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::vector<std::uint8_t> pngChunk(const std::string& type, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out;
  putBig32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + 4), static_cast<uInt>(out.size() - 4));
  putBig32(out, static_cast<std::uint32_t>(crc));
  return out;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace picture_encoders
