#include "demo/field_art.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "demo/raster.h"

namespace tarvo::demo {

namespace {

constexpr int kTile = rom::kTileSide;
constexpr int kQuad = rom::kQuadrantSide;

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

// The scoreboard's frame, lamps and face, where (x, y) lies on it.
std::optional<Material> boardMaterial(int x, int y, const FieldArt& art) {
  if (!(x >= kBoardLeft && x < kBoardRight && y >= kBoardTop && y < kBoardBottom)) {
    return std::nullopt;
  }
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

// Beyond the fair side of the wall: the wall itself, the foul poles on it,
// the seats and the crowd. X and U are the position from home plate, a1 and
// a3 along the base lines, `inside` how far inside the wall (negative here).
Material standsMaterial(int x, int y, int U, int a1, int a3, std::int64_t inside,
                        const FieldArt& art) {
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

// The chalk on the playing side, where (X, U) lies on it.
bool onChalk(int X, int U, int a1, int a3) {
  const bool onFoulLine = ((a3 == 0 || a3 == 1) && a1 >= 0) || ((a1 == 0 || a1 == 1) && a3 >= 0);
  if (onFoulLine && U > 12) {
    return true;
  }
  // Home plate, its point toward the backstop.
  if (U >= -4 && U <= 3 && std::abs(X) <= 4 + std::min(U, 0)) {
    return true;
  }
  // Batter's boxes: outlines 12 x 24 either side of the plate.
  for (int side = -1; side <= 1; side += 2) {
    const int left = side < 0 ? -21 : 8;
    const int right = left + 13;
    if (X >= left && X <= right && U >= -12 && U <= 12) {
      if (X == left || X == right || U == -12 || U == 12) {
        return true;
      }
    }
  }
  // Catcher's box behind the plate.
  if (U >= -30 && U <= -12 && (X == -8 || X == 8)) {
    return true;
  }
  if (U == -30 && X >= -8 && X <= 8) {
    return true;
  }
  // Bases, square to the base lines, inside fair territory.
  if (a1 >= 2 * kBase - 9 && a1 <= 2 * kBase && a3 >= 0 && a3 <= 9) {
    return true;  // first
  }
  if (a3 >= 2 * kBase - 9 && a3 <= 2 * kBase && a1 >= 0 && a1 <= 9) {
    return true;  // third
  }
  if (std::abs(a1 - 2 * kBase) <= 5 && std::abs(a3 - 2 * kBase) <= 5) {
    return true;  // second
  }
  // Pitcher's rubber.
  if (U >= kRubberU && U <= kRubberU + 1 && X >= -4 && X <= 3) {
    return true;
  }
  return false;
}

Material fieldMaterial(int x, int y, const FieldArt& art) {
  if (const std::optional<Material> board = boardMaterial(x, y, art)) {
    return *board;
  }
  const int X = x - kHomeX;
  const int U = kHomeY - y;
  const int a1 = X + U;  // along the first base line
  const int a3 = U - X;  // along the third base line
  const std::int64_t inside = insideWall(X, U);
  if (inside < 0) {
    return standsMaterial(x, y, U, a1, a3, inside, art);
  }
  // Chalk first: it lies on top of everything on the playing side.
  if (onChalk(X, U, a1, a3)) {
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

}  // namespace

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

}  // namespace tarvo::demo
