// What the benchmarks share: the demo image, and the memory floor that a
// whole-view benchmark is compared with.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "demo/demo_rom.h"
#include "shell/rom_image.h"

namespace tarvo::bench {

inline const ByteArray& demo() {
  static const ByteArray image = makeDemoRom();
  return image;
}

// Seconds for one memcpy of `bytes` bytes between warm buffers: the least
// any view that writes that many bytes can take.
inline double memcpySeconds(std::size_t bytes) {
  using Clock = std::chrono::steady_clock;
  std::vector<char> from(bytes, 1);
  std::vector<char> to(bytes, 0);
  double best = 1e9;
  for (int batch = 0; batch < 7; ++batch) {
    int copies = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
      std::memcpy(to.data(), from.data(), bytes);
      benchmark::DoNotOptimize(to.data());
      benchmark::ClobberMemory();
      ++copies;
      now = Clock::now();
    } while (now - start < std::chrono::milliseconds(5));
    best = std::min(best, std::chrono::duration<double>(now - start).count() / copies);
  }
  return best;
}

// Runs `body` as the benchmark and reports, beside its time, the memcpy of
// `outputBytes` (memcpy_us) and how many times that floor the body takes
// (x_memcpy).
template <typename Body>
void runAgainstMemcpy(benchmark::State& state, std::size_t outputBytes, Body body) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  for (auto _ : state) {
    body();
  }
  const double perIteration = std::chrono::duration<double>(Clock::now() - start).count() /
                              static_cast<double>(state.iterations());
  const double floor = memcpySeconds(outputBytes);
  state.counters["memcpy_us"] = floor * 1e6;
  state.counters["x_memcpy"] = perIteration / floor;
}

}  // namespace tarvo::bench
