#pragma once
// The benchmark's cases, shared by the Google Benchmark program and the
// plain timing program of the Windows builds: 48 kHz, blocks of 256, a
// configured plug-in with its notes held, and the set of arithmetic
// techniques (engine/DspPath.h) to render with.
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>
#if defined(__linux__)
#include <time.h>
#endif

#include "engine/DspPath.h"
#include "plugin/Vorblex.h"
#include "platform/Random.h"

namespace bench {
constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

inline void Set(Vorblex& plug, int idx, double v)
{
  plug.GetParameter(idx)->Set(v);
  plug.OnParameterChange(idx);
}

// Three oscillators of different waveforms, both noise sources, both filters
// with envelope depth, a moving pitch sweep with a curve, the crusher inside.
inline void WorstCase(Vorblex& plug)
{
  Set(plug, kOsc1Type, 4);
  Set(plug, kOsc2Type, 3);
  Set(plug, kOsc3Type, 6);
  for (int i : {kOsc1Level, kOsc2Level, kOsc3Level, kWhiteLevel, kPinkLevel}) Set(plug, i, -12.0);
  Set(plug, kOsc2SquareDuty, 0.3);
  Set(plug, kFilterLPCutoff, 4000.0);
  Set(plug, kFilterLPResonance, 3.0);
  Set(plug, kFilterLPEnvDepth, 0.7);
  Set(plug, kFilterHPCutoff, 200.0);
  Set(plug, kFilterHPResonance, 2.0);
  Set(plug, kFilterHPEnvDepth, -0.5);
  Set(plug, kFilterEnvSustain, 0.5);
  Set(plug, kFilterEnvDecay, 0.5);
  Set(plug, kPitchStart, -0.5);
  Set(plug, kPitchEnd, 0.8);
  Set(plug, kPitchDuration, 10.0);
  Set(plug, kPitchCurve, 2.5);
  Set(plug, kBitCrushPosition, 1);
  Set(plug, kBitCrushSampleRate, 11025.0);
  Set(plug, kBitCrushBitDepth, 10.0);
}

struct Case {
  const char* name;
  void (*configure)(Vorblex&);
  int notes;
};

constexpr Case kCases[] = {
    {"Idle", nullptr, 0},
    {"OneVoiceInitialSound", nullptr, 1},
    {"FourVoicesWorstCase", WorstCase, 4},
};

struct Techniques {
  const char* name;
  int set;
};

// "exact" is the arithmetic before any technique; then each technique on
// its own, then all of them (what the plug-in runs). The techniques that
// work inside the voices' runs are measured by leaving them out of "all".
constexpr Techniques kTechniques[] = {
    {"exact", kDspExact},     {"trig", kFastTrig},          {"pow", kFastPow},
    {"filter", kFastFilter},  {"decimator", kFastDecimator}, {"voices", kFastVoices},
    {"all-but-voices", kAllTechniques & ~kFastVoices},
    {"all-but-decimator-blocks", kAllTechniques & ~kDecimatorBlocks},
    {"all-but-lone-voice", kAllTechniques & ~kLoneVoice},
    {"all-but-eight-lanes", kAllTechniques & ~kEightLanes},
    {"all-but-fused-multiply-add", kAllTechniques & ~kFusedMultiplyAdd}, {"all", kAllTechniques},
};

// A plug-in set up for a case, its notes on.
class Renderer
{
public:
  explicit Renderer(const Case& c) : mPlug(std::make_unique<Vorblex>()), mLeft(kBlock), mRight(kBlock)
  {
    mPlug->SetHostSampleRate(kRate);
    mPlug->SetHostBlockSize(kBlock);
    if (c.configure) c.configure(*mPlug);
    RandomSeed(1);
    for (int n = 0; n < c.notes; ++n) mPlug->AddMidi(IMidiMessage(0, 0x90, static_cast<uint8_t>(48 + 7 * n), 100));
  }

  void Block()
  {
    double* outs[2] = {mLeft.data(), mRight.data()};
    mPlug->ProcessBlock(outs, 2, kBlock);
  }
  void NoteOff(int notes)
  {
    for (int n = 0; n < notes; ++n) mPlug->AddMidi(IMidiMessage(0, 0x80, static_cast<uint8_t>(48 + 7 * n), 0));
  }
  const double* Left() const { return mLeft.data(); }

private:
  std::unique_ptr<Vorblex> mPlug;
  std::vector<double> mLeft, mRight;
};

// The slowest block of a long render against the median block: 20 s of the
// worst case held, then released into 10 s of decay and silence, where
// denormal values would show up as slow blocks.
struct BlockSpread {
  double slowestOverMedian;
  double medianMicroseconds;
};

// The calling thread's CPU time where the system has it, so that time the
// scheduler gives to other programs does not count; wall time elsewhere.
inline double NowMicroseconds()
{
#if defined(__linux__)
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) * 1e-3;
#else
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
#endif
}

// The render is repeated (the same seed gives the same sound) and each block
// counts with the least of its times: slowness that the sound causes, such
// as denormal values or the work of a note's first blocks, shows in every
// repeat, while the time a shared machine takes from one repeat at random
// does not.
inline BlockSpread MeasureBlockSpread(int repeats = 3)
{
  const int held = static_cast<int>(20.0 * kRate / kBlock);
  const int tail = static_cast<int>(10.0 * kRate / kBlock);
  std::vector<double> times(static_cast<size_t>(held + tail), 0.0);
  for (int repeat = 0; repeat < repeats; ++repeat) {
    Renderer r(kCases[2]);
    for (int b = 0; b < held + tail; ++b) {
      if (b == held) r.NoteOff(kCases[2].notes);
      const double t0 = NowMicroseconds();
      r.Block();
      const double t = NowMicroseconds() - t0;
      times[static_cast<size_t>(b)] = repeat == 0 ? t : std::min(times[static_cast<size_t>(b)], t);
    }
  }
  // The median of the held part, where the voices sound; the slowest block
  // of the whole render ignores one in a thousand, which interrupts take at
  // random, while a denormal stretch would last for many blocks.
  std::vector<double> heldTimes(times.begin(), times.begin() + held);
  std::sort(heldTimes.begin(), heldTimes.end());
  std::sort(times.begin(), times.end());
  const double median = heldTimes[heldTimes.size() / 2];
  const double slowest = times[times.size() - 1 - times.size() / 1000];
  return {slowest / median, median};
}
}  // namespace bench
