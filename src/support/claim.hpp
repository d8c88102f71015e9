#pragma once
#include <atomic>
#include <cstdint>

namespace tessaly {

// Takes the next number from a counter that several threads share: in one step, when the
// counter is below `total` it is incremented and its new value (1, 2, ...) is returned;
// 0 when every number up to `total` has been taken. No number is taken twice or skipped.
inline int32_t claimNext(std::atomic<int32_t>& counter, int32_t total) {
  int32_t taken = counter.load();
  do {
    if (taken >= total) return 0;
  } while (!counter.compare_exchange_weak(taken, taken + 1));
  return taken + 1;
}

}  // namespace tessaly
