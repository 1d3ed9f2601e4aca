// Real-time factors of the engine: seconds of audio rendered per second of CPU,
// at 48 kHz in blocks of 256, for named cases, each with the exact arithmetic,
// with each technique on its own and with all of them.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchCases.h"

namespace {
void Run(benchmark::State& state, bench::Case c, int techniques)
{
  SetDspTechniques(techniques);
  bench::Renderer r(c);
  int64_t frames = 0;
  for (auto _ : state) {
    r.Block();
    benchmark::DoNotOptimize(r.Left());
    frames += bench::kBlock;
  }
  SetDspTechniques(kAllTechniques);
  // Seconds of audio per second of CPU.
  state.counters["realtime_x"] =
      benchmark::Counter(static_cast<double>(frames) / bench::kRate, benchmark::Counter::kIsRate);
}

void BlockSpread(benchmark::State& state)
{
  bench::BlockSpread spread{};
  for (auto _ : state) spread = bench::MeasureBlockSpread();
  state.counters["slowest_over_median"] = spread.slowestOverMedian;
  state.counters["median_block_us"] = spread.medianMicroseconds;
}
}  // namespace

int main(int argc, char** argv)
{
  // Techniques alternate within a case, so the ratios come from one sitting.
  for (const bench::Case& c : bench::kCases)
    for (const bench::Techniques& t : bench::kTechniques)
      benchmark::RegisterBenchmark((std::string(c.name) + "/" + t.name).c_str(), Run, c, t.set)
          ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("SlowestBlockOverMedian", BlockSpread)->Iterations(1)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
