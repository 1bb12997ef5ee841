#include "imagelibs/BitmapScaler.h"

#include <algorithm>
#include <vector>

namespace imagelibs {
namespace {

// The source span [first, last) that target position `at` of `target`
// covers; never empty.
struct Span {
  std::int64_t first;
  std::int64_t last;
};

std::vector<Span> spans(std::int64_t source, std::int64_t target) {
  std::vector<Span> out(static_cast<std::size_t>(target));
  for (std::int64_t at = 0; at < target; ++at) {
    const std::int64_t first = at * source / target;
    const std::int64_t last = std::max(first + 1, (at + 1) * source / target);
    out[static_cast<std::size_t>(at)] = {first, std::min(last, source)};
  }
  return out;
}

// The colour of a source pixel; indices past the palette are black.
void colourAt(const Picture& source, std::int64_t x, std::int64_t y, std::uint64_t sum[3]) {
  const std::uint8_t* row = source.pixels.data() + static_cast<std::size_t>(y) * source.rowBytes();
  if (source.bitCount == 24) {
    for (int c = 0; c < 3; ++c) sum[c] += row[x * 3 + c];
    return;
  }
  const std::size_t at = static_cast<std::size_t>(row[x]) * 3;
  if (at + 2 >= source.palette.size()) return;
  for (int c = 0; c < 3; ++c) sum[c] += source.palette[at + static_cast<std::size_t>(c)];
}

Picture enlargePalette(const Picture& source, const std::vector<Span>& columns, const std::vector<Span>& rows) {
  Picture out;
  out.width = static_cast<std::int32_t>(columns.size());
  out.height = static_cast<std::int32_t>(rows.size());
  out.bitCount = 8;
  out.palette = source.palette;
  out.pixels.resize(out.rowBytes() * rows.size());
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const std::uint8_t* from = source.pixels.data() + static_cast<std::size_t>(rows[y].first) * source.rowBytes();
    std::uint8_t* to = out.pixels.data() + y * out.rowBytes();
    for (std::size_t x = 0; x < columns.size(); ++x) to[x] = from[columns[x].first];
  }
  return out;
}

}  // namespace

Picture BitmapScaler::scale(const Picture& source, std::int32_t width, std::int32_t height) {
  const std::vector<Span> columns = spans(source.width, width);
  const std::vector<Span> rows = spans(source.height, height);
  if (source.bitCount == 8 && width >= source.width && height >= source.height) {
    return enlargePalette(source, columns, rows);
  }
  Picture out;
  out.width = width;
  out.height = height;
  out.bitCount = 24;
  out.pixels.resize(out.rowBytes() * static_cast<std::size_t>(height));
  std::uint8_t* to = out.pixels.data();
  for (const Span& row : rows) {
    for (const Span& column : columns) {
      std::uint64_t sum[3] = {0, 0, 0};
      for (std::int64_t y = row.first; y < row.last; ++y) {
        for (std::int64_t x = column.first; x < column.last; ++x) colourAt(source, x, y, sum);
      }
      const std::uint64_t count = static_cast<std::uint64_t>((row.last - row.first) * (column.last - column.first));
      for (int c = 0; c < 3; ++c) *to++ = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
    }
  }
  return out;
}

}  // namespace imagelibs
