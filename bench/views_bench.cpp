// Speed of the field and batter's view renderers and of the main window's
// whole refresh, each beside the memcpy of the bytes it writes.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"
#include "screens/views.h"

namespace {

using namespace tarvo;
using tarvo::bench::demo;
using tarvo::bench::runAgainstFloor;

BankGraphics fieldGraphics() {
  BankGraphics graphics;
  loadBankGraphics(graphics, demo(), rom::kFieldChrBank, rom::kFieldPalette, ColourMode::Editor);
  return graphics;
}

std::size_t bytesOf(const Surface& surface) {
  return static_cast<std::size_t>(surface.width()) * surface.height() * sizeof(Color);
}

void BM_DrawMetatileTable(benchmark::State& state) {
  const BankGraphics graphics = fieldGraphics();
  Surface table(512, 512);  // the main window's picMetaTable
  runAgainstFloor(state, bytesOf(table), [&] {
    drawMetatileTable(table, demo(), graphics.surfaces, 0);
    benchmark::DoNotOptimize(table.pixels());
  });
}
BENCHMARK(BM_DrawMetatileTable);

void BM_DrawFieldMap(benchmark::State& state) {
  const BankGraphics graphics = fieldGraphics();
  Surface map(768, 768);
  runAgainstFloor(state, bytesOf(map), [&] {
    drawFieldMap(map, demo(), graphics.surfaces);
    benchmark::DoNotOptimize(map.pixels());
  });
}
BENCHMARK(BM_DrawFieldMap);

void BM_DrawMapCell(benchmark::State& state) {
  const BankGraphics graphics = fieldGraphics();
  Surface map(768, 768);
  int cell = 0;
  runAgainstFloor(state, 32 * 32 * sizeof(Color), [&] {
    drawMapCell(map, static_cast<std::int16_t>(cell % 24),
                static_cast<std::int16_t>(cell / 24 % 24), demo(), graphics.tiles,
                graphics.palette);
    ++cell;
    benchmark::DoNotOptimize(map.pixels());
  });
}
BENCHMARK(BM_DrawMapCell);

void BM_DrawBatView(benchmark::State& state) {
  BankGraphics graphics;
  loadBankGraphics(graphics, demo(), rom::kBatViewChrBank, rom::kBatViewPalette,
                   ColourMode::Editor);
  Surface view(256, 240);
  runAgainstFloor(state, bytesOf(view), [&] {
    drawBatView(view, demo(), graphics.surfaces);
    benchmark::DoNotOptimize(view.pixels());
  });
}
BENCHMARK(BM_DrawBatView);

// Everything the main window does after a load: the palette, the decoded
// bank, the four palette surfaces, the metatile table and the field map.
void BM_MainWindowRefresh(benchmark::State& state) {
  BankGraphics graphics;
  Surface table(512, 512);
  Surface map(768, 768);
  const std::size_t output = 4 * 128 * 128 * sizeof(Color) + bytesOf(table) + bytesOf(map);
  runAgainstFloor(state, output, [&] {
    loadBankGraphics(graphics, demo(), rom::kFieldChrBank, rom::kFieldPalette, ColourMode::Editor);
    drawMetatileTable(table, demo(), graphics.surfaces, 0);
    drawFieldMap(map, demo(), graphics.surfaces);
    benchmark::DoNotOptimize(map.pixels());
  });
}
BENCHMARK(BM_MainWindowRefresh);

}  // namespace
