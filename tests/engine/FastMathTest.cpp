// The polynomial forms against the library over dense grids, at the error
// bounds FastMath.h states, and the regrouped filter and decimator steps
// against the plain ones on rendered signals.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/FastMath.h"
#include "engine/OversamplingFilter.h"
#include "engine/StateVariableFilter.h"
#include "platform/Random.h"

namespace {
double RelativeError(double approx, double exact) { return std::fabs(approx - exact) / std::fabs(exact); }
}  // namespace

TEST(FastMath, FilterTangentHoldsItsBoundUpToThePole)
{
  double worst = 0.0;
  for (int i = 1; i <= 200000; ++i) {
    const double x = fastmath::kHalfPiHi * i / 200000.0;
    worst = std::max(worst, RelativeError(fastmath::TanQuarter(x), std::tan(x)));
  }
  EXPECT_LT(worst, 6e-16);
  // The cutoff clamped to half the rate: pi/2 rounded down, tan about 1.6e16.
  EXPECT_LT(RelativeError(fastmath::TanQuarter(fastmath::kHalfPiHi), std::tan(fastmath::kHalfPiHi)), 6e-16);
  EXPECT_EQ(fastmath::TanQuarter(0.0), 0.0);
}

TEST(FastMath, SineOfCyclesHoldsItsBound)
{
  double worst = 0.0;
  for (int i = -100000; i <= 300000; ++i) {
    const double phase = i / 100000.0 + 1e-7;
    worst = std::max(worst, std::fabs(fastmath::SinCycles(phase) - std::sin(fastmath::kTwoPi * phase)));
  }
  // The library's argument 2 pi phase is itself rounded, by up to 2e-15
  // for phases near 3.
  EXPECT_LT(worst, 4e-15);
  // Quarter points land exactly.
  EXPECT_EQ(fastmath::SinCycles(0.25), 1.0);
  EXPECT_EQ(fastmath::SinCycles(0.75), -1.0);
}

TEST(FastMath, ClippedTangentMatchesTheClippedLibraryTangent)
{
  double worst = 0.0;
  for (int i = 0; i <= 400000; ++i) {
    const double phase = i / 200000.0;  // 0 to 2, half-cycle points included
    double t = std::tan(fastmath::kPi * phase);
    t = t > 1.0 ? 1.0 : (t < -1.0 ? -1.0 : t);
    worst = std::max(worst, std::fabs(fastmath::ClippedTanCycles(phase) - t));
  }
  EXPECT_LT(worst, 2e-15);
}

TEST(FastMath, PowerOfTheSweepHoldsItsBound)
{
  double worst = 0.0;
  for (double c : {0.125, 0.4, 1.0, 2.5, 7.999}) {
    for (int i = 1; i <= 100000; ++i) {
      // From one sample of a 10 s sweep at 8 x 48 kHz up to just below 1.
      const double t = std::pow(3840000.0, -static_cast<double>(i) / 100000.0) * (1.0 - 1e-12);
      worst = std::max(worst, RelativeError(fastmath::PowUnit(t, c), std::pow(t, c)));
    }
  }
  EXPECT_LT(worst, 5e-14);
  EXPECT_EQ(fastmath::PowUnit(0.0, 2.5), 0.0);
  EXPECT_EQ(fastmath::PowUnit(0.5, 1.0), 0.5);
}

TEST(FastMath, RegroupedFilterStepFollowsThePlainStep)
{
  for (int mode : {kFilterLowPass, kFilterHighPass}) {
    for (double q : {0.5, 4.0, 60.0}) {
      StateVariableFilter plain(mode), regrouped(mode);
      for (StateVariableFilter* f : {&plain, &regrouped}) {
        f->SetSampleRate(384000.0);
        f->SetQ(q);
      }
      RandomSeed(3);
      double worst = 0.0, peak = 0.0;
      for (int i = 0; i < 100000; ++i) {
        // A cutoff swept from 20 Hz to 20 kHz and back, on white noise.
        const double cutoff = 20.0 * std::pow(1000.0, 0.5 - 0.5 * std::cos(i * 1e-4));
        plain.SetCutoffClamped(cutoff);
        regrouped.SetCutoffClamped(cutoff);
        const double x = RandomNext() / 16383.5 - 1.0;
        const double a = plain.Step(x), b = regrouped.StepFast(x);
        worst = std::max(worst, std::fabs(a - b));
        peak = std::max(peak, std::fabs(a));
      }
      EXPECT_LT(worst, 1e-12 * peak) << "mode " << mode << " q " << q;
      EXPECT_GT(peak, 0.1);
    }
  }
}

TEST(FastMath, RegroupedFilterStepFallsBackWhereCoefficientsAreNotFinite)
{
  // Q of 0: k is infinite; both forms must give the same (silent) result.
  StateVariableFilter plain(kFilterLowPass), regrouped(kFilterLowPass);
  plain.SetQ(0.0);
  regrouped.SetQ(0.0);
  for (int i = 0; i < 100; ++i) {
    const double a = plain.Step(0.5), b = regrouped.StepFast(0.5);
    EXPECT_TRUE((std::isnan(a) && std::isnan(b)) || a == b) << i;
  }
}

TEST(FastMath, RegroupedDecimatorFollowsThePlainOne)
{
  OversamplingFilter plain, regrouped;
  RandomSeed(5);
  double worst = 0.0, peak = 0.0;
  for (int i = 0; i < 200000; ++i) {
    const double x = (i / 40) % 2 ? 0.8 : -0.8;  // a square wave with sharp edges
    const double a = plain.StepExact(x), b = regrouped.StepFast(x);
    worst = std::max(worst, std::fabs(a - b));
    peak = std::max(peak, std::fabs(a));
  }
  EXPECT_LT(worst, 1e-13);
  EXPECT_GT(peak, 0.5);
}

TEST(FastMath, PowerOfTheCompressionCurveHoldsItsBoundAcrossTheOutputRange)
{
  // The compression exponents 1 / (4 f + 1), on levels from far below one
  // bit to the limit of 2; edge inputs go to the library.
  double worst = 0.0;
  for (double f : {0.01, 0.3, 0.75, 1.0}) {
    const double e = 1.0 / (4.0 * f + 1.0);
    for (int i = 0; i <= 100000; ++i) {
      const double d = 2.0 * std::pow(1e-20, i / 100000.0);
      worst = std::max(worst, RelativeError(fastmath::PowUnit(d, e), std::pow(d, e)));
    }
  }
  // c log2 d reaches 60 in size at 1e-20; its rounding sets the error.
  EXPECT_LT(worst, 2e-14);
  EXPECT_EQ(fastmath::PowUnit(4.9e-324, 0.5), std::pow(4.9e-324, 0.5));
  EXPECT_TRUE(std::isinf(fastmath::PowUnit(INFINITY, 0.5)));
}
