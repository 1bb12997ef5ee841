#include "hcrtf/compiler/TableRecord.h"

#include <algorithm>
#include <stdexcept>

#include "hcrtf/common/ByteWriter.h"

namespace hcrtf::compiler {
namespace {

int toUnits(int twips) {
  const int half = twips < 0 ? -kTwipsPerHalfPoint / 2 : kTwipsPerHalfPoint / 2;
  return (twips + half) / kTwipsPerHalfPoint;
}

std::int16_t clampShort(long long v) {
  return static_cast<std::int16_t>(std::clamp<long long>(v, -32768, 32767));
}

}  // namespace

std::vector<TableRecord::Column> TableRecord::columns(const TableRowFormat& row) {
  const int gap = std::max(0, toUnits(row.gap));
  const int left = toUnits(row.left);
  std::vector<Column> out;
  int previousEdge = left;
  for (std::size_t i = 0; i < row.cellRight.size(); ++i) {
    const int edge = toUnits(row.cellRight[i]);
    Column c;
    c.gap = i == 0 ? std::max(0, left + gap) : 2 * gap;
    c.width = std::max(0, edge - previousEdge - 2 * gap);
    out.push_back(c);
    previousEdge = std::max(edge, previousEdge);
  }
  return out;
}

std::vector<std::uint8_t> TableRecord::columnHeader(const TableRowFormat& row) {
  if (row.cellRight.empty()) throw std::invalid_argument("table row without cells");
  if (row.cellRight.size() > static_cast<std::size_t>(kTableMaxColumns)) {
    throw std::invalid_argument("table row with more than 255 cells");
  }
  const std::vector<Column> cols = columns(row);
  long long total = 0;
  for (const Column& c : cols) total += c.width + c.gap;

  ByteWriter w;
  w.u8(static_cast<std::uint8_t>(cols.size()));
  const bool variable = row.centred && total > 0;
  w.u8(variable ? kTableVariableWidth : kTableFixedWidth);
  if (!variable) {
    for (const Column& c : cols) {
      w.i16(clampShort(c.width));
      w.i16(clampShort(c.gap));
    }
    return w.take();
  }
  // Shares taken from running sums, so that rounding never moves an edge.
  w.i16(clampShort(total));
  long long sum = 0;
  long long shareSoFar = 0;
  auto share = [&](int value) {
    sum += value;
    const long long upTo = (sum * kTableFullShare + total / 2) / total;
    const long long mine = upTo - shareSoFar;
    shareSoFar = upTo;
    return clampShort(mine);
  };
  for (const Column& c : cols) {
    const std::int16_t width = share(c.width);
    w.i16(width);
    w.i16(share(c.gap));
  }
  return w.take();
}

std::vector<std::uint8_t> TableRecord::cellStart(int column) {
  ByteWriter w;
  w.i16(static_cast<std::int16_t>(column));
  w.i16(0);
  w.u8(0);
  return w.take();
}

std::vector<std::uint8_t> TableRecord::rowEnd() {
  ByteWriter w;
  w.i16(kTableRowEnd);
  return w.take();
}

}  // namespace hcrtf::compiler
