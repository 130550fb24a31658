// The NES 2bpp planar tile format and the tile pixel buffer.
//
// A tile is 16 bytes: bytes 0-7 hold bit 0 of each pixel (plane 0), bytes
// 8-15 bit 1 (plane 1), byte r of a plane is row r, bit 7 is column 0. In a
// tile pixel buffer every pixel is one byte, the colour slot 0 to 3; pixel
// (row r, column c) of tile t is element t * 64 + r * 8 + c.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/bytes.h"

namespace tarvo {

// The sizes of the tile format.
namespace chr {

inline constexpr int kTileBytes = 16;   // 8 bytes of plane 0, then 8 of plane 1
inline constexpr int kTileSide = 8;     // pixels
inline constexpr int kTilePixels = 64;  // kTileSide * kTileSide
inline constexpr int kBankTiles = 256;  // tiles of a 4 KiB pattern table

static_assert(kTilePixels == kTileSide * kTileSide);
static_assert(kTileBytes * 8 == kTilePixels * 2, "two bits a pixel");

}  // namespace chr

using TilePixels = std::vector<std::uint8_t>;

// Makes `pixels` hold `count` tiles decoded from the CHR bytes at file offset
// `offset` of `source`; what it held before is discarded. Bytes that would lie
// outside `source` are never read and decode as zero.
void decodeTiles(std::int32_t offset, int count, TilePixels& pixels, const ByteArray& source);

// Makes `output` hold exactly count * 16 bytes and encodes tiles 0 to count - 1
// of `pixels` into it, tile t at start + 16t (0 is the one start that fits).
// Only bits 0 and 1 of a pixel count; pixels missing from `pixels` encode as
// 0, and bytes that would fall outside `output` are not written.
void encodeTiles(std::int32_t start, int count, const TilePixels& pixels, ByteArray& output);

// Encodes tile `tile` of `pixels` into the 16 bytes at `offset` of `image`;
// bytes that would fall outside the image are not written.
void storeTile(const TilePixels& pixels, std::uint8_t tile, ByteArray& image, std::int64_t offset);

// Decodes the 16 bytes at `offset` of `image` into tile `tile` of `pixels`,
// which must hold that tile already; the other tiles stay as they are.
void decodeTile(const ByteArray& image, std::int64_t offset, TilePixels& pixels, std::uint8_t tile);

// Makes tile `destinationTile` of `destination` equal tile `sourceTile` of
// `source`; the two may be the same buffer. A tile outside either buffer is
// left alone.
void copyTile(const TilePixels& source, std::uint8_t sourceTile, TilePixels& destination,
              std::uint8_t destinationTile);

}  // namespace tarvo
