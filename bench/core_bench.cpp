// Speed of the graphics primitives every view rests on.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "gfx/chr_codec.h"
#include "gfx/surface.h"
#include "gfx/tile_drawing.h"
#include "shell/palette.h"
#include "shell/rom_locations.h"

namespace {

using namespace tarvo;
using tarvo::bench::demo;

TilePixels fieldTiles() {
  TilePixels pixels;
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
  return pixels;
}

PaletteArray fieldPalette() {
  PaletteArray palette{};
  readPalette(demo(), palette, rom::kFieldPalette.offset);
  return palette;
}

void BM_DecodeBank(benchmark::State& state) {
  TilePixels pixels;
  for (auto _ : state) {
    decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_DecodeBank);

void BM_EncodeBank(benchmark::State& state) {
  const TilePixels pixels = fieldTiles();
  ByteArray chr;
  for (auto _ : state) {
    encodeTiles(0, rom::kBankTiles, pixels, chr);
    benchmark::DoNotOptimize(chr.data());
  }
}
BENCHMARK(BM_EncodeBank);

// Scale 1 fills a palette surface; scale 2 is the editor window's pattern table.
void BM_DrawPatternTable(benchmark::State& state) {
  const TilePixels pixels = fieldTiles();
  const PaletteArray palette = fieldPalette();
  const int scale = static_cast<int>(state.range(0));
  Surface surface(128 * scale, 128 * scale);
  tarvo::bench::runAgainstFloor(state, surface.width() * surface.height() * sizeof(Color), [&] {
    drawPatternTable(surface, pixels, palette, 1, scale);
    benchmark::DoNotOptimize(surface.pixels());
  });
}
BENCHMARK(BM_DrawPatternTable)->Arg(1)->Arg(2);

void BM_FourPaletteSurfaces(benchmark::State& state) {
  const TilePixels pixels = fieldTiles();
  const PaletteArray palette = fieldPalette();
  PaletteSurfaces surfaces = makePaletteSurfaces();
  tarvo::bench::runAgainstFloor(state, 4 * 128 * 128 * sizeof(Color), [&] {
    drawPatternTables(surfaces, pixels, palette);
    benchmark::DoNotOptimize(surfaces[3].pixels());
  });
}
BENCHMARK(BM_FourPaletteSurfaces);

// The unit every large view is built from: one 8 x 8 tile copy.
void BM_CopyTile8x8(benchmark::State& state) {
  Surface source(128, 128);
  Surface target(768, 768);
  int t = 0;
  for (auto _ : state) {
    target.copyTile((t % 96) * 8, (t / 96 % 96) * 8, source, (t & 15) * 8, (t >> 1) & 0x78);
    ++t;
    benchmark::DoNotOptimize(target.pixels());
  }
}
BENCHMARK(BM_CopyTile8x8);

// The floor the views are compared with, at sizes from a palette surface to
// past the whole field map: it must grow with the size, or it measures
// something else.
void BM_MemoryFloor(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  double floor = 0;
  for (auto _ : state) {
    floor = tarvo::bench::memoryFloorSeconds(bytes);
  }
  state.counters["floor_us"] = floor * 1e6;
  state.counters["GB_per_s"] = static_cast<double>(bytes) / floor / 1e9;
}
BENCHMARK(BM_MemoryFloor)
    ->Arg(64 * 1024)
    ->Arg(245760)
    ->Arg(1024 * 1024)
    ->Arg(768 * 768 * 4)
    ->Arg(8 * 1024 * 1024)
    ->Iterations(1);

}  // namespace
