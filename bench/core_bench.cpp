// Speed of the core's graphics primitives. Each whole-surface benchmark
// reports a memcpy of the same number of output bytes beside it, so its
// distance from the memory floor shows.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "gfx/chr_codec.h"
#include "gfx/surface.h"
#include "gfx/tile_drawing.h"
#include "screens/demo_rom.h"
#include "shell/palette.h"
#include "shell/rom_locations.h"

namespace {

using namespace tarvo;

const ByteArray& demo() {
  static const ByteArray image = makeDemoRom();
  return image;
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
  TilePixels pixels;
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
  ByteArray chr;
  for (auto _ : state) {
    encodeTiles(0, rom::kBankTiles, pixels, chr);
    benchmark::DoNotOptimize(chr.data());
  }
}
BENCHMARK(BM_EncodeBank);

void BM_DrawPatternTable(benchmark::State& state) {
  TilePixels pixels;
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
  PaletteArray palette{};
  readPalette(demo(), palette, rom::kFieldPalette.offset);
  const int scale = static_cast<int>(state.range(0));
  Surface surface(128 * scale, 128 * scale);
  for (auto _ : state) {
    drawPatternTable(surface, pixels, palette, 1, scale);
    benchmark::DoNotOptimize(surface.pixels());
  }
}
BENCHMARK(BM_DrawPatternTable)->Arg(1)->Arg(2);

void BM_FourPaletteSurfaces(benchmark::State& state) {
  TilePixels pixels;
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
  PaletteArray palette{};
  readPalette(demo(), palette, rom::kFieldPalette.offset);
  std::vector<Surface> surfaces(4, Surface(128, 128));
  for (auto _ : state) {
    for (int k = 0; k < 4; ++k) {
      drawPatternTable(surfaces[static_cast<std::size_t>(k)], pixels, palette,
                       static_cast<std::uint8_t>(k), 1);
    }
    benchmark::DoNotOptimize(surfaces[3].pixels());
  }
}
BENCHMARK(BM_FourPaletteSurfaces);

void BM_MemcpyFourPaletteSurfaces(benchmark::State& state) {
  std::vector<Color> from(4 * 128 * 128, 1);
  std::vector<Color> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(Color));
    benchmark::DoNotOptimize(to.data());
  }
}
BENCHMARK(BM_MemcpyFourPaletteSurfaces);

// The unit every large view is built from: one 8 x 8 block copy.
void BM_CopyBlock8x8(benchmark::State& state) {
  Surface source(128, 128);
  Surface target(768, 768);
  int t = 0;
  for (auto _ : state) {
    target.copyBlock((t % 96) * 8, (t / 96 % 96) * 8, 8, 8, source, (t & 15) * 8, (t >> 1) & 0x78);
    ++t;
    benchmark::DoNotOptimize(target.pixels());
  }
}
BENCHMARK(BM_CopyBlock8x8);

}  // namespace
