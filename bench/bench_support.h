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

// The least time writing `bytes` bytes can take here: the better of a
// memset and a memcpy of that many bytes, on buffers allocated once and
// already touched (no page is faulted in while timed), the minimum over
// repetitions of batches long enough to time. The views' benchmarks are
// compared with it; BM_MemoryFloor shows how it grows with the size.
inline double memoryFloorSeconds(std::size_t bytes) {
  using Clock = std::chrono::steady_clock;
  constexpr std::size_t kLargest = 16 * 1024 * 1024;
  static std::vector<char> from(kLargest, 1);
  static std::vector<char> to(kLargest, 2);
  bytes = std::min(bytes, kLargest);
  // About a millisecond of work a batch.
  const int operations = static_cast<int>(std::max<std::size_t>(1, (1 << 24) / (bytes + 1)));
  auto batch = [&](auto operation) {
    const auto start = Clock::now();
    for (int i = 0; i < operations; ++i) {
      operation();
      benchmark::DoNotOptimize(to.data());
      benchmark::ClobberMemory();
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / operations;
  };
  double best = 1e9;
  for (int repetition = 0; repetition < 15; ++repetition) {
    best = std::min(best, batch([&] { std::memset(to.data(), repetition, bytes); }));
    best = std::min(best, batch([&] { std::memcpy(to.data(), from.data(), bytes); }));
  }
  return best;
}

// Runs `body` as the benchmark and reports, beside its time, the memory
// floor for `outputBytes` (floor_us) and how many times that floor the body
// takes (x_floor).
template <typename Body>
void runAgainstFloor(benchmark::State& state, std::size_t outputBytes, Body body) {
  using Clock = std::chrono::steady_clock;
  double best = 1e9;
  for (auto _ : state) {
    const auto start = Clock::now();
    body();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  const double floor = memoryFloorSeconds(outputBytes);
  state.counters["floor_us"] = floor * 1e6;
  state.counters["best_us"] = best * 1e6;
  state.counters["x_floor"] = best / floor;
}

}  // namespace tarvo::bench
