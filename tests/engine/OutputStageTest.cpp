#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/OrbBitCrusher2.h"
#include "engine/OutputStage.h"
#include "engine/PeakMeter.h"

namespace {
// Lengths of the runs of equal values the crusher produces from a rising ramp.
std::vector<int> HoldRuns(OrbBitCrusher2& crusher, int count)
{
  std::vector<int> runs;
  double previous = std::nan("");
  for (int n = 0; n < count; ++n) {
    const double v = crusher.Process(n * 1e-6);
    if (v == previous)
      ++runs.back();
    else
      runs.push_back(1);
    previous = v;
  }
  return runs;
}
}  // namespace

TEST(OutputStageBitCrusher, RenewsItsValueEveryRatioPlusOneCalls)
{
  // Target rate equal to the clock rate (position "After" at 44100 Hz): a new
  // value every second sample.
  OrbBitCrusher2 after;
  after.SetClockRate(44100.0);
  after.SetTargetRate(44100.0);
  after.SetBitDepth(24.0);
  std::vector<int> runs = HoldRuns(after, 100);
  for (size_t i = 0; i + 1 < runs.size(); ++i)
    EXPECT_EQ(runs[i], 2);

  // Position "Inside" at 44100 Hz: clocked at 352800, target 200 Hz.
  OrbBitCrusher2 inside;
  inside.SetClockRate(352800.0);
  inside.SetTargetRate(200.0);
  inside.SetBitDepth(24.0);
  runs = HoldRuns(inside, 1765 * 4 + 10);
  ASSERT_GE(runs.size(), 5u);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(runs[i], 1765);

  // A target above the clock rate renews at every call.
  OrbBitCrusher2 fast;
  fast.SetClockRate(1000.0);
  fast.SetTargetRate(3000.0);
  fast.SetBitDepth(24.0);
  runs = HoldRuns(fast, 50);
  EXPECT_EQ(runs.size(), 50u);
}

// The calls ReadPattern() names are the calls whose input reaches the output:
// a NaN given to every other call never shows, one given to a named call does.
TEST(OutputStageBitCrusher, ReadPatternNamesTheCallsThatTakeTheirInput)
{
  struct Setting {
    double clock, target;
  };
  const Setting settings[] = {{352800.0, 11025.0}, {44100.0, 44100.0}, {1000.0, 3000.0},
                              {384000.0, 0.0},      {48000.0, NAN},     {1000.0, -500.0}};
  for (const Setting& s : settings)
    for (int warm : {0, 1, 7, 40}) {
      OrbBitCrusher2 crusher;
      crusher.SetClockRate(s.clock);
      crusher.SetTargetRate(s.target);
      for (int i = 0; i < warm; ++i) crusher.Process(0.25);
      constexpr int kCalls = 200;
      int first = -1, every = -1;
      crusher.ReadPattern(kCalls, first, every);
      ASSERT_GE(first, 0);
      ASSERT_GE(every, 1);
      for (int j = 0; j < kCalls; ++j) {
        const bool named = j >= first && (j - first) % every == 0;
        OrbBitCrusher2 probe = crusher;
        EXPECT_EQ(std::isnan(probe.Process(NAN)), named) << s.clock << " " << s.target << " " << warm << " " << j;
        crusher.Process(0.125 + j * 1e-3);
      }
    }
}

TEST(OutputStageBitCrusher, ARunInPlaceGivesWhatCallByCallGives)
{
  const double targets[] = {11025.0, 44100.0, 3000.0, 0.0, NAN, -500.0};
  for (double target : targets) {
    OrbBitCrusher2 calls, run;
    for (OrbBitCrusher2* c : {&calls, &run}) {
      c->SetClockRate(1000.0);
      c->SetTargetRate(target);
      c->SetBitDepth(6.5);
    }
    std::vector<double> x(300);
    for (size_t j = 0; j < x.size(); ++j) x[j] = std::sin(0.05 * static_cast<double>(j));
    std::vector<double> expected(x.size());
    for (size_t j = 0; j < x.size(); ++j) expected[j] = calls.Process(x[j]);
    // Runs of uneven lengths, so the count carries across them.
    for (size_t at = 0; at < x.size(); at += 37) run.ProcessRun(x.data() + at, static_cast<int>(std::min<size_t>(37, x.size() - at)));
    EXPECT_EQ(x, expected) << target;
    EXPECT_EQ(run.HoldCounter(), calls.HoldCounter());
    EXPECT_EQ(run.HeldValue(), calls.HeldValue());
  }
}

TEST(OutputStageBitCrusher, QuantisesToTheNearestLevelWithoutClipping)
{
  const auto crush = [](double bits, double x) {
    OrbBitCrusher2 c;
    c.SetBitDepth(bits);
    return c.Process(x);
  };
  // One bit: two levels per unit, steps of 0.5, halves rounded upward.
  EXPECT_EQ(crush(1.0, 0.3), 0.5);
  EXPECT_EQ(crush(1.0, -0.3), -0.5);
  EXPECT_EQ(crush(1.0, 0.2), 0.0);
  EXPECT_EQ(crush(1.0, 0.25), 0.5);
  EXPECT_EQ(crush(1.0, -0.25), 0.0);
  EXPECT_EQ(crush(1.0, 3.1), 3.0);  // no clipping
  // 24 bits: 16777216 levels per unit.
  EXPECT_EQ(crush(24.0, 0.1), std::floor(0.1 * 16777216.0 + 0.5) / 16777216.0);
  EXPECT_NEAR(crush(24.0, 0.1), 0.1, 0.5 / 16777216.0);
  // Fractional depths give fractional level counts: 2^1.5 levels per unit.
  const double levels = std::pow(2.0, 1.5);
  EXPECT_DOUBLE_EQ(crush(1.5, 0.5), 1.0 / levels);
  // The default depth of 16 bits.
  EXPECT_EQ(crush(16.0, 1.0 / 65536.0 * 0.6), 1.0 / 65536.0);
}

TEST(OutputStageBitCrusher, DegenerateRatesNeitherCrashNorStall)
{
  OrbBitCrusher2 zero;
  zero.SetTargetRate(0.0);  // infinite ratio: holds the first value
  EXPECT_EQ(zero.Process(0.5), zero.Process(0.25));
  OrbBitCrusher2 nan;
  nan.SetTargetRate(std::nan(""));
  EXPECT_EQ(nan.Process(0.5), 0.5);
  EXPECT_EQ(nan.Process(0.25), 0.25);
}

TEST(OutputStageCompression, CurveLiftsQuietPartsAndStaysWithinTwo)
{
  EXPECT_EQ(CompressionExponent(0.0), 1.0);
  EXPECT_DOUBLE_EQ(CompressionExponent(0.3), 1.0 / 2.2);
  EXPECT_DOUBLE_EQ(CompressionExponent(1.0), 0.2);

  const double e = CompressionExponent(0.3);
  EXPECT_NEAR(CompressionCurve(0.25, 1.0), 0.25, 1e-15);
  EXPECT_NEAR(CompressionCurve(0.25, e), std::pow(0.25, e), 1e-15);
  EXPECT_GT(CompressionCurve(0.25, e), 0.5);
  EXPECT_EQ(CompressionCurve(-0.25, e), -CompressionCurve(0.25, e));
  EXPECT_EQ(CompressionCurve(1.0, e), 1.0);
  EXPECT_EQ(CompressionCurve(0.0, e), 0.0);
  EXPECT_FALSE(std::signbit(CompressionCurve(-0.0, e)));
  EXPECT_EQ(CompressionCurve(1e6, 1.0), 2.0);
  EXPECT_EQ(CompressionCurve(-1e6, 0.2), -2.0);
  EXPECT_EQ(CompressionCurve(1e-20, 1.0), 0.0);
  EXPECT_EQ(CompressionCurve(std::nan(""), e), 0.0);
  EXPECT_EQ(CompressionCurve(std::numeric_limits<double>::infinity(), e), 2.0);
}

TEST(OutputStageGain, FadesInFromSilenceAndFollowsItsTarget)
{
  SmoothedGain gain;
  gain.SetTargetDb(0.0);
  EXPECT_EQ(gain.Target(), 1.0);
  EXPECT_NEAR(gain.Apply(1.0), 0.01, 1e-15);
  for (int n = 1; n < 99; ++n)
    gain.Apply(1.0);
  // After 100 samples: 1 - 0.99^100, 63 % of the target.
  EXPECT_NEAR(gain.Apply(1.0), 1.0 - std::pow(0.99, 100), 1e-12);
  const double half = gain.Apply(0.5);
  EXPECT_NEAR(half, 0.5 * gain.Smoothed(), 1e-15);

  gain.SetTargetDb(-6.0);
  EXPECT_NEAR(gain.Target(), 0.501187, 1e-6);
  for (int n = 0; n < 5000; ++n)
    gain.Apply(1.0);
  EXPECT_NEAR(gain.Smoothed(), gain.Target(), 1e-9);
  gain.SetTargetDb(-97.0);
  EXPECT_EQ(gain.Target(), 0.0);
  EXPECT_NEAR(DbToGain(-96.0), 1.5849e-5, 1e-9);
}

TEST(OutputStageMeter, RisesBySevenTenthsAndFallsByHalf)
{
  PeakMeter meter;
  meter.ClearBlockPeaks();
  for (double v : {0.2, -0.8, 0.5})
    meter.AddSamples(v, v / 2);
  EXPECT_EQ(meter.BlockPeakLeft(), 0.8);
  EXPECT_EQ(meter.BlockPeakRight(), 0.4);
  meter.EndBlock();
  EXPECT_NEAR(meter.DisplayedLeft(), 0.7 * 0.8, 1e-15);
  EXPECT_NEAR(meter.DisplayedRight(), 0.7 * 0.4, 1e-15);
  EXPECT_EQ(meter.BlockPeakLeft(), meter.DisplayedLeft());

  // A block of silence halves the shown level; a louder block rises 70 %.
  meter.ClearBlockPeaks();
  meter.AddSamples(0.0, 0.0);
  meter.EndBlock();
  EXPECT_NEAR(meter.DisplayedLeft(), 0.28, 1e-15);
  meter.ClearBlockPeaks();
  meter.AddSamples(1.0, 0.0);
  meter.EndBlock();
  EXPECT_NEAR(meter.DisplayedLeft(), 0.28 + 0.7 * (1.0 - 0.28), 1e-15);
  EXPECT_NEAR(meter.DisplayedRight(), 0.07, 1e-15);

  // NaN samples are ignored.
  meter.ClearBlockPeaks();
  meter.AddSamples(std::nan(""), 0.3);
  meter.AddSamples(0.1, std::nan(""));
  EXPECT_EQ(meter.BlockPeakLeft(), 0.1);
  EXPECT_EQ(meter.BlockPeakRight(), 0.3);
}

TEST(OutputStageGain, ARunGivesTheBitsOfOneSampleAtATime)
{
  // Settling on a gain, a step in the middle of a run, silence and NaN.
  for (double target : {1.0, 0.5, 0.0, 3.98, std::nan("")}) {
    SmoothedGain a, b;
    std::vector<double> one(4000), run(4000);
    for (size_t i = 0; i < one.size(); ++i) one[i] = run[i] = std::sin(0.01 * static_cast<double>(i));
    for (int part = 0; part < 4; ++part) {
      a.SetTarget(part == 2 ? target * 0.25 : target);
      b.SetTarget(part == 2 ? target * 0.25 : target);
      for (int i = 1000 * part; i < 1000 * (part + 1); ++i) one[i] = a.Apply(one[i]);
      b.ApplyRun(run.data() + 1000 * part, 1000);
    }
    for (size_t i = 0; i < one.size(); ++i)
      ASSERT_TRUE(one[i] == run[i] || (std::isnan(one[i]) && std::isnan(run[i]))) << target << " at " << i;
    EXPECT_TRUE(a.Smoothed() == b.Smoothed() || std::isnan(a.Smoothed()));
  }
}
