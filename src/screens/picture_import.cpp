#include "screens/picture_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <utility>

#include "gfx/chr_codec.h"
#include "gfx/lab.h"
#include "screens/picture_palette.h"
#include "screens/views.h"
#include "shell/palette.h"
#include "shell/rom_locations.h"

namespace tarvo {

using namespace picture_fit;

namespace {

constexpr float kFar = std::numeric_limits<float>::max();

// What showing each slot costs at each pixel of each tile place of the
// picture, in the order of the places: the square of the CIEDE2000
// difference from the colour the pixel should show to the slot's colour in
// the place's sub-palette. [place][pixel][slot].
class PlaceCosts {
 public:
  PlaceCosts(const Layout& layout, const SlotPicture& picture) : places_(layout.tiles()) {
    costs_.resize(static_cast<std::size_t>(places_ * kPixels * kSlots));
    float* c = costs_.data();
    for (int ty = 0; ty < layout.tilesY(); ++ty) {
      for (int tx = 0; tx < layout.tilesX(); ++tx) {
        for (int k = 0; k < kPixels; ++k) {
          const SlotCosts& pixel = picture.costs[static_cast<std::size_t>(
              (ty * kTile + k / kTile) * layout.width + tx * kTile + k % kTile)];
          c = std::copy(pixel.begin(), pixel.end(), c);
        }
      }
    }
  }

  int places() const { return places_; }

  // The cost of showing `pattern` at `place`; once the sum reaches `bound`
  // the rest is not added.
  float of(int place, const Pattern& pattern, float bound = kFar) const {
    const float* c = costs_.data() + static_cast<std::size_t>(place * kPixels * kSlots);
    float sum = 0;
    for (int row = 0; row < kTile; ++row) {
      for (int k = row * kTile; k < (row + 1) * kTile; ++k) {
        sum += c[k * kSlots + pattern[static_cast<std::size_t>(k)]];
      }
      if (sum >= bound) {
        return sum;
      }
    }
    return sum;
  }

  // The pattern that costs least at `place` (the lowest slot on a tie).
  Pattern cheapest(int place) const {
    const float* c = costs_.data() + static_cast<std::size_t>(place * kPixels * kSlots);
    Pattern pattern;
    for (int k = 0; k < kPixels; ++k) {
      const float* s = c + k * kSlots;
      pattern[static_cast<std::size_t>(k)] =
          static_cast<std::uint8_t>(std::min_element(s, s + kSlots) - s);
    }
    return pattern;
  }

  const float* at(int place) const {
    return costs_.data() + static_cast<std::size_t>(place * kPixels * kSlots);
  }

 private:
  int places_;
  std::vector<float> costs_;
};

// SplitMix64, for choosing the first tiles of a clustering the same way every time.
class Sequence {
 public:
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A number in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_ = 0x5441525630ULL;
};

struct TileSet {
  std::vector<Pattern> patterns;
  std::vector<int> ofPlace;  // the pattern every tile place shows
};

// Each distinct item of `uses` once, in the order first met, into `items`;
// the number every use has there into `of`.
template <typename Item>
void numberDistinct(const std::vector<Item>& uses, std::vector<Item>& items, std::vector<int>& of) {
  std::map<Item, int> number;
  for (const Item& item : uses) {
    const auto [it, added] = number.emplace(item, static_cast<int>(items.size()));
    if (added) {
      items.push_back(item);
    }
    of.push_back(it->second);
  }
}

// The places' own tiles, each distinct one once, in the order first met.
TileSet distinctTiles(const std::vector<Pattern>& places) {
  TileSet set;
  numberDistinct(places, set.patterns, set.ofPlace);
  return set;
}

// At most `limit` tiles for all the places, chosen by k-means on the places'
// colour costs: k-means++ seeding from a fixed start, then passes that give
// every place its cheapest tile and every tile, pixel by pixel, the slot
// cheapest for its places.
TileSet clusterTiles(const PlaceCosts& costs, int limit, const Progress& progress) {
  const int places = costs.places();
  Sequence sequence;
  TileSet set;
  std::vector<float> nearest(static_cast<std::size_t>(places), kFar);
  set.ofPlace.assign(static_cast<std::size_t>(places), 0);
  int first = static_cast<int>(sequence.next() % static_cast<std::uint64_t>(places));
  set.patterns.push_back(costs.cheapest(first));
  for (;;) {
    const Pattern& added = set.patterns.back();
    const int number = static_cast<int>(set.patterns.size()) - 1;
    double total = 0;
    for (int p = 0; p < places; ++p) {
      const float c = costs.of(p, added, nearest[static_cast<std::size_t>(p)]);
      if (c < nearest[static_cast<std::size_t>(p)]) {
        nearest[static_cast<std::size_t>(p)] = c;
        set.ofPlace[static_cast<std::size_t>(p)] = number;
      }
      total += nearest[static_cast<std::size_t>(p)];
    }
    if (static_cast<int>(set.patterns.size()) == limit || total <= 0) {
      break;
    }
    if (set.patterns.size() % 32 == 0) {
      progress.at(45 + static_cast<int>(set.patterns.size()) * 15 / limit);
    }
    double pick = sequence.unit() * total;
    int chosen = places - 1;
    for (int p = 0; p < places; ++p) {
      pick -= nearest[static_cast<std::size_t>(p)];
      if (pick < 0 && nearest[static_cast<std::size_t>(p)] > 0) {
        chosen = p;
        break;
      }
    }
    set.patterns.push_back(costs.cheapest(chosen));
  }
  const int count = static_cast<int>(set.patterns.size());
  std::vector<double> sums(static_cast<std::size_t>(count * kPixels * kSlots));
  std::vector<int> members(static_cast<std::size_t>(count));
  for (int pass = 0; pass < 4; ++pass) {
    progress.at(60 + pass * 6);
    // Each tile, pixel by pixel, the slot cheapest for its places; a tile
    // no place took becomes the place that its tile fits worst.
    std::fill(sums.begin(), sums.end(), 0.0);
    std::fill(members.begin(), members.end(), 0);
    for (int p = 0; p < places; ++p) {
      const int t = set.ofPlace[static_cast<std::size_t>(p)];
      ++members[static_cast<std::size_t>(t)];
      const float* c = costs.at(p);
      double* s = sums.data() + static_cast<std::size_t>(t * kPixels * kSlots);
      for (int i = 0; i < kPixels * kSlots; ++i) {
        s[i] += c[i];
      }
    }
    std::vector<bool> reseeded(static_cast<std::size_t>(places), false);
    for (int t = 0; t < count; ++t) {
      if (members[static_cast<std::size_t>(t)] == 0) {
        int worst = -1;
        for (int p = 0; p < places; ++p) {
          if (!reseeded[static_cast<std::size_t>(p)] &&
              (worst < 0 ||
               nearest[static_cast<std::size_t>(p)] > nearest[static_cast<std::size_t>(worst)])) {
            worst = p;
          }
        }
        reseeded[static_cast<std::size_t>(worst)] = true;
        set.patterns[static_cast<std::size_t>(t)] = costs.cheapest(worst);
        continue;
      }
      const double* s = sums.data() + static_cast<std::size_t>(t * kPixels * kSlots);
      for (int k = 0; k < kPixels; ++k) {
        set.patterns[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)] =
            static_cast<std::uint8_t>(std::min_element(s + k * kSlots, s + (k + 1) * kSlots) -
                                      (s + k * kSlots));
      }
    }
    // Each place the tile that shows it best, its own kept on a tie.
    int moved = 0;
    for (int p = 0; p < places; ++p) {
      int best = set.ofPlace[static_cast<std::size_t>(p)];
      float bestCost = costs.of(p, set.patterns[static_cast<std::size_t>(best)]);
      for (int t = 0; t < count; ++t) {
        const float c = costs.of(p, set.patterns[static_cast<std::size_t>(t)], bestCost);
        if (c < bestCost) {
          bestCost = c;
          best = t;
        }
      }
      moved += best != set.ofPlace[static_cast<std::size_t>(p)] ? 1 : 0;
      set.ofPlace[static_cast<std::size_t>(p)] = best;
      nearest[static_cast<std::size_t>(p)] = bestCost;
    }
    // Passes after the first few move few places, and those little.
    if (moved * 500 < places) {
      break;
    }
  }
  // Tiles that came out alike, and tiles no place shows, go.
  std::vector<Pattern> shown;
  for (const int t : set.ofPlace) {
    shown.push_back(set.patterns[static_cast<std::size_t>(t)]);
  }
  return distinctTiles(shown);
}

// The tiles of the picture, at most 256.
TileSet fitTiles(const Layout& layout, const SlotPicture& picture, const PlaceCosts& costs,
                 const Progress& progress) {
  TileSet set = distinctTiles(patternsOf(layout, picture.slots));
  if (static_cast<int>(set.patterns.size()) <= rom::kBankTiles) {
    return set;
  }
  return clusterTiles(costs, rom::kBankTiles, progress);
}

using Metatile = std::array<int, rom::kMetatileTiles>;  // tile numbers

// The tile place of tile k of map cell `cell`.
int placeOf(int cell, int k) {
  const int tx = (cell % rom::kMapColumns) * 4 + k % 4;
  const int ty = (cell / rom::kMapColumns) * 4 + k / 4;
  return ty * rom::kMapColumns * 4 + tx;
}

struct MetatileSet {
  std::vector<Metatile> metatiles;
  std::vector<int> ofCell;
};

MetatileSet distinctMetatiles(const std::vector<Metatile>& cells) {
  MetatileSet set;
  numberDistinct(cells, set.metatiles, set.ofCell);
  return set;
}

// At most 133 metatiles for the map. Metatiles are folded into others, each
// time the one whose cells change least in colour, measured on the tiles'
// colours in each quadrant's sub-palette; then every cell takes the
// remaining metatile that shows it best against the picture.
MetatileSet fitMetatiles(const Layout& layout, const SlotPicture& picture, const TileSet& tiles,
                         const PlaceCosts& costs, const Progress& progress) {
  std::vector<Metatile> ofCell(static_cast<std::size_t>(rom::kMapColumns * rom::kMapRows));
  for (int cell = 0; cell < static_cast<int>(ofCell.size()); ++cell) {
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      ofCell[static_cast<std::size_t>(cell)][static_cast<std::size_t>(k)] =
          tiles.ofPlace[static_cast<std::size_t>(placeOf(cell, k))];
    }
  }
  MetatileSet set = distinctMetatiles(ofCell);
  const int n = static_cast<int>(set.metatiles.size());
  if (n <= rom::kMetatileCount) {
    return set;
  }
  const int palettes = static_cast<int>(picture.subs.size());
  const int tileCount = static_cast<int>(tiles.patterns.size());
  // How far tile b's colours lie from tile a's, in each sub-palette.
  std::vector<float> apart(static_cast<std::size_t>(palettes * tileCount * tileCount));
  for (int p = 0; p < palettes; ++p) {
    const Looks& looks = picture.looks[static_cast<std::size_t>(p)];
    std::array<float, kSlots * kSlots> slotApart;
    for (int s = 0; s < kSlots; ++s) {
      for (int t = 0; t < kSlots; ++t) {
        const Lab3& a = looks[static_cast<std::size_t>(s)];
        const Lab3& b = looks[static_cast<std::size_t>(t)];
        const double d = deltaE2000({a.L, a.a, a.b}, {b.L, b.a, b.b});
        slotApart[static_cast<std::size_t>(s * kSlots + t)] = static_cast<float>(d * d);
      }
    }
    for (int a = 0; a < tileCount; ++a) {
      for (int b = 0; b < tileCount; ++b) {
        float sum = 0;
        for (int k = 0; k < kPixels; ++k) {
          sum += slotApart[static_cast<std::size_t>(
              tiles.patterns[static_cast<std::size_t>(a)][static_cast<std::size_t>(k)] * kSlots +
              tiles.patterns[static_cast<std::size_t>(b)][static_cast<std::size_t>(k)])];
        }
        apart[static_cast<std::size_t>((p * tileCount + a) * tileCount + b)] = sum;
      }
    }
  }
  progress.at(88);
  // How often each tile of each metatile shows in each sub-palette.
  std::vector<int> shows(static_cast<std::size_t>(n * rom::kMetatileTiles * palettes), 0);
  for (int cell = 0; cell < static_cast<int>(ofCell.size()); ++cell) {
    const int m = set.ofCell[static_cast<std::size_t>(cell)];
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      const int tx = (cell % rom::kMapColumns) * 4 + k % 4;
      const int ty = (cell / rom::kMapColumns) * 4 + k / 4;
      const int p = picture.ofRegion[static_cast<std::size_t>(layout.regionOfTile(tx, ty))];
      ++shows[static_cast<std::size_t>((m * rom::kMetatileTiles + k) * palettes + p)];
    }
  }
  const auto cost = [&](int from, int to) {
    double sum = 0;
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      const int a = set.metatiles[static_cast<std::size_t>(from)][static_cast<std::size_t>(k)];
      const int b = set.metatiles[static_cast<std::size_t>(to)][static_cast<std::size_t>(k)];
      for (int p = 0; p < palettes; ++p) {
        const int times =
            shows[static_cast<std::size_t>((from * rom::kMetatileTiles + k) * palettes + p)];
        if (times > 0) {
          sum += times * apart[static_cast<std::size_t>((p * tileCount + a) * tileCount + b)];
        }
      }
    }
    return sum;
  };
  std::vector<bool> alive(static_cast<std::size_t>(n), true);
  std::vector<int> into(static_cast<std::size_t>(n), -1);
  std::vector<double> intoCost(static_cast<std::size_t>(n), 0);
  const auto findInto = [&](int from) {
    into[static_cast<std::size_t>(from)] = -1;
    for (int to = 0; to < n; ++to) {
      if (to != from && alive[static_cast<std::size_t>(to)]) {
        const double c = cost(from, to);
        if (into[static_cast<std::size_t>(from)] < 0 ||
            c < intoCost[static_cast<std::size_t>(from)]) {
          into[static_cast<std::size_t>(from)] = to;
          intoCost[static_cast<std::size_t>(from)] = c;
        }
      }
    }
  };
  for (int m = 0; m < n; ++m) {
    findInto(m);
  }
  for (int left = n; left > rom::kMetatileCount; --left) {
    int victim = -1;
    for (int m = 0; m < n; ++m) {
      if (alive[static_cast<std::size_t>(m)] &&
          (victim < 0 ||
           intoCost[static_cast<std::size_t>(m)] < intoCost[static_cast<std::size_t>(victim)])) {
        victim = m;
      }
    }
    const int keep = into[static_cast<std::size_t>(victim)];
    alive[static_cast<std::size_t>(victim)] = false;
    for (int i = 0; i < rom::kMetatileTiles * palettes; ++i) {
      shows[static_cast<std::size_t>(keep * rom::kMetatileTiles * palettes + i)] +=
          shows[static_cast<std::size_t>(victim * rom::kMetatileTiles * palettes + i)];
    }
    for (int m = 0; m < n; ++m) {
      if (alive[static_cast<std::size_t>(m)] &&
          (m == keep || into[static_cast<std::size_t>(m)] == victim)) {
        findInto(m);
      }
    }
  }
  progress.at(92);
  std::vector<Metatile> kept;
  for (int m = 0; m < n; ++m) {
    if (alive[static_cast<std::size_t>(m)]) {
      kept.push_back(set.metatiles[static_cast<std::size_t>(m)]);
    }
  }
  for (int cell = 0; cell < static_cast<int>(ofCell.size()); ++cell) {
    float best = kFar;
    for (const Metatile& m : kept) {
      float sum = 0;
      for (int k = 0; k < rom::kMetatileTiles && sum < best; ++k) {
        sum += costs.of(placeOf(cell, k),
                        tiles.patterns[static_cast<std::size_t>(m[static_cast<std::size_t>(k)])],
                        best - sum);
      }
      if (sum < best) {
        best = sum;
        ofCell[static_cast<std::size_t>(cell)] = m;
      }
    }
  }
  return distinctMetatiles(ofCell);
}

void writeBytes(ByteArray& image, std::int32_t offset, const std::vector<std::uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
}

// Writes the tiles `order` names, in that order, as the bank's first tiles;
// the rest of the bank is cleared.
void writeBank(ByteArray& image, const rom::Location& bank, const std::vector<Pattern>& tiles,
               const std::vector<int>& order) {
  TilePixels pixels(static_cast<std::size_t>(rom::kBankTiles * kPixels), 0);
  for (std::size_t t = 0; t < order.size(); ++t) {
    const Pattern& pattern = tiles[static_cast<std::size_t>(order[t])];
    std::copy(pattern.begin(), pattern.end(),
              pixels.begin() + static_cast<std::ptrdiff_t>(t * kPixels));
  }
  ByteArray bytes;
  encodeTiles(0, rom::kBankTiles, pixels, bytes);
  writeBytes(image, bank.offset, bytes);
}

// Numbers the items `uses` names in the order first met: the list of items
// in their new order, and every use renumbered.
std::vector<int> numberInOrder(std::vector<int>& uses, int items) {
  std::vector<int> number(static_cast<std::size_t>(items), -1);
  std::vector<int> order;
  for (int& use : uses) {
    int& n = number[static_cast<std::size_t>(use)];
    if (n < 0) {
      n = static_cast<int>(order.size());
      order.push_back(use);
    }
    use = n;
  }
  return order;
}

void writeField(ByteArray& image, const Layout& layout, const SlotPicture& picture,
                const TileSet& tiles, MetatileSet metatiles, bool keptPalette,
                ImportFigures& figures) {
  if (!keptPalette) {
    std::vector<std::uint8_t> palette;
    for (const SubPalette& sub : picture.subs) {
      palette.insert(palette.end(), sub.begin(), sub.end());
    }
    writeBytes(image, rom::kFieldPalette.offset, palette);
  }
  std::vector<std::uint8_t> attributes;
  for (int row = 0; row < rom::kMapRows; ++row) {
    for (int col = 0; col < rom::kMapColumns; ++col) {
      int byte = 0;
      for (int q = 0; q < 4; ++q) {
        const int region = (row * 2 + q / 2) * layout.regionsX() + col * 2 + q % 2;
        byte |= picture.ofRegion[static_cast<std::size_t>(region)] << (2 * q);
      }
      attributes.push_back(static_cast<std::uint8_t>(byte));
    }
  }
  writeBytes(image, rom::kFieldAttributeMap.offset, attributes);
  const std::vector<int> metatileOrder =
      numberInOrder(metatiles.ofCell, static_cast<int>(metatiles.metatiles.size()));
  std::vector<int> tileUses;
  for (const int m : metatileOrder) {
    const Metatile& metatile = metatiles.metatiles[static_cast<std::size_t>(m)];
    tileUses.insert(tileUses.end(), metatile.begin(), metatile.end());
  }
  const std::vector<int> tileOrder =
      numberInOrder(tileUses, static_cast<int>(tiles.patterns.size()));
  writeBank(image, rom::kFieldChrBank, tiles.patterns, tileOrder);
  std::vector<std::uint8_t> table(static_cast<std::size_t>(rom::kMetatileTable.length), 0);
  std::copy(tileUses.begin(), tileUses.end(), table.begin());
  writeBytes(image, rom::kMetatileTable.offset, table);
  writeBytes(image, rom::kFieldMap.offset,
             std::vector<std::uint8_t>(metatiles.ofCell.begin(), metatiles.ofCell.end()));
  figures.tiles = static_cast<int>(tileOrder.size());
  figures.metatiles = static_cast<int>(metatileOrder.size());
}

void writeBatView(ByteArray& image, const SlotPicture& picture, TileSet tiles, bool keptPalette,
                  ImportFigures& figures) {
  if (!keptPalette) {
    writeBytes(image, rom::kBatViewPalette.offset,
               std::vector<std::uint8_t>(picture.subs[0].begin(), picture.subs[0].end()));
  }
  const std::vector<int> order =
      numberInOrder(tiles.ofPlace, static_cast<int>(tiles.patterns.size()));
  writeBank(image, rom::kBatViewChrBank, tiles.patterns, order);
  writeBytes(image, rom::kBatViewNameTable.offset,
             std::vector<std::uint8_t>(tiles.ofPlace.begin(), tiles.ofPlace.end()));
  figures.tiles = static_cast<int>(order.size());
}

}  // namespace

int importWidth(ImportTarget target) {
  return target == ImportTarget::Field ? rom::kMapColumns * rom::kMetatileSide
                                       : rom::kBatViewColumns * rom::kTileSide;
}

int importHeight(ImportTarget target) {
  return target == ImportTarget::Field ? rom::kMapRows * rom::kMetatileSide
                                       : rom::kBatViewRows * rom::kTileSide;
}

std::optional<std::string> refusePictureSize(ImportTarget target, int width, int height) {
  const int w = importWidth(target);
  const int h = importHeight(target);
  if (width == w && height == h) {
    return std::nullopt;
  }
  std::string reason = "The picture is ";
  reason += std::to_string(width);
  reason += " x ";
  reason += std::to_string(height);
  reason += " pixels; ";
  reason += target == ImportTarget::Field ? "the field" : "the batter's view";
  reason += " takes a picture of exactly ";
  reason += std::to_string(w);
  reason += " x ";
  reason += std::to_string(h);
  return reason;
}

bool readImportPicture(const ByteArray& png, ImportTarget target, std::vector<Color>& pixels,
                       std::string* reason) {
  DecodedImage decoded;
  // Twice the field's pixels: a larger picture is refused by its size
  // without being decoded.
  if (!decodePng(png, decoded, reason, 2 * 768 * 768)) {
    // A picture too large to decode is refused by its size; a damaged one
    // of any size by what is wrong with it.
    const auto refusal = refusePictureSize(target, decoded.width, decoded.height);
    if (decoded.width > 0 && refusal && reason) {
      *reason = *refusal;
    }
    return false;
  }
  if (const auto refusal = refusePictureSize(target, decoded.width, decoded.height)) {
    if (reason) {
      *reason = *refusal;
    }
    return false;
  }
  const auto seeThrough = std::find_if(decoded.alpha.begin(), decoded.alpha.end(),
                                       [](std::uint8_t a) { return a != 255; });
  if (seeThrough != decoded.alpha.end()) {
    if (reason) {
      const auto at = static_cast<int>(seeThrough - decoded.alpha.begin());
      *reason = "The picture has see-through pixels, the first at ";
      *reason += std::to_string(at % decoded.width);
      *reason += ", ";
      *reason += std::to_string(at / decoded.width);
      *reason += "; the console shows no see-through pixels in a background";
    }
    return false;
  }
  pixels = std::move(decoded.colours);
  return true;
}

std::string describeFigures(const ImportFigures& figures, ImportTarget target) {
  char line[160];
  if (figures.exact) {
    std::snprintf(line, sizeof line, "exact, %d tiles", figures.tiles);
  } else {
    std::snprintf(line, sizeof line, "PSNR %.2f dB, mean \u0394E2000 %.2f, %d tiles", figures.psnr,
                  figures.meanDeltaE, figures.tiles);
  }
  std::string text = line;
  if (target == ImportTarget::Field) {
    std::snprintf(line, sizeof line, ", %d metatiles", figures.metatiles);
    text += line;
  }
  return text;
}

std::optional<FittedPicture> fitPicture(const ByteArray& image, ImportTarget target,
                                        const std::vector<Color>& pixels,
                                        const ImportOptions& options,
                                        const ImportProgress& progress) {
  const Progress report(progress);
  const bool field = target == ImportTarget::Field;
  const Layout layout{importWidth(target), importHeight(target), field ? 4 : 1};
  try {
    report.at(0);
    static const ConsoleColours console;
    const PictureColours colours = readColours(pixels, console);
    report.at(5);
    std::optional<std::vector<SubPalette>> kept;
    if (options.keepPalette) {
      PaletteArray palette{};
      readPalette(image, palette, (field ? rom::kFieldPalette : rom::kBatViewPalette).offset);
      kept.emplace();
      for (int p = 0; p < layout.palettes; ++p) {
        SubPalette sub;
        for (int s = 0; s < kSlots; ++s) {
          sub[static_cast<std::size_t>(s)] = palette[static_cast<std::size_t>(p * kSlots + s)];
        }
        kept->push_back(sub);
      }
    }
    const SlotPicture picture = fitColours(layout, colours, console, options, kept, report);
    const PlaceCosts costs(layout, picture);
    const TileSet tiles = fitTiles(layout, picture, costs, report);
    report.at(85);
    FittedPicture fitted;
    fitted.target = target;
    fitted.keptPalette = options.keepPalette;
    fitted.image = image;
    if (field) {
      writeField(fitted.image, layout, picture, tiles,
                 fitMetatiles(layout, picture, tiles, costs, report), options.keepPalette,
                 fitted.figures);
    } else {
      writeBatView(fitted.image, picture, tiles, options.keepPalette, fitted.figures);
    }
    report.at(95);
    fitted.picture = renderView(fitted.image, field ? View::Field : View::BatView, 0);
    const ImportFigures figures = compareFit(pixels, fitted.picture);
    fitted.figures.exact = figures.exact;
    fitted.figures.psnr = figures.psnr;
    fitted.figures.meanDeltaE = figures.meanDeltaE;
    report.at(100);
    return fitted;
  } catch (const Stopped&) {
    return std::nullopt;
  }
}

void applyFittedPicture(const FittedPicture& fitted, ByteArray& image) {
  const auto copy = [&](std::int32_t offset, std::int32_t length) {
    std::copy(fitted.image.begin() + offset, fitted.image.begin() + offset + length,
              image.begin() + offset);
  };
  if (fitted.target == ImportTarget::Field) {
    for (const rom::Location& at :
         {rom::kFieldMap, rom::kFieldAttributeMap, rom::kMetatileTable, rom::kFieldChrBank}) {
      copy(at.offset, at.length);
    }
    if (!fitted.keptPalette) {
      copy(rom::kFieldPalette.offset, rom::kFieldPalette.length);
    }
  } else {
    copy(rom::kBatViewNameTable.offset, rom::kBatViewNameTable.length);
    copy(rom::kBatViewChrBank.offset, rom::kBatViewChrBank.length);
    if (!fitted.keptPalette) {
      copy(rom::kBatViewPalette.offset, kSlots);
    }
  }
}

ImportFigures compareFit(const std::vector<Color>& picture, const Surface& fitted) {
  ImportFigures figures;
  const Color* shown = fitted.pixels();
  double squares = 0;
  double deltaE = 0;
  // A fitted picture has few colours; a picture's colours come in runs.
  std::vector<std::pair<Color, Lab>> fittedLabs;
  Color lastColour = 0;
  Lab lastLab = toLab(0);
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const Color a = picture[i];
    const Color b = shown[i];
    if (a == b) {
      continue;
    }
    const int dr = redOf(a) - redOf(b);
    const int dg = greenOf(a) - greenOf(b);
    const int db = blueOf(a) - blueOf(b);
    squares += dr * dr + dg * dg + db * db;
    if (a != lastColour) {
      lastColour = a;
      lastLab = toLab(a);
    }
    auto known = std::find_if(fittedLabs.begin(), fittedLabs.end(),
                              [b](const auto& entry) { return entry.first == b; });
    if (known == fittedLabs.end()) {
      fittedLabs.emplace_back(b, toLab(b));
      known = fittedLabs.end() - 1;
    }
    deltaE += deltaE2000(lastLab, known->second);
  }
  const double samples = 3.0 * static_cast<double>(picture.size());
  figures.exact = squares == 0;
  figures.psnr = figures.exact ? 0 : 10 * std::log10(255.0 * 255.0 * samples / squares);
  figures.meanDeltaE = picture.empty() ? 0 : deltaE / static_cast<double>(picture.size());
  return figures;
}

}  // namespace tarvo
