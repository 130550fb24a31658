// Speed of the graphics editor window's full redraw (an opening, a new
// sub-palette or palette). What one edit costs is measured on the real
// windows, in window_bench.cpp.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "editor/tile_editor.h"
#include "screens/views.h"

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
  tarvo::bench::runAgainstFloor(state, windowBytes(editor), [&] {
    editor.redrawAll();
    benchmark::DoNotOptimize(editor.picPatternTable.pixels());
  });
}
BENCHMARK(BM_EditorRedrawAll)->Arg(0)->Arg(1);

}  // namespace
