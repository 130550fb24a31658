// One libFuzzer program; TARVO_FUZZ_TARGET names the target it runs.
#include <cstddef>
#include <cstdint>

#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarvo::fuzz::TARVO_FUZZ_TARGET(data, size);
  return 0;
}
