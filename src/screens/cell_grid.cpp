#include "screens/cell_grid.h"

#include <algorithm>
#include <cstdlib>

#include "screens/edit_steps.h"
#include "screens/view_transform.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// The bits of quadrant (qx, qy) in its cell's attribute byte.
int quadrantShift(int qx, int qy) {
  return 2 * ((qy & 1) * 2 + (qx & 1));
}

bool writeByte(std::uint8_t& byte, int value) {
  const auto next = static_cast<std::uint8_t>(value);
  if (byte == next) {
    return false;
  }
  byte = next;
  return true;
}

}  // namespace

std::optional<std::pair<int, int>> CellGrid::cellAt(int x, int y) const {
  const int column = floorDiv(x, shape_.cellSide);
  const int row = floorDiv(y, shape_.cellSide);
  if (!contains(column, row)) {
    return std::nullopt;
  }
  return std::pair{column, row};
}

std::pair<int, int> CellGrid::clampedCellAt(int x, int y) const {
  return {std::clamp(floorDiv(x, shape_.cellSide), 0, shape_.columns - 1),
          std::clamp(floorDiv(y, shape_.cellSide), 0, shape_.rows - 1)};
}

bool ImageGrid::ready() const {
  const std::int64_t cells = first_ + std::int64_t{shape().columns} * shape().rows;
  const std::int64_t size = static_cast<std::int64_t>(image_->size());
  return first_ >= 0 && cells <= size &&
         (attributes_ < 0 || attributes_ + std::int64_t{shape().columns} * shape().rows <= size);
}

std::size_t ImageGrid::offsetOf(std::int64_t start, int column, int row) const {
  return static_cast<std::size_t>(start + std::int64_t{row} * shape().columns + column);
}

int ImageGrid::cell(int column, int row) const {
  return ready() && contains(column, row) ? (*image_)[offsetOf(first_, column, row)] : 0;
}

bool ImageGrid::setCell(int column, int row, int value) {
  return ready() && contains(column, row) &&
         writeByte((*image_)[offsetOf(first_, column, row)], value);
}

int ImageGrid::subPalette(int qx, int qy) const {
  if (attributes_ < 0 || !ready() || qx < 0 || qy < 0 || !contains(qx / 2, qy / 2)) {
    return 0;
  }
  return ((*image_)[offsetOf(attributes_, qx / 2, qy / 2)] >> quadrantShift(qx, qy)) & 3;
}

bool ImageGrid::setSubPalette(int qx, int qy, int subPalette) {
  if (attributes_ < 0 || !ready() || qx < 0 || qy < 0 || !contains(qx / 2, qy / 2)) {
    return false;
  }
  std::uint8_t& attribute = (*image_)[offsetOf(attributes_, qx / 2, qy / 2)];
  const int shift = quadrantShift(qx, qy);
  return writeByte(attribute, (attribute & ~(3 << shift)) | ((subPalette & 3) << shift));
}

GridShape fieldShape() {
  GridShape shape;
  shape.columns = rom::kMapColumns;
  shape.rows = rom::kMapRows;
  shape.cellSide = rom::kMetatileSide;
  shape.values = rom::kMetatileCount;
  shape.valueName = "Metatile";
  shape.blockKind = "tarvo-field-block";
  shape.quadrants = true;
  shape.brushStep = step::kPutMetatile;
  return shape;
}

GridShape batViewShape() {
  GridShape shape;
  shape.columns = rom::kBatViewColumns;
  shape.rows = rom::kBatViewRows;
  shape.cellSide = rom::kTileSide;
  shape.blockKind = "tarvo-name-table-block";
  shape.brushStep = step::kPlaceBatViewTile;
  return shape;
}

GridShape metatileShape() {
  GridShape shape;
  shape.columns = 4;
  shape.rows = 4;
  shape.cellSide = 32;  // the metatile editor shows a metatile four times its size
  shape.fills = false;
  shape.brushStep = step::kPlaceMetatileTile;
  return shape;
}

ImageGrid fieldGrid(ByteArray& image) {
  return ImageGrid(image, fieldShape(), rom::kFieldMap.offset, rom::kFieldAttributeMap.offset);
}

ImageGrid batViewGrid(ByteArray& image) {
  return ImageGrid(image, batViewShape(), rom::kBatViewNameTable.offset);
}

ImageGrid metatileGrid(ByteArray& image, int metatile) {
  return ImageGrid(image, metatileShape(),
                   rom::kMetatileTable.offset + std::int64_t{metatile} * rom::kMetatileTiles);
}

int quadrantSubPalette(const ByteArray& image, int qx, int qy) {
  if (qx < 0 || qy < 0 || qx >= 2 * rom::kMapColumns || qy >= 2 * rom::kMapRows) {
    return 0;
  }
  const std::int64_t cell = std::int64_t{qy / 2} * rom::kMapColumns + qx / 2;
  return (romByte(image, rom::kFieldAttributeMap.offset + cell) >> quadrantShift(qx, qy)) & 3;
}

bool setQuadrantSubPalette(ByteArray& image, int qx, int qy, int subPalette) {
  return fieldGrid(image).setSubPalette(qx, qy, subPalette);
}

std::vector<bool> floodRegion(int width, int height, int startX, int startY,
                              const std::function<bool(int, int)>& same,
                              const std::function<bool(int, int)>& inside) {
  std::vector<bool> reached(static_cast<std::size_t>(std::max(0, width * height)), false);
  auto open = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < width && y < height &&
           !reached[static_cast<std::size_t>(y * width + x)] && inside(x, y) && same(x, y);
  };
  if (!open(startX, startY)) {
    return reached;
  }
  std::vector<std::pair<int, int>> pending{{startX, startY}};
  reached[static_cast<std::size_t>(startY * width + startX)] = true;
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
      if (open(x + dx, y + dy)) {
        reached[static_cast<std::size_t>((y + dy) * width + x + dx)] = true;
        pending.emplace_back(x + dx, y + dy);
      }
    }
  }
  return reached;
}

CellRect clipToGrid(int columns, int rows, int column, int row, int gridColumns, int gridRows) {
  const int left = std::max(column, 0);
  const int top = std::max(row, 0);
  const int right = std::min(column + columns, gridColumns);
  const int bottom = std::min(row + rows, gridRows);
  if (right <= left || bottom <= top) {
    return {};
  }
  return {left, top, right - left, bottom - top};
}

}  // namespace tarvo
