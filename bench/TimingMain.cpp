// The benchmark without Google Benchmark, for the Windows builds: the same
// cases and techniques, each rendered for about half a second,
// printing the real-time factor (seconds of audio per second of the thread's
// processor time, so that concurrent programs disturb it little).
// With --only CASE/ARITHMETIC --blocks N it renders just that, N blocks
// after the warm-up, for instruction counts under a profiler.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/BenchCases.h"
#include "platform/ThreadTime.h"

namespace {
double RealTimeFactor(const bench::Case& c, int techniques, double seconds, int64_t fixedBlocks = 0)
{
  SetDspTechniques(techniques);
  bench::Renderer r(c);
  for (int i = 0; i < 16; ++i) r.Block();  // warm-up
  int64_t blocks = 0;
  const double start = ThreadCpuSeconds();
  double elapsed = 0.0;
  do {
    // The clock is read every 128 blocks: under Wine a reading costs about
    // as much as an idle block.
    const int batch = fixedBlocks > 0 ? 16 : 128;
    for (int i = 0; i < batch; ++i) r.Block();
    blocks += batch;
    elapsed = ThreadCpuSeconds() - start;
  } while (fixedBlocks > 0 ? blocks < fixedBlocks : elapsed < seconds);
  SetDspTechniques(kAllTechniques);
  return static_cast<double>(blocks * bench::kBlock) / bench::kRate / elapsed;
}
}  // namespace

int main(int argc, char** argv)
{
  double seconds = 0.5;
  const char* only = nullptr;
  int64_t fixedBlocks = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
    if (std::strcmp(argv[i], "--blocks") == 0) fixedBlocks = std::atoll(argv[i + 1]);
  }
  if (only) {
    for (const bench::Case& c : bench::kCases)
      for (const bench::Techniques& t : bench::kTechniques)
        if (std::string(c.name) + "/" + t.name == only) {
          std::printf("%s %.1f\n", only, RealTimeFactor(c, t.set, seconds, fixedBlocks));
          return 0;
        }
    std::fprintf(stderr, "no case %s\n", only);
    return 1;
  }
  std::printf("%-24s %-10s %14s\n", "case", "arithmetic", "realtime_x");
  for (const bench::Case& c : bench::kCases)
    for (const bench::Techniques& t : bench::kTechniques)
      std::printf("%-24s %-10s %14.1f\n", c.name, t.name, RealTimeFactor(c, t.set, seconds));
  const bench::BlockSpread spread = bench::MeasureBlockSpread();
  std::printf("slowest block / median block over 30 s of the worst case: %.2f (median %.1f us)\n",
              spread.slowestOverMedian, spread.medianMicroseconds);
  return 0;
}
