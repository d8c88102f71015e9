#pragma once
// CPU clocks for the benchmarks. CPU time rather than wall time where a figure must not
// move with what else the (shared) machine is doing.
#include <sys/resource.h>
#include <time.h>

namespace tessaly::bench {

// CPU seconds of the calling thread.
inline double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// User and system CPU seconds of the whole process.
inline double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Thread CPU seconds per call of `work`, calling it for at least `atLeast` seconds.
template <typename Work>
double cpuSecondsPerCall(Work work, double atLeast) {
  int calls = 0;
  const double start = threadCpuSeconds();
  double elapsed = 0;
  do {
    work();
    ++calls;
    elapsed = threadCpuSeconds() - start;
  } while (elapsed < atLeast);
  return elapsed / calls;
}

}  // namespace tessaly::bench
