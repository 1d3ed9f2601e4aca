// Long soak of the instrument on the in-process adapter: generated sounds
// retriggered with random notes, parameter changes and state loads, rendered
// block after block for as long as asked (default one hour).
//
//   vorblex_soak [seconds] [seed]
//
// The first minute also builds a pool of 64 generated and mutated sounds;
// from then on the soak only loads states from that pool, so nothing it does
// should need more memory. Reports: samples that are not finite numbers (must
// be 0), the slowest block against the median block (denormal slowdowns show
// here), and the resident memory after the first minute and at the end (the
// growth must be 0). Exit status 1 when either must-be-zero figure is not.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <time.h>
#include <vector>

#include "platform/Random.h"
#include "plugin/Vorblex.h"

namespace {
constexpr double kRate = 44100.0;
constexpr int kBlock = 256;
constexpr int kPoolSize = 64;

// CPU time of this thread in microseconds: a block's own cost, without the
// time the scheduler gave other programs.
double ThreadMicros()
{
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

long ResidentKiB()
{
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long pages = 0, resident = 0;
  const int n = std::fscanf(f, "%ld %ld", &pages, &resident);
  std::fclose(f);
  return n == 2 ? resident * 4 : -1;
}
}  // namespace

int main(int argc, char** argv)
{
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3600.0;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1u;
  if (!(seconds > 0.0)) {
    std::fprintf(stderr, "usage: vorblex_soak [seconds] [seed]\n");
    return 2;
  }
  std::mt19937 rng(seed);
  RandomSeed(seed);

  Vorblex plug;
  plug.SetHostSampleRate(kRate);
  plug.SetHostBlockSize(kBlock);

  std::vector<IStateChunk> pool;
  std::vector<double> left(kBlock), right(kBlock);
  double* outs[2] = {left.data(), right.data()};
  // Block times (CPU time of the rendering thread, and wall time) in
  // histograms of quarter microseconds up to 50 ms, filled in (and so
  // resident) from the start: the soak itself must not grow.
  constexpr double kBinMicros = 0.25;
  std::vector<uint32_t> cpuHistogram(200000, 0), wallHistogram(200000, 0);
  double slowestCpu = 0.0, slowestWall = 0.0;

  long nonFinite = 0;
  long notes = 0, paramChanges = 0, stateLoads = 0, generated = 0;
  int heldNote = -1;
  long residentAtMinute = -1, residentPeak = 0;
  const auto start = std::chrono::steady_clock::now();
  double elapsed = 0.0;
  size_t block = 0;
  while (elapsed < seconds) {
    // Between blocks, as a host's user-interface thread would.
    const unsigned r = rng() % 1000;
    if (pool.size() < kPoolSize && r < 20) {
      switch (rng() % 9) {
        case 0: plug.GenerateRandom(); break;
        case 1: plug.GeneratePickup(); break;
        case 2: plug.GenerateShoot(); break;
        case 3: plug.GeneratePowerup(); break;
        case 4: plug.GenerateHit(); break;
        case 5: plug.GenerateJump(); break;
        case 6: plug.GenerateBlip(); break;
        case 7: plug.GenerateBlade(); break;
        default: plug.Mutate(); break;
      }
      ++generated;
      IStateChunk state;
      plug.SerializeState(state);
      pool.push_back(state);
    } else if (!pool.empty() && r < 25) {
      if (plug.UnserializeState(pool[rng() % pool.size()], 0) < 0) return 3;
      ++stateLoads;
    } else if (r < 60) {
      const int idx = static_cast<int>(rng() % kParamCount);
      MutexLock lock(plug.Mutex());
      plug.GetParameter(idx)->SetNormalized((rng() % 10001) / 10000.0);
      plug.OnParameterChange(idx);
      ++paramChanges;
    }
    if (rng() % 8 == 0) {
      const int offset = static_cast<int>(rng() % kBlock);
      if (heldNote >= 0) plug.AddMidi(IMidiMessage(offset, 0x80, static_cast<uint8_t>(heldNote), 0));
      heldNote = 24 + static_cast<int>(rng() % 84);
      plug.AddMidi(IMidiMessage(offset, 0x90, static_cast<uint8_t>(heldNote), static_cast<uint8_t>(1 + rng() % 127)));
      ++notes;
    }

    const double c0 = ThreadMicros();
    const auto t0 = std::chrono::steady_clock::now();
    plug.ProcessBlock(outs, 2, kBlock);
    const auto t1 = std::chrono::steady_clock::now();
    const double cpu = ThreadMicros() - c0;
    const double wall = std::chrono::duration<double, std::micro>(t1 - t0).count();
    slowestCpu = std::max(slowestCpu, cpu);
    slowestWall = std::max(slowestWall, wall);
    ++cpuHistogram[std::min(cpuHistogram.size() - 1, static_cast<size_t>(cpu / kBinMicros))];
    ++wallHistogram[std::min(wallHistogram.size() - 1, static_cast<size_t>(wall / kBinMicros))];
    plug.ClearMidiOut();
    for (int i = 0; i < kBlock; ++i) nonFinite += !std::isfinite(left[i]) + !std::isfinite(right[i]);
    ++block;

    if ((block & 1023) == 0) {
      elapsed = std::chrono::duration<double>(t1 - start).count();
      const long resident = ResidentKiB();
      residentPeak = std::max(residentPeak, resident);
      if (residentAtMinute < 0 && elapsed >= 60.0) residentAtMinute = resident;
    }
  }
  const long residentEnd = ResidentKiB();
  if (residentAtMinute < 0) residentAtMinute = residentEnd;

  auto percentile = [&](const std::vector<uint32_t>& histogram, double fraction) {
    const double want = fraction * static_cast<double>(block);
    double seen = 0.0;
    for (size_t i = 0; i < histogram.size(); ++i) {
      seen += histogram[i];
      if (seen >= want) return (static_cast<double>(i) + 0.5) * kBinMicros;
    }
    return static_cast<double>(histogram.size()) * kBinMicros;
  };
  const double medianCpu = percentile(cpuHistogram, 0.5), p999Cpu = percentile(cpuHistogram, 0.999);
  const double medianWall = percentile(wallHistogram, 0.5), p999Wall = percentile(wallHistogram, 0.999);
  const double rendered = static_cast<double>(block) * kBlock / kRate;
  std::printf("soak: %.0f s wall, %zu blocks of %d at %.0f Hz = %.0f s of audio (%.1fx real time)\n", elapsed, block,
              kBlock, kRate, rendered, rendered / std::max(elapsed, 1e-9));
  std::printf("soak: %ld notes, %ld parameter changes, %ld state loads, %ld generated or mutated sounds\n", notes,
              paramChanges, stateLoads, generated);
  std::printf("soak: non-finite samples: %ld\n", nonFinite);
  std::printf("soak: block CPU time median %.1f us, 99.9th percentile %.1f us, slowest %.1f us (%.1fx the median)\n",
              medianCpu, p999Cpu, slowestCpu, medianCpu > 0.0 ? slowestCpu / medianCpu : 0.0);
  std::printf("soak: block wall time median %.1f us, 99.9th percentile %.1f us, slowest %.1f us (%.1fx the median)\n",
              medianWall, p999Wall, slowestWall, medianWall > 0.0 ? slowestWall / medianWall : 0.0);
  std::printf("soak: resident memory after the first minute %ld KiB, at the end %ld KiB, growth %ld KiB (peak %ld KiB)\n",
              residentAtMinute, residentEnd, residentEnd - residentAtMinute, residentPeak);
  return nonFinite == 0 && residentEnd - residentAtMinute <= 0 ? 0 : 1;
}
