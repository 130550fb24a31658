// Speed of the tile budget and the bookkeeping commands.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "screens/tile_bookkeeping.h"
#include "screens/tile_budget.h"
#include "shell/rom_locations.h"

namespace {

using namespace tarvo;
using tarvo::bench::demo;

// The demo image with every field tile used, half of them copies of others.
ByteArray crowdedField() {
  ByteArray image = demo();
  for (int tile = 128; tile < rom::kBankTiles; ++tile) {
    std::copy_n(image.begin() + rom::kFieldChrBank.offset + (tile - 128) * 16, 16,
                image.begin() + rom::kFieldChrBank.offset + tile * 16);
  }
  return image;
}

// Merge Duplicate Tiles on a full bank with 128 duplicates (budget: 5 ms).
void BM_MergeDuplicateTiles(benchmark::State& state) {
  const ByteArray crowded = crowdedField();
  for (auto _ : state) {
    state.PauseTiming();
    ByteArray image = crowded;
    state.ResumeTiming();
    benchmark::DoNotOptimize(mergeDuplicateTiles(image, TileScreen::Field));
  }
}
BENCHMARK(BM_MergeDuplicateTiles)->Unit(benchmark::kMillisecond);

// Reduce Tiles from 256 to 192 on the demo's field.
void BM_ReduceTiles(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    ByteArray image = demo();
    state.ResumeTiming();
    benchmark::DoNotOptimize(reduceTiles(image, TileScreen::Field, 192));
  }
}
BENCHMARK(BM_ReduceTiles)->Unit(benchmark::kMillisecond);

// The tracker after one painted pixel: two bytes of one tile.
void BM_BudgetAfterOnePixel(benchmark::State& state) {
  ByteArray image = demo();
  BudgetTracker tracker(TileScreen::Field);
  tracker.recount(image);
  const std::int64_t at = rom::kFieldChrBank.offset + 5 * 16 + 3;
  for (auto _ : state) {
    image[static_cast<std::size_t>(at)] ^= 1;
    tracker.update(image, {{at, 1}});
    benchmark::DoNotOptimize(tracker.figures());
  }
}
BENCHMARK(BM_BudgetAfterOnePixel)->Unit(benchmark::kMicrosecond);

}  // namespace
