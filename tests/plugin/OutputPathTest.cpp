// The output stages of the run path (kFastVoices) by rendered sound on the
// benchmark's cases: the decimator in blocks of eight against one step at a
// time, and the rest against the sample-by-sample path, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "bench/BenchCases.h"
#include "engine/DspPath.h"
#include "engine/WideLanes.h"
#include "platform/Random.h"
#include "support/Render.h"
#include "support/ScopedTechniques.h"

namespace {
constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

// A benchmark case held for 1.5 s and released into 0.5 s of decay, with
// the compression factor given (0: the linear curve) and, unless it is -1,
// the crusher at the position given, coarse enough to be heard.
std::vector<double> RenderCase(const bench::Case& c, double compression, int techniques, int crusher = -1)
{
  ScopedTechniques scope(techniques);
  Vorblex plug;
  plug.SetHostSampleRate(kRate);
  plug.SetHostBlockSize(kBlock);
  if (c.configure) c.configure(plug);
  SetParam(plug, kCompressionFactor, compression);
  if (crusher >= 0) {
    SetParam(plug, kBitCrushPosition, crusher);
    SetParam(plug, kBitCrushSampleRate, 6000.0);
    SetParam(plug, kBitCrushBitDepth, 7.0);
  }
  RandomSeed(4242);
  std::vector<IMidiMessage> midi;
  for (int n = 0; n < c.notes; ++n) {
    midi.push_back(NoteOn(0, 48 + 7 * n, 100));
    midi.push_back(NoteOff(static_cast<int>(1.5 * kRate), 48 + 7 * n));
  }
  return RenderFrames(plug, static_cast<int>(2.0 * kRate), kBlock, midi).left;
}
}  // namespace

TEST(OutputPath, DecimatorBlocksFollowSingleStepsOnTheBenchmarkCases)
{
  for (const bench::Case& c : bench::kCases) {
    if (c.notes == 0) continue;
    for (double compression : {0.0, 0.3, 1.0}) {
      const std::vector<double> blocks = RenderCase(c, compression, kAllTechniques);
      const std::vector<double> single = RenderCase(c, compression, kAllTechniques & ~kDecimatorBlocks);
      double worst = 0.0;
      int at = -1;
      for (size_t i = 0; i < blocks.size(); ++i) {
        const double e = std::fabs(blocks[i] - single[i]);
        if (!(e <= worst)) {
          worst = e;
          at = static_cast<int>(i);
        }
      }
      // The decimator's own rounding shows on the linear curve; a
      // compressing curve magnifies it near the zero crossings, by its slope
      // e d^(e - 1) there.
      EXPECT_LE(worst, compression == 0.0 ? 1e-12 : 1e-9) << c.name << " " << compression << " at " << at;
      EXPECT_GT(Peak(single), 1e-2) << c.name;
    }
  }
}

TEST(OutputPath, RunsGiveTheBitsOfSampleBySampleOutputStages)
{
  // Without the techniques that reorder arithmetic across samples, a run
  // takes the same steps as single samples: the crushers in order, the
  // curve four samples at a time in lanes, the gain's smoothing.
  const int sampleBySample = kFastTrig | kFastPow | kFastFilter | kFastDecimator;
  for (const bench::Case& c : bench::kCases) {
    if (c.notes == 0) continue;
    for (double compression : {0.0, 0.3, 1.0}) {
      for (int crusher : {0, 1, 2}) {
        const std::vector<double> runs = RenderCase(c, compression, sampleBySample | kFastVoices, crusher);
        const std::vector<double> samples = RenderCase(c, compression, sampleBySample, crusher);
        int differing = 0;
        for (size_t i = 0; i < runs.size(); ++i) differing += runs[i] == samples[i] ? 0 : 1;
        EXPECT_EQ(differing, 0) << c.name << " " << compression << " " << crusher;
        EXPECT_GT(Peak(runs), 1e-2) << c.name;
      }
    }
  }
}

TEST(OutputPath, EightLanesGiveTheBitsOfFour)
{
  // AVX-512: the curve, the flush and the voices' oscillators and filter
  // coefficients eight doubles at a time, lane for lane the steps of the
  // four-lane forms.
  {
    ScopedTechniques all(kAllTechniques);
    if (!EightLanesAvailable()) GTEST_SKIP() << "no AVX-512: both renders would take four lanes";
  }
  for (const bench::Case& c : bench::kCases) {
    if (c.notes == 0) continue;
    for (double compression : {0.0, 0.3}) {
      for (int crusher : {-1, 1}) {
        for (int without : {0, static_cast<int>(kLoneVoice)}) {
          const int techniques = kAllTechniques & ~kFusedMultiplyAdd & ~without;
          const std::vector<double> eight = RenderCase(c, compression, techniques, crusher);
          const std::vector<double> four = RenderCase(c, compression, techniques & ~kEightLanes, crusher);
          int differing = 0;
          for (size_t i = 0; i < eight.size(); ++i) differing += eight[i] == four[i] ? 0 : 1;
          EXPECT_EQ(differing, 0) << c.name << " " << compression << " " << crusher << " " << without;
          EXPECT_GT(Peak(eight), 1e-2) << c.name;
        }
      }
    }
  }
}
