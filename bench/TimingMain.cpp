// The benchmark without Google Benchmark, for the Windows builds: the same
// cases and techniques, each rendered for about half a second of wall time,
// printing the real-time factor (seconds of audio per second of wall time).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/BenchCases.h"

namespace {
double RealTimeFactor(const bench::Case& c, int techniques, double seconds)
{
  SetDspTechniques(techniques);
  bench::Renderer r(c);
  for (int i = 0; i < 16; ++i) r.Block();  // warm-up
  int64_t blocks = 0;
  const auto start = std::chrono::steady_clock::now();
  double elapsed = 0.0;
  do {
    for (int i = 0; i < 16; ++i) r.Block();
    blocks += 16;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (elapsed < seconds);
  SetDspTechniques(kAllTechniques);
  return static_cast<double>(blocks * bench::kBlock) / bench::kRate / elapsed;
}
}  // namespace

int main(int argc, char** argv)
{
  double seconds = 0.5;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
  std::printf("%-24s %-10s %14s\n", "case", "arithmetic", "realtime_x");
  for (const bench::Case& c : bench::kCases)
    for (const bench::Techniques& t : bench::kTechniques)
      std::printf("%-24s %-10s %14.1f\n", c.name, t.name, RealTimeFactor(c, t.set, seconds));
  const bench::BlockSpread spread = bench::MeasureBlockSpread();
  std::printf("slowest block / median block over 30 s of the worst case: %.2f (median %.1f us)\n",
              spread.slowestOverMedian, spread.medianMicroseconds);
  return 0;
}
