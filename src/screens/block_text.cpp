#include "screens/block_text.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace tarvo {

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

std::string hexText(int value) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", value & 0xFF);
  return hex;
}

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

// `rows` lines of `columns` two-digit hexadecimal numbers below `values`,
// spaces between; `what` names a row in the reason ("Metatile row 2").
bool readHexRows(std::string_view text, std::size_t& at, int columns, int rows, int values,
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
      if (high * 16 + low >= values) {
        return fail(reason, name + " holds " + hexText(high * 16 + low) + ", beyond the last, " +
                                hexText(values - 1));
      }
      out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
  }
  return true;
}

// 2 x rows lines of 2 x columns digits 0 to 3.
bool readSubPaletteRows(std::string_view text, std::size_t& at, int columns, int rows,
                        std::vector<std::uint8_t>& out, std::string* reason) {
  std::string_view line;
  for (int qy = 0; qy < 2 * rows; ++qy) {
    const std::string name = "Sub-palette row " + std::to_string(qy + 1);
    if (!nextLine(text, at, line) || line.size() != static_cast<std::size_t>(2 * columns)) {
      return fail(reason, name + " does not hold " + std::to_string(2 * columns) + " digits");
    }
    for (const char digit : line) {
      if (digit < '0' || digit > '3') {
        return fail(reason, name + " holds something other than the digits 0 to 3");
      }
      out.push_back(static_cast<std::uint8_t>(digit - '0'));
    }
  }
  return true;
}

}  // namespace

std::string blockText(const GridShape& shape, const CellBlock& block) {
  std::string text = std::string(shape.blockKind) + " 1 " + std::to_string(block.columns) + " " +
                     std::to_string(block.rows) + "\n";
  appendHexRows(text, block.cells.data(), block.columns, block.rows);
  for (int qy = 0; shape.quadrants && qy < 2 * block.rows; ++qy) {
    for (int qx = 0; qx < 2 * block.columns; ++qx) {
      text += static_cast<char>(
          '0' + (block.subPalettes[static_cast<std::size_t>(qy * 2 * block.columns + qx)] & 3));
    }
    text += "\n";
  }
  return text;
}

bool parseBlockText(const GridShape& shape, std::string_view text, CellBlock& block,
                    std::string* reason) {
  std::size_t at = 0;
  std::string_view line;
  if (!nextLine(text, at, line)) {
    return fail(reason, "The text is empty");
  }
  CellBlock read;
  if (!readHeader(line, shape.blockKind, shape.columns, shape.rows, read.columns, read.rows,
                  reason) ||
      !readHexRows(text, at, read.columns, read.rows, shape.values, read.cells, shape.valueName,
                   reason) ||
      (shape.quadrants &&
       !readSubPaletteRows(text, at, read.columns, read.rows, read.subPalettes, reason))) {
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
  if (!readHexRows(text, at, static_cast<int>(bytes.size()), 1, 256, read, "Byte", reason)) {
    return false;
  }
  if (at < text.size()) {
    return fail(reason, "The text goes on after the tile");
  }
  std::copy(read.begin(), read.end(), bytes.begin());
  return true;
}

}  // namespace tarvo
