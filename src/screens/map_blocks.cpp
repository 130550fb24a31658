#include "screens/map_blocks.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "screens/view_transform.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr int kQuadrantColumns = 2 * rom::kMapColumns;
constexpr int kQuadrantRows = 2 * rom::kMapRows;

bool hasField(const ByteArray& rom) {
  return rom.size() >= static_cast<std::size_t>(rom::kFieldAttributeMap.end());
}

std::size_t mapIndex(int column, int row) {
  return static_cast<std::size_t>(row * rom::kMapColumns + column);
}

std::uint8_t& mapByte(ByteArray& rom, int column, int row) {
  return rom[static_cast<std::size_t>(rom::kFieldMap.offset) + mapIndex(column, row)];
}

std::uint8_t mapByte(const ByteArray& rom, int column, int row) {
  return rom[static_cast<std::size_t>(rom::kFieldMap.offset) + mapIndex(column, row)];
}

// The bits of quadrant (qx, qy) in its cell's attribute byte: 0-1 top left,
// 2-3 top right, 4-5 bottom left, 6-7 bottom right.
int quadrantShift(int qx, int qy) {
  return 2 * ((qy & 1) * 2 + (qx & 1));
}

std::size_t attributeOffset(int qx, int qy) {
  return static_cast<std::size_t>(rom::kFieldAttributeMap.offset) + mapIndex(qx / 2, qy / 2);
}

bool writeByte(std::uint8_t& byte, std::uint8_t value) {
  if (byte == value) {
    return false;
  }
  byte = value;
  return true;
}

}  // namespace

MapCell clampedMapCellAt(int x, int y) {
  const int column = std::clamp(floorDiv(x, rom::kMetatileSide), 0, rom::kMapColumns - 1);
  const int row = std::clamp(floorDiv(y, rom::kMetatileSide), 0, rom::kMapRows - 1);
  return MapCell{static_cast<std::int16_t>(column), static_cast<std::int16_t>(row)};
}

CellRect wholeField() {
  return {0, 0, rom::kMapColumns, rom::kMapRows};
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

std::vector<std::pair<int, int>> cellsAlong(int x0, int y0, int x1, int y1) {
  // Walks from cell centre to cell centre, stepping across whichever cell
  // edge the line reaches first; on a corner, across x first.
  const int dx = std::abs(x1 - x0);
  const int dy = std::abs(y1 - y0);
  const int sx = x1 > x0 ? 1 : -1;
  const int sy = y1 > y0 ? 1 : -1;
  std::vector<std::pair<int, int>> cells{{x0, y0}};
  int x = x0;
  int y = y0;
  // Compares the distances to the next vertical and horizontal edges in
  // whole numbers: (1 + 2 i) / dx against (1 + 2 j) / dy.
  for (int i = 0, j = 0; i < dx || j < dy;) {
    if (j >= dy || (i < dx && std::int64_t{1 + 2 * i} * dy <= std::int64_t{1 + 2 * j} * dx)) {
      x += sx;
      ++i;
    } else {
      y += sy;
      ++j;
    }
    cells.emplace_back(x, y);
  }
  return cells;
}

int quadrantSubPalette(const ByteArray& rom, int qx, int qy) {
  if (!hasField(rom) || qx < 0 || qy < 0 || qx >= kQuadrantColumns || qy >= kQuadrantRows) {
    return 0;
  }
  return (rom[attributeOffset(qx, qy)] >> quadrantShift(qx, qy)) & 3;
}

bool setQuadrantSubPalette(ByteArray& rom, int qx, int qy, int subPalette) {
  if (!hasField(rom) || qx < 0 || qy < 0 || qx >= kQuadrantColumns || qy >= kQuadrantRows) {
    return false;
  }
  std::uint8_t& attribute = rom[attributeOffset(qx, qy)];
  const int shift = quadrantShift(qx, qy);
  return writeByte(attribute, static_cast<std::uint8_t>((attribute & ~(3 << shift)) |
                                                        ((subPalette & 3) << shift)));
}

MapBlock copyMapBlock(const ByteArray& rom, const CellRect& cells) {
  MapBlock block;
  const CellRect field = wholeField();
  if (!hasField(rom) || cells.empty() || !field.contains(cells.column, cells.row) ||
      !field.contains(cells.column + cells.columns - 1, cells.row + cells.rows - 1)) {
    return block;
  }
  block.columns = cells.columns;
  block.rows = cells.rows;
  for (int r = 0; r < cells.rows; ++r) {
    for (int c = 0; c < cells.columns; ++c) {
      block.metatiles.push_back(mapByte(rom, cells.column + c, cells.row + r));
    }
  }
  for (int qy = 0; qy < 2 * cells.rows; ++qy) {
    for (int qx = 0; qx < 2 * cells.columns; ++qx) {
      block.subPalettes.push_back(static_cast<std::uint8_t>(
          quadrantSubPalette(rom, 2 * cells.column + qx, 2 * cells.row + qy)));
    }
  }
  return block;
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

CellRect pasteArea(const MapBlock& block, int column, int row) {
  return clipToGrid(block.columns, block.rows, column, row, rom::kMapColumns, rom::kMapRows);
}

bool pasteMapBlock(ByteArray& rom, const MapBlock& block, int column, int row) {
  const CellRect area = pasteArea(block, column, row);
  if (!hasField(rom) || area.empty() ||
      block.metatiles.size() != static_cast<std::size_t>(block.columns * block.rows) ||
      block.subPalettes.size() != static_cast<std::size_t>(4 * block.columns * block.rows)) {
    return false;
  }
  bool changed = false;
  for (int r = area.row; r < area.row + area.rows; ++r) {
    for (int c = area.column; c < area.column + area.columns; ++c) {
      const int bc = c - column;
      const int br = r - row;
      changed |= writeByte(mapByte(rom, c, r),
                           block.metatiles[static_cast<std::size_t>(br * block.columns + bc)]);
      for (int q = 0; q < 4; ++q) {
        const int qx = 2 * bc + (q & 1);
        const int qy = 2 * br + q / 2;
        changed |= setQuadrantSubPalette(
            rom, 2 * c + (q & 1), 2 * r + q / 2,
            block.subPalettes[static_cast<std::size_t>(qy * 2 * block.columns + qx)]);
      }
    }
  }
  return changed;
}

bool fillCells(ByteArray& rom, const CellRect& cells, std::uint8_t metatile) {
  if (!hasField(rom)) {
    return false;
  }
  bool changed = false;
  const CellRect field = wholeField();
  for (int r = cells.row; r < cells.row + cells.rows; ++r) {
    for (int c = cells.column; c < cells.column + cells.columns; ++c) {
      if (field.contains(c, r)) {
        changed |= writeByte(mapByte(rom, c, r), metatile);
      }
    }
  }
  return changed;
}

bool floodFillMap(ByteArray& rom, MapCell start, std::uint8_t metatile,
                  const std::optional<CellRect>& selection) {
  if (!hasField(rom) || !wholeField().contains(start.column, start.row)) {
    return false;
  }
  const std::uint8_t matched = mapByte(rom, start.column, start.row);
  if (matched == metatile) {
    return false;  // the region holds it already
  }
  const ByteArray& bytes = rom;
  const std::vector<bool> region = floodRegion(
      rom::kMapColumns, rom::kMapRows, start.column, start.row,
      [&](int c, int r) { return mapByte(bytes, c, r) == matched; },
      [&](int c, int r) { return !selection || selection->contains(c, r); });
  bool changed = false;
  for (int r = 0; r < rom::kMapRows; ++r) {
    for (int c = 0; c < rom::kMapColumns; ++c) {
      if (region[mapIndex(c, r)]) {
        changed |= writeByte(mapByte(rom, c, r), metatile);
      }
    }
  }
  return changed;
}

namespace {

// Rows of two-digit hexadecimal numbers, spaces between.
void appendHexRows(std::string& text, const std::uint8_t* values, int columns, int rows) {
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X", values[r * columns + c]);
      text += (c == 0 ? "" : " ");
      text += hex;
    }
    text += "\n";
  }
}

}  // namespace

std::string mapBlockText(const MapBlock& block) {
  std::string text = "tarvo-field-block 1 " + std::to_string(block.columns) + " " +
                     std::to_string(block.rows) + "\n";
  appendHexRows(text, block.metatiles.data(), block.columns, block.rows);
  for (int qy = 0; qy < 2 * block.rows; ++qy) {
    for (int qx = 0; qx < 2 * block.columns; ++qx) {
      text += static_cast<char>(
          '0' + (block.subPalettes[static_cast<std::size_t>(qy * 2 * block.columns + qx)] & 3));
    }
    text += "\n";
  }
  return text;
}

namespace {

bool fail(std::string* reason, std::string why) {
  if (reason != nullptr) {
    *reason = std::move(why);
  }
  return false;
}

// The next line of `text` from `at`, without its "\n" or "\r\n"; false at
// the end.
bool nextLine(std::string_view text, std::size_t& at, std::string_view& line) {
  if (at >= text.size()) {
    return false;
  }
  const std::size_t end = text.find('\n', at);
  line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
  at = end == std::string_view::npos ? text.size() : end + 1;
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

}  // namespace

namespace {

// "KIND 1 COLUMNS ROWS", nothing more, with 1 to `most...` columns and rows.
bool readHeader(std::string_view line, std::string_view kind, int mostColumns, int mostRows,
                int& columns, int& rows, std::string* reason) {
  const std::string header = std::string(kind) + " 1 ";
  bool read = line.substr(0, header.size()) == header;
  if (read) {
    const char* end = line.data() + line.size();
    const auto first = std::from_chars(line.data() + header.size(), end, columns);
    read = first.ec == std::errc() && first.ptr < end && *first.ptr == ' ';
    if (read) {
      const auto second = std::from_chars(first.ptr + 1, end, rows);
      read = second.ec == std::errc() && second.ptr == end;
    }
  }
  if (!read) {
    return fail(reason, "The first line is not \"" + std::string(kind) + " 1 COLUMNS ROWS\"");
  }
  if (columns < 1 || rows < 1 || columns > mostColumns || rows > mostRows) {
    return fail(reason, "A block has 1 to " + std::to_string(mostColumns) + " columns and 1 to " +
                            std::to_string(mostRows) + " rows");
  }
  return true;
}

// `rows` lines of `columns` two-digit hexadecimal numbers, spaces between;
// `what` names a row in the reason ("Metatile row 2").
bool readHexRows(std::string_view text, std::size_t& at, int columns, int rows,
                 std::vector<std::uint8_t>& out, const std::string& what, std::string* reason) {
  std::string_view line;
  for (int r = 0; r < rows; ++r) {
    const std::string name = what + " row " + std::to_string(r + 1);
    if (!nextLine(text, at, line) || line.size() != static_cast<std::size_t>(3 * columns - 1)) {
      return fail(reason, name + " does not hold " + std::to_string(columns) + " numbers");
    }
    for (int c = 0; c < columns; ++c) {
      const std::size_t i = static_cast<std::size_t>(3 * c);
      const int high = hexDigit(line[i]);
      const int low = hexDigit(line[i + 1]);
      if (high < 0 || low < 0 || (c + 1 < columns && line[i + 2] != ' ')) {
        return fail(reason, name + " holds something other than two-digit hexadecimal numbers");
      }
      out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
  }
  return true;
}

}  // namespace

bool parseMapBlockText(std::string_view text, MapBlock& block, std::string* reason) {
  std::size_t at = 0;
  std::string_view line;
  if (!nextLine(text, at, line)) {
    return fail(reason, "The text is empty");
  }
  MapBlock read;
  if (!readHeader(line, "tarvo-field-block", rom::kMapColumns, rom::kMapRows, read.columns,
                  read.rows, reason) ||
      !readHexRows(text, at, read.columns, read.rows, read.metatiles, "Metatile", reason)) {
    return false;
  }
  const int columns = read.columns;
  const int rows = read.rows;
  for (int qy = 0; qy < 2 * rows; ++qy) {
    if (!nextLine(text, at, line) || line.size() != static_cast<std::size_t>(2 * columns)) {
      return fail(reason, "Sub-palette row " + std::to_string(qy + 1) + " does not hold " +
                              std::to_string(2 * columns) + " digits");
    }
    for (const char digit : line) {
      if (digit < '0' || digit > '3') {
        return fail(reason, "Sub-palette row " + std::to_string(qy + 1) +
                                " holds something other than the digits 0 to 3");
      }
      read.subPalettes.push_back(static_cast<std::uint8_t>(digit - '0'));
    }
  }
  if (at < text.size()) {
    return fail(reason, "The text goes on after the block");
  }
  block = std::move(read);
  return true;
}

namespace {

bool hasNameTable(const ByteArray& rom) {
  return rom.size() >= static_cast<std::size_t>(rom::kBatViewNameTable.end());
}

std::size_t nameTableIndex(int column, int row) {
  return static_cast<std::size_t>(rom::kBatViewNameTable.offset + row * rom::kBatViewColumns +
                                  column);
}

}  // namespace

CellRect nameTablePasteArea(const NameTableBlock& block, int column, int row) {
  return clipToGrid(block.columns, block.rows, column, row, rom::kBatViewColumns,
                    rom::kBatViewRows);
}

NameTableBlock copyNameTableBlock(const ByteArray& rom, const CellRect& cells) {
  NameTableBlock block;
  const CellRect whole{0, 0, rom::kBatViewColumns, rom::kBatViewRows};
  if (!hasNameTable(rom) || cells.empty() || !whole.contains(cells.column, cells.row) ||
      !whole.contains(cells.column + cells.columns - 1, cells.row + cells.rows - 1)) {
    return block;
  }
  block.columns = cells.columns;
  block.rows = cells.rows;
  for (int r = 0; r < cells.rows; ++r) {
    for (int c = 0; c < cells.columns; ++c) {
      block.tiles.push_back(rom[nameTableIndex(cells.column + c, cells.row + r)]);
    }
  }
  return block;
}

bool pasteNameTableBlock(ByteArray& rom, const NameTableBlock& block, int column, int row) {
  const CellRect area = nameTablePasteArea(block, column, row);
  if (!hasNameTable(rom) || area.empty() ||
      block.tiles.size() != static_cast<std::size_t>(block.columns * block.rows)) {
    return false;
  }
  bool changed = false;
  for (int r = area.row; r < area.row + area.rows; ++r) {
    for (int c = area.column; c < area.column + area.columns; ++c) {
      changed |= writeByte(
          rom[nameTableIndex(c, r)],
          block.tiles[static_cast<std::size_t>((r - row) * block.columns + (c - column))]);
    }
  }
  return changed;
}

bool fillNameTableCells(ByteArray& rom, const CellRect& cells, std::uint8_t tile) {
  const CellRect area = clipToGrid(cells.columns, cells.rows, cells.column, cells.row,
                                   rom::kBatViewColumns, rom::kBatViewRows);
  if (!hasNameTable(rom) || area.empty()) {
    return false;
  }
  bool changed = false;
  for (int r = area.row; r < area.row + area.rows; ++r) {
    for (int c = area.column; c < area.column + area.columns; ++c) {
      changed |= writeByte(rom[nameTableIndex(c, r)], tile);
    }
  }
  return changed;
}

std::uint8_t nameTableTile(const ByteArray& rom, int column, int row) {
  return hasNameTable(rom) ? rom[nameTableIndex(column, row)] : 0;
}

bool floodFillNameTable(ByteArray& rom, int column, int row, std::uint8_t tile,
                        const std::optional<CellRect>& selection) {
  if (!hasNameTable(rom) || column < 0 || row < 0 || column >= rom::kBatViewColumns ||
      row >= rom::kBatViewRows) {
    return false;
  }
  const std::uint8_t pressed = rom[nameTableIndex(column, row)];
  if (pressed == tile) {
    return false;
  }
  const std::vector<bool> region = floodRegion(
      rom::kBatViewColumns, rom::kBatViewRows, column, row,
      [&](int c, int r) { return rom[nameTableIndex(c, r)] == pressed; },
      [&](int c, int r) { return !selection || selection->contains(c, r); });
  bool changed = false;
  for (int r = 0; r < rom::kBatViewRows; ++r) {
    for (int c = 0; c < rom::kBatViewColumns; ++c) {
      if (region[static_cast<std::size_t>(r * rom::kBatViewColumns + c)]) {
        changed |= writeByte(rom[nameTableIndex(c, r)], tile);
      }
    }
  }
  return changed;
}

std::string nameTableBlockText(const NameTableBlock& block) {
  std::string text = "tarvo-name-table-block 1 " + std::to_string(block.columns) + " " +
                     std::to_string(block.rows) + "\n";
  appendHexRows(text, block.tiles.data(), block.columns, block.rows);
  return text;
}

bool parseNameTableBlockText(std::string_view text, NameTableBlock& block, std::string* reason) {
  std::size_t at = 0;
  std::string_view line;
  if (!nextLine(text, at, line)) {
    return fail(reason, "The text is empty");
  }
  NameTableBlock read;
  if (!readHeader(line, "tarvo-name-table-block", rom::kBatViewColumns, rom::kBatViewRows,
                  read.columns, read.rows, reason) ||
      !readHexRows(text, at, read.columns, read.rows, read.tiles, "Tile", reason)) {
    return false;
  }
  if (at < text.size()) {
    return fail(reason, "The text goes on after the block");
  }
  block = std::move(read);
  return true;
}

std::string tileText(const TileBytes& bytes) {
  std::string text = "tarvo-tile 1\n";
  appendHexRows(text, bytes.data(), static_cast<int>(bytes.size()), 1);
  return text;
}

bool parseTileText(std::string_view text, TileBytes& bytes, std::string* reason) {
  std::size_t at = 0;
  std::string_view line;
  if (!nextLine(text, at, line) || line != "tarvo-tile 1") {
    return fail(reason, "The first line is not \"tarvo-tile 1\"");
  }
  std::vector<std::uint8_t> read;
  if (!readHexRows(text, at, static_cast<int>(bytes.size()), 1, read, "Byte", reason)) {
    return false;
  }
  if (at < text.size()) {
    return fail(reason, "The text goes on after the tile");
  }
  std::copy(read.begin(), read.end(), bytes.begin());
  return true;
}

}  // namespace tarvo
