// Importing pictures as the field and as the batter's view: the time of a
// whole fit, and how close it comes. The error figures are measurements of
// the fit, reported as counters beside the time: PSNR in dB, the mean
// CIEDE2000 difference, and for comparison the least mean CIEDE2000 any fit
// could reach, every pixel in the console colour nearest it by CIEDE2000
// with no limit on palettes or tiles.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench_support.h"
#include "gfx/lab.h"
#include "screens/picture_import.h"
#include "support/test_pictures.h"

namespace {

using namespace tarvo;

// The mean CIEDE2000 of every pixel in its nearest console colour by
// CIEDE2000 (0D left out, as the importer never chooses it).
double nearestColourBound(const std::vector<Color>& picture) {
  double sum = 0;
  Color last = picture.front() + 1;
  double lastDifference = 0;
  for (const Color c : picture) {
    if (c != last) {
      const Lab lab = toLab(c);
      lastDifference = 1e300;
      for (int n = 0; n < 64; ++n) {
        if (n != 0x0D) {
          lastDifference = std::min(
              lastDifference, deltaE2000(lab, toLab(colorTable[static_cast<std::size_t>(n)])));
        }
      }
      last = c;
    }
    sum += lastDifference;
  }
  return sum / static_cast<double>(picture.size());
}

void BM_ImportPicture(benchmark::State& state) {
  const auto target = static_cast<ImportTarget>(state.range(0));
  const auto kind = static_cast<demo::TestPicture>(state.range(1));
  ImportOptions options;
  options.dither = static_cast<Dither>(state.range(2));
  const std::vector<Color> picture =
      demo::makeTestPicture(kind, importWidth(target), importHeight(target));
  std::optional<FittedPicture> fitted;
  for (auto _ : state) {
    fitted = fitPicture(bench::demo(), target, picture, options);
    benchmark::DoNotOptimize(fitted->image.data());
  }
  state.SetLabel(std::string(target == ImportTarget::Field ? "field, " : "batter's view, ") +
                 std::string(demo::testPictureName(kind)) +
                 (options.dither == Dither::Ordered ? ", ordered dither" : ""));
  state.counters["psnr_db"] = fitted->figures.psnr;
  state.counters["delta_e"] = fitted->figures.meanDeltaE;
  state.counters["bound_delta_e"] = nearestColourBound(picture);
  state.counters["tiles"] = fitted->figures.tiles;
  state.counters["metatiles"] = fitted->figures.metatiles;
}
BENCHMARK(BM_ImportPicture)
    ->ArgsProduct({{static_cast<int>(ImportTarget::Field), static_cast<int>(ImportTarget::BatView)},
                   {0, 1, 2, 3},
                   {static_cast<int>(Dither::None), static_cast<int>(Dither::Ordered)}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
