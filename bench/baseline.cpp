// The machine's limit for moving bytes: memcpy of 1 MiB, the yardstick for conversions and
// transport throughput measured elsewhere in this binary.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

static void memcpy_1mib(benchmark::State& state) {
  std::vector<char> src(1 << 20, 'x'), dst(1 << 20);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(src.size()));
}
BENCHMARK(memcpy_1mib)->Name("memcpy_1mib:memcpy");
