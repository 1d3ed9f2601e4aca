// The output path's block forms against their one-at-a-time forms: the
// decimator eight steps at once, the compression curve four samples at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/DspPath.h"
#include "engine/OutputLanes.h"
#include "engine/WideLanes.h"
#include "engine/OutputStage.h"
#include "engine/OversamplingFilter.h"
#include "support/AllocGuard.h"
#include "support/ScopedTechniques.h"

namespace {
std::mt19937_64 gRandom;

// Uniform in [-1, 1).
double Uniform() { return std::uniform_real_distribution<double>(-1.0, 1.0)(gRandom); }
int RandomInt(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gRandom); }

// A filter with a history of random size and shape: noise, a square wave or
// single impulses, at levels from 1e-6 to 10.
OversamplingFilter RandomlyRung()
{
  OversamplingFilter f;
  const double level = std::pow(10.0, RandomInt(-6, 1));
  const int kind = RandomInt(0, 2);
  const int steps = RandomInt(1, 300);
  for (int n = 0; n < steps; ++n) {
    const double x = kind == 0 ? Uniform() : (kind == 1 ? ((n / 24) % 2 ? 1.0 : -1.0) : (n % 97 == 0 ? 1.0 : 0.0));
    f.StepExact(level * x);
  }
  return f;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

TEST(DecimatorBlocks, EightAtOnceFollowEightSingleSteps)
{
  gRandom.seed(17);
  double worst = 0.0;
  for (int trial = 0; trial < 2000; ++trial) {
    OversamplingFilter block = RandomlyRung();
    OversamplingFilter single = block;
    double x[8];
    const double level = std::pow(10.0, RandomInt(-6, 1));
    for (double& v : x) v = level * Uniform();
    // The scale of the sums: the largest value they read.
    double scale = 0.0;
    for (int k = 0; k < 8; ++k) scale = std::max({scale, std::fabs(x[k]), std::fabs(single.Output(k))});

    const double first = block.StepEight(x);
    const double oldNewest = single.Output(0);
    double firstSingle = 0.0;
    for (int j = 0; j < 8; ++j) {
      const double y = single.StepExact(x[j]);
      if (j == 0) firstSingle = y;
    }
    EXPECT_EQ(first, block.Output(7));
    EXPECT_NEAR(first, firstSingle, 1e-15 * scale);
    // The history is laid out as eight steps leave it, newest first, with the
    // previous newest output one further back.
    EXPECT_EQ(block.Output(8), oldNewest);
    EXPECT_EQ(single.Output(8), oldNewest);
    for (int k = 0; k < 8; ++k) {
      const double e = std::fabs(block.Output(k) - single.Output(k)) / scale;
      worst = std::max(worst, e);
    }
  }
  // The block weights reach about 70 where the single steps' reach 8, and
  // their sums cancel down to the size of the history: a few hundred units
  // in the last place of the largest value summed.
  EXPECT_LT(worst, 1e-12);
}

TEST(DecimatorBlocks, TheWideAndThePortableFormGiveTheSameBits)
{
  if (!OversamplingFilter::UsesWideBlocks()) GTEST_SKIP() << "no AVX2: StepEight() is the portable form";
  gRandom.seed(23);
  for (int trial = 0; trial < 500; ++trial) {
    OversamplingFilter a = RandomlyRung();
    OversamplingFilter b = a;
    for (int block = 0; block < 8; ++block) {
      double x[8];
      for (double& v : x) v = trial % 3 == 0 ? 0.0 : Uniform();
      const double ya = a.StepEight(x), yb = b.StepEightPortable(x);
      ASSERT_TRUE(SameBits(ya, yb)) << trial;
      for (int k = 0; k <= 8; ++k) ASSERT_TRUE(SameBits(a.Output(k), b.Output(k))) << trial << " " << k;
    }
  }
}

TEST(DecimatorBlocks, ARunGivesTheBitsOfOneBlockAtATime)
{
  // Runs of several lengths over signal, silence and tiny values, so that
  // some blocks fall back to single steps in the middle of a run.
  gRandom.seed(29);
  for (int trial = 0; trial < 200; ++trial) {
    OversamplingFilter a = RandomlyRung();
    OversamplingFilter b = a;
    const int frames = 1 + trial % 37;
    std::vector<double> x(8 * static_cast<size_t>(frames)), out(static_cast<size_t>(frames));
    for (size_t i = 0; i < x.size(); ++i) x[i] = trial % 4 == 0 ? 1e-300 * Uniform() : (i / 8 % 5 == 3 ? 0.0 : Uniform());
    a.StepEightRun(x.data(), frames, out.data());
    for (int f = 0; f < frames; ++f) ASSERT_TRUE(SameBits(out[f], b.StepEight(x.data() + 8 * f))) << trial << " " << f;
    for (int k = 0; k <= 8; ++k) ASSERT_TRUE(SameBits(a.Output(k), b.Output(k))) << trial << " " << k;
  }
}

TEST(DecimatorBlocks, LongRunsStayWithTheSingleSteps)
{
  // A square wave with sharp edges, then silence: the rounding differences
  // do not build up, and the ringing dies away the same.
  OversamplingFilter block, single;
  double worst = 0.0, peak = 0.0;
  for (int n = 0; n < 400000; n += 8) {
    double x[8];
    for (int j = 0; j < 8; ++j) x[j] = n + j < 200000 ? ((n + j) / 40 % 2 ? 0.8 : -0.8) : 0.0;
    block.StepEight(x);
    for (int j = 0; j < 8; ++j) single.StepExact(x[j]);
    for (int k = 0; k < 8; ++k) {
      worst = std::max(worst, std::fabs(block.Output(k) - single.Output(k)));
      peak = std::max(peak, std::fabs(single.Output(k)));
    }
  }
  EXPECT_LT(worst, 5e-12);
  EXPECT_GT(peak, 0.5);
  EXPECT_TRUE(block.IsBelow(1e-14));
}

TEST(DecimatorBlocks, FlushesTinyAndNonFiniteOutputsOutOfItsHistory)
{
  OversamplingFilter f;
  const double tiny[8] = {1e-300, -1e-300, 1e-200, 0.0, 1e-310, 0.0, -1e-250, 1e-290};
  EXPECT_EQ(f.StepEight(tiny), 0.0);
  EXPECT_TRUE(f.IsSilent());
  // Inputs near the largest double overflow the sums: the history takes
  // zeros for them, never infinities or NaN.
  const double huge[8] = {DBL_MAX, DBL_MAX, -DBL_MAX, DBL_MAX, DBL_MAX, DBL_MAX, -DBL_MAX, DBL_MAX};
  for (int block = 0; block < 50; ++block) {
    f.StepEight(huge);
    for (int k = 0; k <= 8; ++k) ASSERT_TRUE(std::isfinite(f.Output(k))) << block << " " << k;
  }
  // An impulse afterwards rings as from a clean start, once the history has
  // been reset.
  f.Reset();
  const double impulse[8] = {1.0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(f.StepEight(impulse), f.Gain());
}

TEST(OutputLanes, CurveGivesTheBitsOfTheOneSampleCurve)
{
  std::vector<double> values = {0.0,     -0.0,    1e-320, -1e-320, 2.2250738585072014e-308, 1e-300, -1e-300,
                                5e-17,   -5e-17,  6e-17,  -6e-17,  1e-12,  -1e-12, 0.25,   -0.25,   1.0,
                                -1.0,    1.5,     -1.5,   2.0,     -2.0,   3.0,    -3.0,   1e300,   -1e300,
                                DBL_MAX, -DBL_MAX, INFINITY, -INFINITY, std::nan(""), -std::nan("")};
  gRandom.seed(31);
  for (int i = 0; i < 4000; ++i)  // levels from 1e-20 to 4, both signs
    values.push_back((i % 2 ? 1.0 : -1.0) * 4.0 * std::pow(1e-20, 0.5 * (Uniform() + 1.0)));
  const double exponents[] = {CompressionExponent(0.0),  CompressionExponent(0.01), CompressionExponent(0.3),
                              CompressionExponent(0.75), CompressionExponent(1.0),  0.37, 1.0, 2.5, 0.0, -0.5};
  SCOPED_TRACE(EightLanesAvailable() ? "eight samples at a time"
                                     : (OutputLanes::UsesWideLanes() ? "four samples at a time" : "one sample at a time"));
  for (int techniques : {static_cast<int>(kAllTechniques), static_cast<int>(kDspExact)}) {
    ScopedTechniques scope(techniques);
    for (double e : exponents) {
      // Stretches of every length up to a run's 32 samples, so both the
      // lanes and the samples left over go through the curve.
      for (size_t from = 0; from < values.size();) {
        const int count = static_cast<int>(std::min<size_t>(1 + from % 32, values.size() - from));
        double curved[32];
        std::copy(values.begin() + static_cast<std::ptrdiff_t>(from),
                  values.begin() + static_cast<std::ptrdiff_t>(from) + count, curved);
        AllocGuard guard;
        OutputLanes::Curve(curved, count, e);
        ASSERT_EQ(guard.Count(), 0u);
        for (int i = 0; i < count; ++i) {
          const double d = values[from + static_cast<size_t>(i)];
          const double expected = d == 0.0 ? 0.0 : CompressionCurve(d, e);
          ASSERT_TRUE(SameBits(curved[i], expected))
              << techniques << " " << e << " " << d << ": " << curved[i] << " against " << expected;
        }
        from += static_cast<size_t>(count);
      }
    }
  }
}

TEST(OutputLanes, FlushGivesTheBitsOfTheOneSampleFlush)
{
  // Every kind of value at every position of a vector, and a tail.
  const double kinds[] = {0.0, -0.0, 1e-17, -5.5e-17, 5.551115123125783e-17, 0.25, -1.5, 1e-310,
                          DBL_MAX, -DBL_MAX, HUGE_VAL, -HUGE_VAL, std::nan("")};
  std::vector<double> x;
  for (int shift = 0; shift < 4; ++shift)
    for (double k : kinds) {
      x.insert(x.end(), static_cast<size_t>(shift), 0.5);
      x.push_back(k);
    }
  std::vector<double> flushed = x;
  OutputLanes::Flush(flushed.data(), static_cast<int>(flushed.size()));
  for (size_t i = 0; i < x.size(); ++i) ASSERT_TRUE(SameBits(flushed[i], FlushToZero(x[i]))) << i << " " << x[i];
}
