#include <benchmark/benchmark.h>

#include "support/gbk.hpp"

static void BM_GbkRoundTrip(benchmark::State& state) {
  const std::string text(4096, 'a');
  for (auto _ : state) benchmark::DoNotOptimize(tessaly::gbkToUtf8(tessaly::utf8ToGbk(text)));
}
BENCHMARK(BM_GbkRoundTrip);
BENCHMARK_MAIN();
