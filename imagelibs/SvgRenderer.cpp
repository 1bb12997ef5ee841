#include "imagelibs/SvgRenderer.h"

#include <cairo.h>
#include <gio/gio.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "imagelibs/ImageResult.h"

namespace imagelibs {
namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
struct SurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoDestroy {
  void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};
using Handle = std::unique_ptr<RsvgHandle, ObjectUnref>;
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;
using Cairo = std::unique_ptr<cairo_t, CairoDestroy>;

int readFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return kUnreadable;
  const std::streamoff size = in.tellg();
  if (size < 0) return kUnreadable;
  if (size > SvgRenderer::kMaxFileBytes) return kTooLarge;
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return kUnreadable;
  return kOk;
}

// Text that does not even begin like markup (or a gzip stream) is not an
// SVG that failed, it is something else.
bool looksLikeSvg(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B) return true;
  std::size_t at = 0;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) at = 3;
  while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n')) ++at;
  return at < bytes.size() && bytes[at] == '<';
}

Handle load(const std::vector<std::uint8_t>& bytes) {
  std::unique_ptr<GInputStream, ObjectUnref> stream(
      g_memory_input_stream_new_from_data(bytes.data(), static_cast<gssize>(bytes.size()), nullptr));
  GError* raw = nullptr;
  Handle handle(rsvg_handle_new_from_stream_sync(stream.get(), nullptr, RSVG_HANDLE_FLAGS_NONE, nullptr, &raw));
  std::unique_ptr<GError, ErrorFree> error(raw);
  if (error || !handle) return nullptr;
  // Lengths in points, millimetres and so on as browsers size them.
  rsvg_handle_set_dpi(handle.get(), 96);
  return handle;
}

// The picture's own size in pixels, before any scaling; zero sides when it
// has none that can be drawn.
void ownSize(RsvgHandle* handle, double& width, double& height) {
  if (rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height)) return;
  gboolean hasWidth = FALSE;
  gboolean hasHeight = FALSE;
  gboolean hasViewBox = FALSE;
  RsvgLength lengthWidth{};
  RsvgLength lengthHeight{};
  RsvgRectangle viewBox{};
  rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &lengthWidth, &hasHeight, &lengthHeight, &hasViewBox,
                                       &viewBox);
  if (hasViewBox) {
    width = viewBox.width;
    height = viewBox.height;
    return;
  }
  width = height = SvgRenderer::kDefaultSide;
}

void copyPixels(cairo_surface_t* surface, Picture& picture) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  picture.pixels.resize(picture.rowBytes() * static_cast<std::size_t>(picture.height));
  std::uint8_t* to = picture.pixels.data();
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < picture.width; ++x) {
      *to++ = static_cast<std::uint8_t>(row[x] >> 16);
      *to++ = static_cast<std::uint8_t>(row[x] >> 8);
      *to++ = static_cast<std::uint8_t>(row[x]);
    }
  }
}

int draw(RsvgHandle* handle, std::uint32_t background, Picture& picture) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return kTooLarge;
  Cairo cairo(cairo_create(surface.get()));
  const Rgb under = Rgb::fromColorRef(background);
  cairo_set_source_rgb(cairo.get(), under.red / 255.0, under.green / 255.0, under.blue / 255.0);
  cairo_paint(cairo.get());
  const RsvgRectangle viewport{0, 0, static_cast<double>(picture.width), static_cast<double>(picture.height)};
  GError* raw = nullptr;
  const gboolean drawn = rsvg_handle_render_document(handle, cairo.get(), &viewport, &raw);
  std::unique_ptr<GError, ErrorFree> error(raw);
  if (!drawn || error) return kDamaged;
  copyPixels(surface.get(), picture);
  return kOk;
}

}  // namespace

int SvgRenderer::render(const std::string& path, std::uint32_t background, int maxSide, Picture& picture) {
  std::vector<std::uint8_t> bytes;
  if (const int result = readFile(path, bytes); result != kOk) return result;
  if (!looksLikeSvg(bytes)) return kWrongSignature;
  const Handle handle = load(bytes);
  if (!handle) return kDamaged;
  double width = 0;
  double height = 0;
  ownSize(handle.get(), width, height);
  if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0) return kNoPixels;
  const double side = std::clamp(maxSide, 1, kLargestSide);
  const double scale = std::min(1.0, side / std::max(width, height));
  Picture drawn;
  drawn.width = std::max(1, static_cast<int>(std::lround(width * scale)));
  drawn.height = std::max(1, static_cast<int>(std::lround(height * scale)));
  drawn.bitCount = 24;
  if (const int result = draw(handle.get(), background, drawn); result != kOk) return result;
  picture = std::move(drawn);
  return kOk;
}

}  // namespace imagelibs
