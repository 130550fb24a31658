// The demo image is painted, not stored: the field and the batter's view are
// drawn here pixel by pixel as colour slots, then cut into 8x8 tiles (and, for
// the field, 32x32 metatiles) with duplicates shared, and written into an
// otherwise plain iNES image. Everything is integer arithmetic, so every
// compiler and standard library gives the same bytes.
//
// Bytes that belong to no location the editor uses: the unused program space
// is 0xFF (as an erased EPROM reads), the unused CHR space is 0.

#include "screens/demo_rom.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "gfx/chr_codec.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// ---------------------------------------------------------------------------
// Image layout

constexpr int kHeaderBytes = 16;
constexpr int kPrgUnits = 4;  // of 16 KiB
constexpr int kChrUnits = 4;  // of 8 KiB
constexpr int kPrgBytes = kPrgUnits * 16384;
constexpr int kChrBytes = kChrUnits * 8192;
constexpr int kImageBytes = kHeaderBytes + kPrgBytes + kChrBytes;
constexpr std::uint8_t kUnusedPrgByte = 0xFF;
constexpr std::uint8_t kUnusedChrByte = 0x00;
static_assert(kImageBytes == rom::kMinImageSize, "the demo ends with the batter's view bank");

constexpr int kTile = rom::kTileSide;
constexpr int kCell = rom::kMetatileSide;
constexpr int kQuad = rom::kQuadrantSide;
constexpr int kFieldSide = rom::kMapColumns * kCell;  // 768
constexpr int kFieldQuads = kFieldSide / kQuad;       // 48
constexpr int kBatWidth = rom::kBatViewColumns * kTile;
constexpr int kBatHeight = rom::kBatViewRows * kTile;

// ---------------------------------------------------------------------------
// Small integer helpers

// The largest r with r * r <= v, by bisection.
constexpr std::int64_t isqrt(std::int64_t v) {
  std::int64_t low = 0;
  std::int64_t high = 3037000499;  // the square root of the largest int64_t
  while (low < high) {
    const std::int64_t mid = low + (high - low + 1) / 2;
    if (mid <= v / mid) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

constexpr std::int64_t square(std::int64_t v) {
  return v * v;
}

// True when (x, y) lies within `r` of the segment from (ax, ay) to (bx, by).
bool nearSegment(int x, int y, int ax, int ay, int bx, int by, int r) {
  const std::int64_t dx = bx - ax;
  const std::int64_t dy = by - ay;
  const std::int64_t wx = x - ax;
  const std::int64_t wy = y - ay;
  const std::int64_t along = wx * dx + wy * dy;
  const std::int64_t length2 = dx * dx + dy * dy;
  if (along <= 0 || length2 == 0) {
    return wx * wx + wy * wy <= square(r);
  }
  if (along >= length2) {
    return square(x - bx) + square(y - by) <= square(r);
  }
  const std::int64_t cross = wx * dy - wy * dx;
  return cross * cross <= square(r) * length2;
}

// A disc of radius r + 1/2 around the origin: no lone pixels at its four
// extremes.
bool inCircle(std::int64_t dx, std::int64_t dy, std::int64_t r) {
  return dx * dx + dy * dy <= r * r + r;
}

bool insideEllipse(int x, int y, int cx, int cy, int rx, int ry) {
  return square(static_cast<std::int64_t>(x - cx) * ry) +
             square(static_cast<std::int64_t>(y - cy) * rx) <=
         square(static_cast<std::int64_t>(rx) * ry);
}

struct Point {
  int x;
  int y;
};

// Even-odd rule at the pixel centre.
bool insidePolygon(int x, int y, const std::vector<Point>& polygon) {
  const std::int64_t px = 2 * x + 1;
  const std::int64_t py = 2 * y + 1;
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const std::int64_t xi = 2 * polygon[i].x;
    const std::int64_t yi = 2 * polygon[i].y;
    const std::int64_t xj = 2 * polygon[j].x;
    const std::int64_t yj = 2 * polygon[j].y;
    if ((yi > py) != (yj > py)) {
      // x of the edge at py, compared without dividing.
      const std::int64_t lhs = (px - xi) * (yj - yi);
      const std::int64_t rhs = (xj - xi) * (py - yi);
      if ((yj > yi) ? lhs < rhs : lhs > rhs) {
        inside = !inside;
      }
    }
  }
  return inside;
}

// An xorshift with a fixed start, for the crowd and anything else that should look
// irregular yet never change.
class Xorshift {
 public:
  explicit Xorshift(std::uint32_t variant) : state_(variant) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t state_;
};

// ---------------------------------------------------------------------------
// Cutting a picture into shared tiles

using Tile = std::array<std::uint8_t, rom::kTilePixels>;

struct TileCut {
  std::vector<Tile> tiles;  // distinct tiles, in the order first met
  std::vector<int> uses;    // how many grid places show each tile
  std::vector<int> grid;    // tile index of every 8x8 place, row-major
  int columns = 0;
};

TileCut cutIntoTiles(const std::vector<std::uint8_t>& slots, int width, int height) {
  TileCut cut;
  cut.columns = width / kTile;
  const int rows = height / kTile;
  std::map<Tile, int> index;
  cut.grid.reserve(static_cast<std::size_t>(cut.columns * rows));
  for (int ty = 0; ty < rows; ++ty) {
    for (int tx = 0; tx < cut.columns; ++tx) {
      Tile tile;
      for (int r = 0; r < kTile; ++r) {
        for (int c = 0; c < kTile; ++c) {
          tile[static_cast<std::size_t>(r * kTile + c)] =
              slots[static_cast<std::size_t>((ty * kTile + r) * width + tx * kTile + c)];
        }
      }
      const auto [it, added] = index.emplace(tile, static_cast<int>(cut.tiles.size()));
      if (added) {
        cut.tiles.push_back(tile);
        cut.uses.push_back(0);
      }
      ++cut.uses[static_cast<std::size_t>(it->second)];
      cut.grid.push_back(it->second);
    }
  }
  return cut;
}

int tileDistance(const Tile& a, const Tile& b) {
  int d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    d += a[i] != b[i] ? 1 : 0;
  }
  return d;
}

// Folds items into others until at most `limit` remain. Each step folds the
// item whose replacement changes the fewest pixels of the picture (its
// distance to the other item times the places it fills) into that other item;
// ties go to the pair met first. Returns, for every item, the index it has in
// the shortened list.
template <typename Item, typename Distance>
std::vector<int> foldItems(std::vector<Item>& items, std::vector<int>& uses, int limit,
                           Distance distance) {
  const int n = static_cast<int>(items.size());
  std::vector<int> into(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    into[static_cast<std::size_t>(i)] = i;
  }
  if (n <= limit) {
    return into;
  }
  const auto at = [n](int i, int j) { return static_cast<std::size_t>(i * n + j); };
  std::vector<int> d(static_cast<std::size_t>(n * n), 0);
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      d[at(i, j)] = d[at(j, i)] =
          distance(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
    }
  }
  std::vector<bool> alive(static_cast<std::size_t>(n), true);
  for (int left = n; left > limit; --left) {
    std::int64_t bestCost = INT64_MAX;
    int victim = -1;
    int keep = -1;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n && alive[static_cast<std::size_t>(i)]; ++j) {
        if (j == i || !alive[static_cast<std::size_t>(j)]) {
          continue;
        }
        const std::int64_t cost =
            static_cast<std::int64_t>(d[at(i, j)]) * uses[static_cast<std::size_t>(i)];
        if (cost < bestCost) {
          bestCost = cost;
          victim = i;
          keep = j;
        }
      }
    }
    alive[static_cast<std::size_t>(victim)] = false;
    into[static_cast<std::size_t>(victim)] = keep;
    uses[static_cast<std::size_t>(keep)] += uses[static_cast<std::size_t>(victim)];
  }
  // Follow each folded item to the survivor it ended in, then number the
  // survivors in their old order.
  std::vector<int> number(static_cast<std::size_t>(n), -1);
  std::vector<Item> keptItems;
  std::vector<int> keptUses;
  for (int i = 0; i < n; ++i) {
    if (alive[static_cast<std::size_t>(i)]) {
      number[static_cast<std::size_t>(i)] = static_cast<int>(keptItems.size());
      keptItems.push_back(items[static_cast<std::size_t>(i)]);
      keptUses.push_back(uses[static_cast<std::size_t>(i)]);
    }
  }
  for (int i = 0; i < n; ++i) {
    int root = i;
    while (!alive[static_cast<std::size_t>(root)]) {
      root = into[static_cast<std::size_t>(root)];
    }
    into[static_cast<std::size_t>(i)] = number[static_cast<std::size_t>(root)];
  }
  items = std::move(keptItems);
  uses = std::move(keptUses);
  return into;
}

void limitTiles(TileCut& cut, int limit) {
  const std::vector<int> into = foldItems(cut.tiles, cut.uses, limit, tileDistance);
  for (int& g : cut.grid) {
    g = into[static_cast<std::size_t>(g)];
  }
}

// Tile numbers are spread over the whole bank rather than packed at its start:
// index i goes to (i * 109 + 37) mod 256, a permutation since 109 is odd.
constexpr std::uint8_t spreadTileNumber(int index) {
  return static_cast<std::uint8_t>((index * 109 + 37) & 0xFF);
}

void writeBank(ByteArray& image, const rom::Location& bank, const std::vector<Tile>& tiles,
               bool spread) {
  TilePixels pixels(static_cast<std::size_t>(rom::kBankTiles * rom::kTilePixels), 0);
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const int number = spread ? spreadTileNumber(static_cast<int>(i)) : static_cast<int>(i);
    std::copy(tiles[i].begin(), tiles[i].end(),
              pixels.begin() + static_cast<std::ptrdiff_t>(number * rom::kTilePixels));
  }
  ByteArray chr;
  encodeTiles(0, rom::kBankTiles, pixels, chr);
  std::copy(chr.begin(), chr.end(), image.begin() + bank.offset);
}

// ---------------------------------------------------------------------------
// The field: what each pixel shows

// What a pixel of the field is made of. A material becomes a colour slot only
// once its quadrant's sub-palette is known.
enum Material : std::uint8_t {
  kGrass,
  kDirt,
  kChalk,
  kWall,
  kSeat,
  kShirtA,
  kShirtB,
  kHead,
  kBoard,
  kBulb,
  kMaterialCount,
};

// Sub-palettes: 0 and 1 are the playing surface (two greens for the mowing
// stripes), 2 the stands and scoreboard, 3 the stands where they meet the
// wall and warning track.
constexpr std::array<std::uint8_t, 16> kFieldPalette{
    0x1A, 0x18, 0x30, 0x0C,  // grass, dirt, chalk, wall
    0x19, 0x18, 0x30, 0x0C,  // darker grass, dirt, chalk, wall
    0x2D, 0x16, 0x30, 0x0F,  // seats, red shirts, white shirts, dark hair / board
    0x2D, 0x21, 0x18, 0x0C,  // seats, blue shirts, dirt / orange shirts, wall / hair
};

// The slot of each material in each sub-palette; where a sub-palette lacks the
// material the nearest colour it has stands in.
constexpr std::array<std::array<std::uint8_t, 4>, kMaterialCount> kMaterialSlot{{
    {0, 0, 3, 3},  // grass
    {1, 1, 1, 2},  // dirt
    {2, 2, 2, 1},  // chalk
    {3, 3, 3, 3},  // wall
    {3, 3, 0, 0},  // seat
    {1, 1, 1, 1},  // shirt A
    {2, 2, 2, 2},  // shirt B
    {3, 3, 3, 3},  // head
    {3, 3, 3, 3},  // scoreboard
    {2, 2, 2, 1},  // scoreboard bulb
}};

// Field geometry, in pixels relative to the point of home plate: X to the
// right, U up the screen. First base lies along X = U, third along X = -U.
constexpr int kHomeX = 384;
constexpr int kHomeY = 700;
constexpr int kBase = 104;         // X and U of first base (a base path of 147 px)
constexpr int kRubberU = 98;       // pitcher's rubber
constexpr int kArcRadius = 152;    // infield grass arc, around the rubber
constexpr int kPathHalf = 10;      // base path half width, in X + U units
constexpr int kCutoutRadius = 19;  // dirt around first and third base
constexpr int kHomeCircle = 30;    // dirt around home plate
constexpr int kMoundRadius = 17;
constexpr int kOnDeckX = 50;  // on-deck circles, either side of the plate
constexpr int kOnDeckU = -6;
constexpr int kOnDeckRadius = 7;
constexpr int kTrack = 18;  // warning track width
constexpr int kWallThickness = 6;
// The stands, by distance beyond the wall's inner face: a lower deck, a
// concourse and an upper deck, each deck in its own sub-palette.
constexpr int kLowerDeckStart = kWallThickness + 7;
constexpr int kConcourseStart = kLowerDeckStart + 40;
constexpr int kConcourseEnd = kConcourseStart + 24;

// The outfield wall approximates a circle with straight runs in the five
// directions that repeat every few tiles (level, 1:2, 1:1, 2:1 and upright),
// so each run needs only a handful of distinct tiles and metatiles.
constexpr int kWallCentreU = 260;
constexpr int kWallRadius = 338;
constexpr int kFoulWidth = 96;  // foul territory beside the lines, in |X| - U units
constexpr int kBackstop = 46;   // below the plate

// Distances beyond whole pixels: 1/65536 px units.
constexpr std::int64_t px(int pixels) {
  return static_cast<std::int64_t>(pixels) * 65536;
}

struct HalfPlane {
  int nx;
  int nu;
  std::int64_t limit;          // inside when nx * X + nu * U <= limit
  std::int64_t inverseLength;  // 65536 / |n|, to 12 bits more than a pixel
};

constexpr HalfPlane wallSide(int nx, int nu) {
  const std::int64_t norm2 = nx * nx + nu * nu;
  return HalfPlane{nx, nu, nu * kWallCentreU + isqrt(square(kWallRadius) * norm2),
                   px(4096) / isqrt(norm2 * 4096 * 4096)};
}

constexpr HalfPlane plainSide(int nx, int nu, int limit) {
  const std::int64_t norm2 = nx * nx + nu * nu;
  return HalfPlane{nx, nu, limit, px(4096) / isqrt(norm2 * 4096 * 4096)};
}

constexpr std::array<HalfPlane, 11> kWallSides{
    wallSide(0, 1),
    wallSide(1, 2),
    wallSide(-1, 2),
    wallSide(1, 1),
    wallSide(-1, 1),
    wallSide(2, 1),
    wallSide(-2, 1),
    wallSide(1, 0),
    wallSide(-1, 0),
    plainSide(1, -1, kFoulWidth),
    plainSide(-1, -1, kFoulWidth),
};

// Distance inside the wall's playing side, in 1/65536 px (negative outside).
std::int64_t insideWall(int X, int U) {
  std::int64_t best = INT64_MAX;
  for (const HalfPlane& h : kWallSides) {
    best = std::min(best, (h.limit - (h.nx * X + h.nu * U)) * h.inverseLength);
  }
  best = std::min(best, static_cast<std::int64_t>(kBackstop + U) * 65536);
  return best;
}

// The scoreboard above centre field, its sides on quadrant lines; every
// quadrant it touches takes the stands' sub-palette with the black face. The
// face is a grid of lamps, one every 4 pixels.
constexpr int kBoardLeft = 320;
constexpr int kBoardRight = 448;
constexpr int kBoardTop = 4;
constexpr int kBoardBottom = 64;
constexpr int kLampColumns = (kBoardRight - kBoardLeft) / 4;
constexpr int kLampRows = (kBoardBottom - kBoardTop) / 4;

// Lit lamps: the program's name over a line score, in a 3 x 5 lamp font.
std::array<bool, kLampColumns * kLampRows> makeBoardLamps() {
  struct Glyph {
    char c;
    std::array<const char*, 5> rows;
  };
  static constexpr std::array<Glyph, 9> kFont{{
      {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
      {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
      {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
      {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
      {'O', {"###", "#.#", "#.#", "#.#", "###"}},
      {'0', {"###", "#.#", "#.#", "#.#", "###"}},
      {'1', {".#.", "##.", ".#.", ".#.", "###"}},
      {'2', {"##.", "..#", ".#.", "#..", "###"}},
      {'3', {"##.", "..#", ".#.", "..#", "##."}},
  }};
  std::array<bool, kLampColumns * kLampRows> lit{};
  const auto write = [&lit](const char* text, int column, int row) {
    for (; *text != 0; ++text, column += 4) {
      for (const Glyph& g : kFont) {
        if (g.c != *text) {
          continue;
        }
        for (int r = 0; r < 5; ++r) {
          for (int c = 0; c < 3; ++c) {
            if (g.rows[static_cast<std::size_t>(r)][c] == '#') {
              lit[static_cast<std::size_t>((row + r) * kLampColumns + column + c)] = true;
            }
          }
        }
      }
    }
  };
  write("TARVO", 7, 1);
  write("0102003", 2, 8);
  return lit;
}

// The crowd repeats every 16 pixels across and down: two rows of seats, each
// a row of people (dark heads over shirts of two colours) with a seat back
// below them.
std::array<std::uint8_t, 256> makeCrowd() {
  std::array<std::uint8_t, 256> crowd{};
  crowd.fill(kSeat);
  for (int x = 0; x < 16; ++x) {
    crowd[static_cast<std::size_t>(6 * 16 + x)] = kHead;
    crowd[static_cast<std::size_t>(14 * 16 + x)] = kHead;
  }
  Xorshift random(0x7A3C91E5u);
  for (int row = 0; row < 2; ++row) {
    for (int seat = 0; seat < 4; ++seat) {
      const int left = seat * 4 + row * 2;
      const int pick = random.below(6);
      if (pick == 0) {
        continue;  // an empty seat
      }
      const Material shirt = pick <= 3 ? kShirtA : kShirtB;
      for (int dy = 0; dy < 5; ++dy) {
        for (int dx = 0; dx < 3; ++dx) {
          if (dy < 2 && dx != 1) {
            continue;
          }
          const int x = (left + dx) & 15;
          const int y = row * 8 + dy;
          crowd[static_cast<std::size_t>(y * 16 + x)] = dy < 2 ? kHead : shirt;
        }
      }
    }
  }
  return crowd;
}

// How far beyond the wall's inner face the centre of every square of `side`
// pixels lies, row-major.
std::vector<std::int64_t> beyondWallBySquare(int side) {
  const int count = kFieldSide / side;
  std::vector<std::int64_t> beyond(static_cast<std::size_t>(count * count));
  for (int row = 0; row < count; ++row) {
    for (int col = 0; col < count; ++col) {
      const int x = col * side + side / 2;
      const int y = row * side + side / 2;
      beyond[static_cast<std::size_t>(row * count + col)] = -insideWall(x - kHomeX, kHomeY - y);
    }
  }
  return beyond;
}

struct FieldArt {
  std::array<std::uint8_t, 256> crowd = makeCrowd();
  std::array<bool, kLampColumns* kLampRows> lamps = makeBoardLamps();
  std::vector<std::int64_t> tileBeyond = beyondWallBySquare(kTile);
  std::vector<std::int64_t> quadBeyond = beyondWallBySquare(kQuad);
};

Material fieldMaterial(int x, int y, const FieldArt& art) {
  if (x >= kBoardLeft && x < kBoardRight && y >= kBoardTop && y < kBoardBottom) {
    const int bx = x - kBoardLeft;
    const int by = y - kBoardTop;
    if (bx < 2 || bx >= kBoardRight - kBoardLeft - 2 || by < 2 ||
        by >= kBoardBottom - kBoardTop - 2) {
      return kChalk;  // the frame
    }
    const bool lamp = bx % 4 != 0 && bx % 4 != 3 && by % 4 != 0 && by % 4 != 3;
    return lamp && art.lamps[static_cast<std::size_t>(by / 4 * kLampColumns + bx / 4)] ? kBulb
                                                                                       : kBoard;
  }

  const int X = x - kHomeX;
  const int U = kHomeY - y;
  const int a1 = X + U;  // along the first base line
  const int a3 = U - X;  // along the third base line

  const std::int64_t inside = insideWall(X, U);
  if (inside < 0) {
    if (inside >= -px(kWallThickness)) {
      // The foul poles: the lines carried up the wall.
      if ((a3 == 0 || a3 == 1 || a1 == 0 || a1 == 1) && U > 100) {
        return kChalk;
      }
      return kWall;
    }
    // People sit only in whole tiles clear of the wall, and only in whole
    // quadrants clear of the concourse between the decks; the seats between
    // stay empty. So these edges need no tiles of their own for every row of
    // the crowd, and no quadrant holds people of both decks.
    const std::int64_t tileBeyond =
        art.tileBeyond[static_cast<std::size_t>(y / kTile * (kFieldSide / kTile) + x / kTile)];
    const std::int64_t quadBeyond =
        art.quadBeyond[static_cast<std::size_t>(y / kQuad * kFieldQuads + x / kQuad)];
    if (tileBeyond < px(kLowerDeckStart) ||
        (quadBeyond >= px(kConcourseStart) && quadBeyond < px(kConcourseEnd))) {
      return kSeat;
    }
    return static_cast<Material>(art.crowd[static_cast<std::size_t>((y & 15) * 16 + (x & 15))]);
  }

  // Chalk first: it lies on top of everything on the playing side.
  const bool onFoulLine = ((a3 == 0 || a3 == 1) && a1 >= 0) || ((a1 == 0 || a1 == 1) && a3 >= 0);
  if (onFoulLine && U > 12) {
    return kChalk;
  }
  // Home plate, its point toward the backstop.
  if (U >= -4 && U <= 3 && std::abs(X) <= 4 + std::min(U, 0)) {
    return kChalk;
  }
  // Batter's boxes: outlines 12 x 24 either side of the plate.
  for (int side = -1; side <= 1; side += 2) {
    const int left = side < 0 ? -21 : 8;
    const int right = left + 13;
    if (X >= left && X <= right && U >= -12 && U <= 12) {
      if (X == left || X == right || U == -12 || U == 12) {
        return kChalk;
      }
    }
  }
  // Catcher's box behind the plate.
  if (U >= -30 && U <= -12 && (X == -8 || X == 8)) {
    return kChalk;
  }
  if (U == -30 && X >= -8 && X <= 8) {
    return kChalk;
  }
  // Bases, square to the base lines, inside fair territory.
  if (a1 >= 2 * kBase - 9 && a1 <= 2 * kBase && a3 >= 0 && a3 <= 9) {
    return kChalk;  // first
  }
  if (a3 >= 2 * kBase - 9 && a3 <= 2 * kBase && a1 >= 0 && a1 <= 9) {
    return kChalk;  // third
  }
  if (std::abs(a1 - 2 * kBase) <= 5 && std::abs(a3 - 2 * kBase) <= 5) {
    return kChalk;  // second
  }
  // Pitcher's rubber.
  if (U >= kRubberU && U <= kRubberU + 1 && X >= -4 && X <= 3) {
    return kChalk;
  }

  if (inside < px(kTrack)) {
    return kDirt;
  }

  // The infield: dirt inside the arc (stopping a little past the foul lines)
  // and along the base lines, the inner grass square, the cut-outs.
  const bool inArc = inCircle(X, U - kRubberU, kArcRadius) && a1 >= -14 && a3 >= -14 && U >= 0;
  const bool onPath = (std::abs(a3) <= kPathHalf && a1 >= -kPathHalf && a1 <= 2 * kBase) ||
                      (std::abs(a1) <= kPathHalf && a3 >= -kPathHalf && a3 <= 2 * kBase);
  const bool innerGrass =
      a1 > kPathHalf && a1 < 2 * kBase - kPathHalf && a3 > kPathHalf && a3 < 2 * kBase - kPathHalf;
  const bool cutout = inCircle(X - kBase, U - kBase, kCutoutRadius) ||
                      inCircle(X + kBase, U - kBase, kCutoutRadius) || inCircle(X, U, kHomeCircle);
  const bool mound = inCircle(X, U - kRubberU, kMoundRadius);
  const bool onDeck = inCircle(std::abs(X) - kOnDeckX, U - kOnDeckU, kOnDeckRadius);
  if (cutout || mound || onDeck || onPath || (inArc && !innerGrass)) {
    return kDirt;
  }
  return kGrass;
}

struct FieldPicture {
  std::vector<std::uint8_t> slots;            // kFieldSide x kFieldSide
  std::vector<std::uint8_t> quadrantPalette;  // kFieldQuads x kFieldQuads
};

FieldPicture paintField() {
  const FieldArt art;
  std::vector<std::uint8_t> materials(static_cast<std::size_t>(kFieldSide * kFieldSide));
  for (int y = 0; y < kFieldSide; ++y) {
    for (int x = 0; x < kFieldSide; ++x) {
      materials[static_cast<std::size_t>(y * kFieldSide + x)] = fieldMaterial(x, y, art);
    }
  }

  FieldPicture picture;
  picture.slots.resize(materials.size());
  picture.quadrantPalette.resize(static_cast<std::size_t>(kFieldQuads * kFieldQuads));
  for (int qy = 0; qy < kFieldQuads; ++qy) {
    for (int qx = 0; qx < kFieldQuads; ++qx) {
      unsigned present = 0;
      for (int y = qy * kQuad; y < (qy + 1) * kQuad; ++y) {
        for (int x = qx * kQuad; x < (qx + 1) * kQuad; ++x) {
          present |= 1U << materials[static_cast<std::size_t>(y * kFieldSide + x)];
        }
      }
      const auto has = [present](Material m) { return (present & (1U << m)) != 0; };
      const bool stands = has(kSeat) || has(kShirtA) || has(kShirtB) || has(kHead);
      // Mowing stripes: bands three quadrants high in the two greens.
      const int stripe = (qy / 3) & 1;
      int palette;
      if (has(kBoard) || has(kBulb)) {
        palette = 2;
      } else if (has(kGrass) || (has(kChalk) && !stands)) {
        palette = stripe;
      } else if (has(kDirt) || has(kWall)) {
        palette = stands ? 3 : stripe;
      } else {
        // The lower deck in the colours of the stands by the wall, the
        // upper deck in the others.
        const std::int64_t beyond = art.quadBeyond[static_cast<std::size_t>(qy * kFieldQuads + qx)];
        palette = beyond < px(kConcourseStart) ? 3 : 2;
      }
      picture.quadrantPalette[static_cast<std::size_t>(qy * kFieldQuads + qx)] =
          static_cast<std::uint8_t>(palette);
      for (int y = qy * kQuad; y < (qy + 1) * kQuad; ++y) {
        for (int x = qx * kQuad; x < (qx + 1) * kQuad; ++x) {
          const std::size_t i = static_cast<std::size_t>(y * kFieldSide + x);
          picture.slots[i] = kMaterialSlot[materials[i]][static_cast<std::size_t>(palette)];
        }
      }
    }
  }
  return picture;
}

// ---------------------------------------------------------------------------
// The field: metatiles

using Metatile = std::array<int, rom::kMetatileTiles>;  // tile indices

int metatileDistance(const Metatile& a, const Metatile& b, const std::vector<Tile>& tiles) {
  int d = 0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    d += tileDistance(tiles[static_cast<std::size_t>(a[k])], tiles[static_cast<std::size_t>(b[k])]);
  }
  return d;
}

// Metatile numbers spread over 0..132 too: index j goes to (j * 40 + 7) mod 133,
// a permutation since 40 and 133 share no factor.
constexpr std::uint8_t spreadMetatileNumber(int index) {
  return static_cast<std::uint8_t>((index * 40 + 7) % rom::kMetatileCount);
}

// The 16 tile indices of the 32x32 piece of a cut picture whose top-left tile
// is (tx, ty).
Metatile pieceAt(const TileCut& cut, int tx, int ty) {
  Metatile m;
  for (int k = 0; k < rom::kMetatileTiles; ++k) {
    m[static_cast<std::size_t>(k)] =
        cut.grid[static_cast<std::size_t>((ty + k / 4) * cut.columns + tx + k % 4)];
  }
  return m;
}

struct MetatileCut {
  std::vector<Metatile> metatiles;  // distinct, in the order first met
  std::vector<int> uses;
  std::vector<int> cells;  // metatile index of every map cell, row-major
};

MetatileCut cutIntoMetatiles(const TileCut& cut) {
  MetatileCut result;
  std::map<Metatile, int> index;
  for (int row = 0; row < rom::kMapRows; ++row) {
    for (int col = 0; col < rom::kMapColumns; ++col) {
      const Metatile m = pieceAt(cut, col * 4, row * 4);
      const auto [it, added] = index.emplace(m, static_cast<int>(result.metatiles.size()));
      if (added) {
        result.metatiles.push_back(m);
        result.uses.push_back(0);
      }
      ++result.uses[static_cast<std::size_t>(it->second)];
      result.cells.push_back(it->second);
    }
  }
  const std::vector<int> into = foldItems(
      result.metatiles, result.uses, rom::kMetatileCount,
      [&cut](const Metatile& a, const Metatile& b) { return metatileDistance(a, b, cut.tiles); });
  for (int& c : result.cells) {
    c = into[static_cast<std::size_t>(c)];
  }
  return result;
}

// Fills the table's unused definitions with pieces of the same picture taken
// half a cell off the map grid: they reuse the bank's tiles, and a user can
// place them. The pieces with the most different tiles come first.
void addSpareMetatiles(const TileCut& cut, std::vector<Metatile>& metatiles) {
  std::map<Metatile, bool> known;
  for (const Metatile& m : metatiles) {
    known.emplace(m, true);
  }
  std::vector<std::pair<int, Metatile>> candidates;
  for (int row = 0; row + 1 < rom::kMapRows; ++row) {
    for (int col = 0; col + 1 < rom::kMapColumns; ++col) {
      const Metatile m = pieceAt(cut, col * 4 + 2, row * 4 + 2);
      if (!known.emplace(m, true).second) {
        continue;
      }
      std::vector<int> distinct(m.begin(), m.end());
      std::sort(distinct.begin(), distinct.end());
      const auto variety = std::unique(distinct.begin(), distinct.end()) - distinct.begin();
      candidates.emplace_back(-static_cast<int>(variety), m);
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& candidate : candidates) {
    if (static_cast<int>(metatiles.size()) >= rom::kMetatileCount) {
      return;
    }
    metatiles.push_back(candidate.second);
  }
  // A picture too plain to offer enough pieces would repeat its first one.
  while (static_cast<int>(metatiles.size()) < rom::kMetatileCount) {
    metatiles.push_back(metatiles.front());
  }
}

void writeField(ByteArray& image) {
  const FieldPicture picture = paintField();
  TileCut cut = cutIntoTiles(picture.slots, kFieldSide, kFieldSide);
  limitTiles(cut, rom::kBankTiles);
  MetatileCut pieces = cutIntoMetatiles(cut);
  std::vector<Metatile>& metatiles = pieces.metatiles;
  const std::vector<int>& cellMetatile = pieces.cells;
  addSpareMetatiles(cut, metatiles);

  for (std::size_t j = 0; j < metatiles.size(); ++j) {
    const int number = spreadMetatileNumber(static_cast<int>(j));
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      image[static_cast<std::size_t>(rom::kMetatileTable.offset + number * rom::kMetatileTiles +
                                     k)] =
          spreadTileNumber(metatiles[j][static_cast<std::size_t>(k)]);
    }
  }
  for (int cell = 0; cell < rom::kMapColumns * rom::kMapRows; ++cell) {
    const int row = cell / rom::kMapColumns;
    const int col = cell % rom::kMapColumns;
    image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)] =
        spreadMetatileNumber(cellMetatile[static_cast<std::size_t>(cell)]);
    const auto quad = [&](int dx, int dy) {
      return picture
          .quadrantPalette[static_cast<std::size_t>((row * 2 + dy) * kFieldQuads + col * 2 + dx)];
    };
    image[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + cell)] =
        static_cast<std::uint8_t>(quad(0, 0) | quad(1, 0) << 2 | quad(0, 1) << 4 | quad(1, 1) << 6);
  }
  std::copy(kFieldPalette.begin(), kFieldPalette.end(), image.begin() + rom::kFieldPalette.offset);
  writeBank(image, rom::kFieldChrBank, cut.tiles, true);
}

// ---------------------------------------------------------------------------
// The batter's view

constexpr std::array<std::uint8_t, 16> kBatViewPalette{
    0x0F, 0x1A, 0x27, 0x30,  // the view: dark, grass, dirt and skin, white
    // Sub-palettes 1 to 3 are never shown by the view.
    0x0F, 0x16, 0x27, 0x30,  // red team
    0x0F, 0x12, 0x27, 0x30,  // blue team
    0x0F, 0x00, 0x10, 0x30,  // greys
};

enum BatSlot : std::uint8_t { kDark = 0, kGreen = 1, kTan = 2, kWhite = 3 };

// A picture of colour slots for the batter's view, painted shape over shape.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width), height_(height), slots_(static_cast<std::size_t>(width * height), 0) {}

  void set(int x, int y, std::uint8_t slot) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
      slots_[static_cast<std::size_t>(y * width_ + x)] = slot;
    }
  }

  template <typename Inside>
  void fill(int left, int top, int right, int bottom, std::uint8_t slot, Inside inside) {
    for (int y = std::max(top, 0); y <= std::min(bottom, height_ - 1); ++y) {
      for (int x = std::max(left, 0); x <= std::min(right, width_ - 1); ++x) {
        if (inside(x, y)) {
          set(x, y, slot);
        }
      }
    }
  }

  void ellipse(int cx, int cy, int rx, int ry, std::uint8_t slot) {
    fill(cx - rx, cy - ry, cx + rx, cy + ry, slot,
         [=](int x, int y) { return insideEllipse(x, y, cx, cy, rx, ry); });
  }
  void rect(int left, int top, int right, int bottom, std::uint8_t slot) {
    fill(left, top, right, bottom, slot, [](int, int) { return true; });
  }
  void segment(int ax, int ay, int bx, int by, int r, std::uint8_t slot) {
    fill(std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r, std::max(ay, by) + r,
         slot, [=](int x, int y) { return nearSegment(x, y, ax, ay, bx, by, r); });
  }
  void polygon(const std::vector<Point>& points, std::uint8_t slot) {
    int left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const Point& p : points) {
      left = std::min(left, p.x);
      right = std::max(right, p.x);
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
    }
    fill(left, top, right, bottom, slot,
         [&points](int x, int y) { return insidePolygon(x, y, points); });
  }
  // A one-pixel line from (ax, ay) to (bx, by), Bresenham's way.
  void line(int ax, int ay, int bx, int by, std::uint8_t slot) {
    const int dx = std::abs(bx - ax);
    const int dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1;
    const int sy = ay < by ? 1 : -1;
    int error = dx + dy;
    for (;;) {
      set(ax, ay, slot);
      if (ax == bx && ay == by) {
        break;
      }
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        ax += sx;
      }
      if (twice <= dx) {
        error += dx;
        ay += sy;
      }
    }
  }
  void polygonOutline(const std::vector<Point>& points, std::uint8_t slot) {
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      line(a.x, a.y, b.x, b.y, slot);
    }
  }
  // Outlined shapes: the shape one pixel larger in dark, then the shape.
  void outlinedEllipse(int cx, int cy, int rx, int ry, std::uint8_t slot) {
    ellipse(cx, cy, rx + 1, ry + 1, kDark);
    ellipse(cx, cy, rx, ry, slot);
  }
  void outlinedSegment(int ax, int ay, int bx, int by, int r, std::uint8_t slot) {
    segment(ax, ay, bx, by, r + 1, kDark);
    segment(ax, ay, bx, by, r, slot);
  }

  const std::vector<std::uint8_t>& slots() const { return slots_; }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> slots_;
};

std::vector<std::uint8_t> paintBatView() {
  Canvas c(kBatWidth, kBatHeight);
  c.rect(0, 0, kBatWidth - 1, kBatHeight - 1, kGreen);

  // The crowd behind the backstop: rows of heads and shirts on dark seats.
  c.rect(0, 0, kBatWidth - 1, 55, kDark);
  Xorshift random(0x5EA75u);
  std::array<std::uint8_t, 8> shirts{};
  for (std::uint8_t& shirt : shirts) {
    const int pick = random.below(4);
    shirt = pick == 0 ? kDark : pick == 1 ? kGreen : pick == 2 ? kTan : kWhite;
  }
  for (int row = 0; row < 7; ++row) {
    for (int x = (row % 2) * 2; x < kBatWidth; x += 4) {
      const std::uint8_t shirt = shirts[static_cast<std::size_t>((x / 4 + row % 2 * 3) % 8)];
      if (shirt == kDark) {
        continue;  // an empty seat
      }
      const int y = row * 8 + 1;
      c.rect(x, y, x + 1, y + 1, kTan);
      c.rect(x, y + 3, x + 2, y + 4, shirt);
    }
  }
  // The backstop: padded panels under a white rail.
  c.rect(0, 56, kBatWidth - 1, 57, kWhite);
  for (int x = 0; x < kBatWidth; x += 32) {
    c.rect(x, 58, x, 70, kDark);
  }
  c.rect(0, 71, kBatWidth - 1, 71, kDark);

  // The dirt around the plate, the foul lines, the mound in the foreground.
  c.ellipse(128, 152, 124, 42, kTan);
  c.ellipse(128, 268, 84, 40, kTan);
  c.rect(118, 234, 138, 236, kWhite);  // the rubber
  c.line(86, 176, 0, 219, kWhite);
  c.line(170, 176, 256, 219, kWhite);
  // Batter's boxes, wider toward the viewer.
  c.polygonOutline({{86, 150}, {112, 150}, {112, 174}, {82, 174}}, kWhite);
  c.polygonOutline({{144, 150}, {170, 150}, {174, 174}, {144, 174}}, kWhite);
  // Home plate: the flat edge toward the pitcher, the point toward the catcher.
  c.polygon({{117, 159}, {128, 154}, {139, 159}, {139, 163}, {117, 163}}, kWhite);

  // The umpire, crouched behind the catcher and looking over his shoulder.
  c.ellipse(110, 128, 22, 24, kDark);             // shoulders and back
  c.outlinedSegment(92, 114, 86, 136, 4, kDark);  // arm down to the knee
  c.outlinedEllipse(108, 94, 8, 9, kDark);        // head in the mask
  c.rect(103, 93, 113, 93, kWhite);               // the mask's bars
  c.rect(103, 97, 113, 97, kWhite);
  c.rect(108, 89, 108, 100, kWhite);
  c.rect(100, 106, 116, 107, kTan);  // neck and collar

  // The catcher, squatting behind the plate, mitt up as a target.
  c.outlinedEllipse(113, 146, 7, 7, kWhite);  // knees
  c.outlinedEllipse(139, 146, 7, 7, kWhite);
  c.outlinedSegment(113, 146, 112, 154, 4, kDark);  // shin guards
  c.outlinedSegment(139, 146, 140, 154, 4, kDark);
  c.ellipse(126, 132, 15, 14, kWhite);  // chest protector over the white uniform
  c.outlinedEllipse(126, 133, 12, 12, kDark);
  c.outlinedSegment(116, 124, 106, 134, 3, kWhite);  // arm to the mitt
  c.outlinedEllipse(104, 134, 7, 7, kTan);           // mitt
  c.ellipse(104, 134, 3, 3, kDark);
  c.outlinedEllipse(126, 114, 7, 8, kTan);  // face behind the mask
  c.ellipse(126, 109, 8, 5, kDark);         // helmet
  c.rect(119, 114, 133, 114, kDark);        // the mask's bars
  c.rect(119, 118, 133, 118, kDark);
  c.rect(126, 112, 126, 122, kDark);

  // The batter, in the far box, facing the plate, bat up over the back
  // shoulder.
  c.outlinedEllipse(152, 177, 7, 3, kDark);  // shoes
  c.outlinedEllipse(186, 175, 7, 3, kDark);
  c.outlinedSegment(178, 128, 188, 150, 6, kWhite);  // back leg
  c.outlinedSegment(188, 150, 185, 172, 4, kWhite);
  c.segment(187, 160, 185, 172, 4, kDark);
  c.outlinedSegment(164, 128, 156, 150, 6, kWhite);  // front leg
  c.outlinedSegment(156, 150, 153, 174, 4, kWhite);
  c.segment(155, 160, 153, 174, 4, kDark);
  c.polygon({{158, 90}, {192, 90}, {187, 131}, {161, 131}}, kDark);  // jersey
  c.polygon({{160, 92}, {190, 92}, {185, 129}, {163, 129}}, kWhite);
  c.rect(162, 125, 186, 127, kDark);                // belt
  c.outlinedSegment(188, 96, 201, 106, 4, kWhite);  // back arm, elbow out
  c.outlinedSegment(201, 106, 193, 92, 3, kTan);
  c.outlinedSegment(164, 96, 178, 106, 4, kWhite);  // front arm across the chest
  c.outlinedSegment(178, 106, 192, 93, 3, kTan);
  c.outlinedSegment(193, 92, 199, 66, 2, kTan);  // the bat: handle, barrel
  c.outlinedSegment(199, 66, 206, 40, 3, kTan);
  c.outlinedEllipse(193, 91, 4, 3, kWhite);  // batting gloves
  c.outlinedEllipse(173, 81, 8, 10, kTan);   // head
  c.outlinedEllipse(176, 74, 10, 7, kDark);  // helmet
  c.ellipse(180, 83, 5, 5, kDark);           // its ear flap
  c.rect(161, 79, 168, 80, kDark);           // its brim
  c.rect(172, 69, 176, 70, kWhite);          // a shine on top
  c.rect(167, 83, 168, 84, kDark);           // an eye
  c.rect(166, 88, 169, 88, kDark);           // the mouth
  return c.slots();
}

void writeBatView(ByteArray& image) {
  TileCut cut = cutIntoTiles(paintBatView(), kBatWidth, kBatHeight);
  limitTiles(cut, rom::kBankTiles);
  for (std::size_t i = 0; i < cut.grid.size(); ++i) {
    image[static_cast<std::size_t>(rom::kBatViewNameTable.offset) + i] =
        static_cast<std::uint8_t>(cut.grid[i]);
  }
  std::copy(kBatViewPalette.begin(), kBatViewPalette.end(),
            image.begin() + rom::kBatViewPalette.offset);
  writeBank(image, rom::kBatViewChrBank, cut.tiles, false);
}

}  // namespace

ByteArray makeDemoRom() {
  ByteArray image(static_cast<std::size_t>(kImageBytes), kUnusedPrgByte);
  std::fill(image.begin() + kHeaderBytes + kPrgBytes, image.end(), kUnusedChrByte);
  const std::array<std::uint8_t, kHeaderBytes> header{
      'N', 'E', 'S', 0x1A, kPrgUnits, kChrUnits, 0x10};  // mapper 1, the rest zero
  std::copy(header.begin(), header.end(), image.begin());
  writeField(image);
  writeBatView(image);
  return image;
}

}  // namespace tarvo
