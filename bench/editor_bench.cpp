// Speed of the graphics editor window: the full redraw every edit ends with,
// and one painted pixel from the press to the redrawn views.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "editor/tile_editor.h"
#include "screens/field_renderer.h"
#include "screens/views.h"
#include "shell/edit_history.h"

namespace {

using namespace tarvo;

// Everything the window draws: the pattern table, the enlarged tile, the
// metatile, the batter's view and the four palette surfaces.
std::size_t windowBytes(const TileEditor& editor) {
  auto bytes = [](const Surface& s) {
    return static_cast<std::size_t>(s.width()) * s.height() * sizeof(Color);
  };
  return bytes(editor.picPatternTable) + bytes(editor.picSelectedTile) +
         bytes(editor.pic_4x4metatile) + bytes(editor.picBatView) + 4 * 128 * 128 * sizeof(Color);
}

void BM_EditorRedrawAll(benchmark::State& state) {
  ByteArray rom = tarvo::bench::demo();
  TileEditor editor(rom);
  editor.initGUI(static_cast<int>(state.range(0)), 0);
  tarvo::bench::runAgainstMemcpy(state, windowBytes(editor), [&] {
    editor.redrawAll();
    benchmark::DoNotOptimize(editor.picPatternTable.pixels());
  });
}
BENCHMARK(BM_EditorRedrawAll)->Arg(0)->Arg(1);

// One cell of a stroke: the press handler paints, stores the tile into the
// image and redraws the whole window.
void BM_EditorPaintOnePixel(benchmark::State& state) {
  ByteArray rom = tarvo::bench::demo();
  TileEditor editor(rom);
  editor.initGUI(static_cast<int>(state.range(0)), 0);
  int cell = 0;
  for (auto _ : state) {
    editor.pixelPress(1 + (cell & 1), (cell % 8) * 16 + 3, (cell / 8 % 8) * 16 + 3);
    ++cell;
    benchmark::DoNotOptimize(editor.picBatView.pixels());
  }
}
BENCHMARK(BM_EditorPaintOnePixel)->Arg(0)->Arg(1);

// One cell of a stroke in mode 0 with everything the program does around it:
// the history step, the editor window's redraw and the main window's live
// refresh (palette surfaces, metatile table, field map).
void BM_LivePaintOnePixel(benchmark::State& state) {
  ByteArray rom = tarvo::bench::demo();
  TileEditor editor(rom);
  editor.initGUI(0, 0);
  EditHistory history(rom);
  BankGraphics main;
  Surface table(512, 512);
  Surface map(768, 768);
  int cell = 0;
  for (auto _ : state) {
    history.begin("Paint");
    editor.pixelPress(1 + (cell & 1), (cell % 8) * 16 + 3, (cell / 8 % 8) * 16 + 3);
    loadBankGraphics(main, rom, rom::kFieldChrBank, rom::kFieldPalette);
    drawMetatileTable(table, rom, main.surfaces, 0);
    drawFieldMap(map, rom, main.surfaces);
    history.commit();
    ++cell;
    benchmark::DoNotOptimize(map.pixels());
  }
}
BENCHMARK(BM_LivePaintOnePixel);

}  // namespace
