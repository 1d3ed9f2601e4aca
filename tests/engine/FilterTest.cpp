#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "engine/OversamplingFilter.h"
#include "engine/StateVariableFilter.h"
#include "EngineTestUtil.h"
#include "platform/Random.h"

using namespace enginetest;

namespace {
// Gain of a filter for a sine of `f` Hz: rendered until settled, then fitted.
template <typename StepFn>
double MeasureGain(StepFn step, double f, double rate, size_t settle, size_t measure)
{
  std::vector<double> y(settle + measure);
  for (size_t n = 0; n < y.size(); ++n)
    y[n] = step(std::sin(2.0 * kPi * f / rate * static_cast<double>(n)));
  return SineAmplitude(y, settle, f / rate);
}

// The two-pole prototype mapped by the bilinear transform: its response at f
// is the analog one at the prewarped frequency tan(pi f / rate) / tan(pi fc / rate).
double AnalyticGain(int mode, double f, double cutoff, double q, double rate)
{
  const double w = std::tan(kPi * f / rate) / std::tan(kPi * cutoff / rate);
  const std::complex<double> den(1.0 - w * w, w / q);
  return mode == kFilterLowPass ? 1.0 / std::abs(den) : w * w / std::abs(den);
}

StateVariableFilter MakeFilter(int mode, double cutoff, double q, double rate)
{
  StateVariableFilter filter(mode);
  filter.SetSampleRate(rate);
  filter.SetQ(q);
  filter.SetCutoffClamped(cutoff);
  return filter;
}
}  // namespace

TEST(FilterStateVariable, MatchesTheAnalyticResponseWithinATenthOfADecibel)
{
  const double rate = kRate;
  for (int mode : {kFilterLowPass, kFilterHighPass}) {
    for (double cutoff : {1000.0, 5000.0, 20000.0}) {
      for (double q : {1.0 / std::sqrt(2.0), 2.0, 6.0}) {
        for (double ratio : {0.25, 0.5, 1.0, 2.0, 4.0}) {
          const double f = cutoff * ratio;
          const double expected = AnalyticGain(mode, f, cutoff, q, rate);
          if (expected < 1e-3)
            continue;  // too quiet to measure to a tenth of a dB
          StateVariableFilter filter = MakeFilter(mode, cutoff, q, rate);
          // Settle for 12 time constants of the slowest case (2Q / wc).
          const size_t settle = static_cast<size_t>(12 * 2 * q / (2 * kPi * cutoff) * rate);
          const double measured =
              MeasureGain([&](double x) { return filter.Step(x); }, f, rate, settle, static_cast<size_t>(20 * rate / f));
          EXPECT_NEAR(ToDb(measured), ToDb(expected), 0.1)
              << (mode == kFilterLowPass ? "low-pass" : "high-pass") << " fc " << cutoff << " Q " << q << " f " << f;
        }
      }
    }
  }
}

TEST(FilterStateVariable, ButterworthAndResonantShapes)
{
  // Q = 1/sqrt(2): -3 dB at the cutoff, flat below (low-pass) or above (high-pass).
  const double q0 = 1.0 / std::sqrt(2.0);
  StateVariableFilter lp = MakeFilter(kFilterLowPass, 2000.0, q0, kRate);
  EXPECT_NEAR(ToDb(MeasureGain([&](double x) { return lp.Step(x); }, 2000.0, kRate, 20000, 20000)), -3.01, 0.05);
  lp = MakeFilter(kFilterLowPass, 2000.0, q0, kRate);
  EXPECT_NEAR(ToDb(MeasureGain([&](double x) { return lp.Step(x); }, 200.0, kRate, 20000, 40000)), 0.0, 0.01);
  StateVariableFilter hp = MakeFilter(kFilterHighPass, 2000.0, q0, kRate);
  EXPECT_NEAR(ToDb(MeasureGain([&](double x) { return hp.Step(x); }, 20000.0, kRate, 20000, 20000)), 0.0, 0.01);
  // Q = 6 peaks by 20 log10(6) = 15.6 dB at the cutoff.
  lp = MakeFilter(kFilterLowPass, 2000.0, 6.0, kRate);
  EXPECT_NEAR(ToDb(MeasureGain([&](double x) { return lp.Step(x); }, 2000.0, kRate, 60000, 20000)), 15.56, 0.1);
}

TEST(FilterStateVariable, CutoffZeroSilencesTheLowPassAndOpensTheHighPass)
{
  StateVariableFilter lp = MakeFilter(kFilterLowPass, 0.0, 2.0, kRate);
  StateVariableFilter hp = MakeFilter(kFilterHighPass, 0.0, 2.0, kRate);
  EXPECT_EQ(hp.G(), 0.0);
  EXPECT_EQ(hp.H(), 1.0);
  for (double x : {1.0, -0.5, 0.25, 0.7}) {
    EXPECT_EQ(lp.Step(x), 0.0);
    EXPECT_EQ(hp.Step(x), x);
  }
}

TEST(FilterStateVariable, CutoffsAreClampedAndStayFiniteAtHalfTheRate)
{
  const double inf = std::numeric_limits<double>::infinity();
  StateVariableFilter f = MakeFilter(kFilterLowPass, 1000.0, 1.0, kRate);
  f.SetCutoffClamped(-5.0);
  EXPECT_EQ(f.Cutoff(), 0.0);
  f.SetCutoffClamped(std::nan(""));
  EXPECT_EQ(f.Cutoff(), 0.0);
  f.SetCutoffClamped(-inf);
  EXPECT_EQ(f.Cutoff(), 0.0);
  f.SetCutoffClamped(inf);
  EXPECT_EQ(f.Cutoff(), kRate / 2);
  f.SetCutoffClamped(1e300);
  EXPECT_EQ(f.Cutoff(), kRate / 2);
  EXPECT_GT(std::fabs(f.G()), 1e15);

  // At the bound g is about 1.6e16 (or, where pi/2 rounds up, a huge
  // negative value); either way both modes stay finite under full-scale
  // noise, for host rates from 8 kHz to 384 kHz and Q at both ends.
  RandomSeed(99);
  for (double host : {8000.0, 10431.0, 44100.0, 48000.0, 96000.0, 384000.0}) {
    for (double q : {0.0001, 1.0 / std::sqrt(2.0), 100.0}) {
      for (int mode : {kFilterLowPass, kFilterHighPass}) {
        StateVariableFilter filter = MakeFilter(mode, 1e9, q, 8 * host);
        ASSERT_EQ(filter.Cutoff(), 4 * host);
        for (int n = 0; n < 20000; ++n) {
          const double y = filter.Step(RandomNext() / 16383.5 - 1.0);
          ASSERT_TRUE(std::isfinite(y)) << host << " " << q << " " << mode << " " << n;
        }
      }
    }
  }
}

// The fast coefficients (rational tangent, the angle as cutoff x (pi / rate),
// g and h from one division) against the exact ones (tan, pi x cutoff /
// rate): within rounding over the whole range of cutoffs, at the rates the
// voices run at, short of the pole at half the rate.
TEST(FilterStateVariable, FastCoefficientsStayWithinRoundingOfTheExactOnes)
{
  for (double rate : {8 * 44100.0, 8 * 48000.0, 8 * 96000.0, 64000.0}) {
    for (double q : {0.5, 1.0 / std::sqrt(2.0), 20.0}) {
      double worstG = 0.0, worstH = 0.0, worstBelowQuarter = 0.0;
      for (int i = 1; i < 4000; ++i) {
        const double cutoff = 0.4999 * rate * (i / 4000.0) * (i / 4000.0);
        StateVariableFilter fast = MakeFilter(kFilterLowPass, 1.0, q, rate);
        StateVariableFilter exact = fast;
        fast.SetCutoffClampedT<true>(cutoff);
        exact.SetCutoffClampedT<false>(cutoff);
        ASSERT_EQ(fast.Cutoff(), exact.Cutoff());
        const double g = std::fabs(fast.G() / exact.G() - 1.0);
        worstG = std::fmax(worstG, g);
        worstH = std::fmax(worstH, std::fabs(fast.H() / exact.H() - 1.0));
        if (cutoff < 0.25 * rate) worstBelowQuarter = std::fmax(worstBelowQuarter, g);
      }
      // The tangent's own error (below 6e-16 of it) and an ulp or two of
      // each angle, which tan amplifies by x (1 + g^2) / g: a few ulps up to
      // a quarter of the rate, some thousands of them at 0.4999 of it.
      EXPECT_LT(worstBelowQuarter, 2e-15) << rate << " " << q;
      EXPECT_LT(worstG, 1e-12) << rate << " " << q;
      EXPECT_LT(worstH, 1e-12) << rate << " " << q;
    }
  }
}

TEST(FilterStateVariable, ResonanceExtremesStayFiniteInTheAudibleRange)
{
  for (double q : {0.01, 100.0}) {
    StateVariableFilter filter = MakeFilter(kFilterLowPass, 3000.0, q, kRate);
    double peak = 0.0;
    for (int n = 0; n < 200000; ++n) {
      const double y = filter.Step(std::sin(2.0 * kPi * 3000.0 / kRate * n));
      ASSERT_TRUE(std::isfinite(y));
      if (n >= 100000)  // past the transient
        peak = std::fmax(peak, std::fabs(y));
    }
    // At the cutoff the low-pass gain is Q.
    EXPECT_NEAR(peak, q, q * 0.02) << q;
  }
}

TEST(FilterOversampling, DesignMatchesTheBesselCoefficients)
{
  OversamplingFilter filter;
  EXPECT_NEAR(filter.Gain(), 0.012158720478452, 1e-12);
  EXPECT_NEAR(filter.Feedback(1), 3.988080519954, 1e-11);
  EXPECT_NEAR(filter.Feedback(8), -0.011723204050, 1e-11);
  // Unity at DC: the gain equals 1 minus the feedback sum.
  double sum = 0.0;
  for (int k = 1; k <= 8; ++k)
    sum += filter.Feedback(k);
  EXPECT_NEAR(filter.Gain() / (1.0 - sum), 1.0, 1e-9);
}

TEST(FilterOversampling, PassesDcAndAttenuatesAboveHalfTheHostRate)
{
  OversamplingFilter filter;
  double y = 0.0;
  for (int n = 0; n < 2000; ++n)
    y = filter.Step(1.0);
  EXPECT_NEAR(y, 1.0, 1e-9);

  // Relative to the oversampled rate: half, one and two times the host rate.
  const struct
  {
    double f;
    double db;
  } points[] = {{0.0625, -2.6}, {0.125, -11.9}, {0.25, -44.5}};
  for (const auto& p : points) {
    filter.Reset();
    const double gain = MeasureGain([&](double x) { return filter.Step(x); }, p.f, 1.0, 4000, 4000);
    EXPECT_NEAR(ToDb(gain), p.db, 0.1) << p.f;
  }
}

TEST(FilterOversampling, FlushesTinyAndNonFiniteValuesOutOfItsHistory)
{
  OversamplingFilter filter;
  EXPECT_EQ(filter.Step(std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_EQ(filter.Step(std::nan("")), 0.0);
  EXPECT_EQ(filter.Step(1e-300), 0.0);
  // Nothing of the bad input lingers: a later impulse rings normally.
  const double first = filter.Step(1.0);
  EXPECT_EQ(first, filter.Gain());
  for (int n = 0; n < 100; ++n)
    ASSERT_TRUE(std::isfinite(filter.Step(0.0)));

  // Reset clears the history.
  filter.Reset();
  EXPECT_EQ(filter.Step(0.0), 0.0);
}

TEST(FilterOversampling, ReportsSilenceOnlyWhileItsHistoryIsZero)
{
  OversamplingFilter filter;
  EXPECT_TRUE(filter.IsSilent());
  filter.Step(1.0);
  EXPECT_FALSE(filter.IsSilent());
  // Rounding keeps the impulse response from dying out completely: it ends in
  // a tiny limit cycle above the 2^-54 flush point, so the history only
  // returns to zero through Reset.
  double tail = 0.0;
  for (int n = 0; n < 20000; ++n) {
    const double y = filter.Step(0.0);
    if (n >= 10000)
      tail = std::fmax(tail, std::fabs(y));
  }
  EXPECT_LT(tail, 1e-14);
  filter.Reset();
  EXPECT_TRUE(filter.IsSilent());
  EXPECT_EQ(filter.Step(0.0), 0.0);
  EXPECT_TRUE(filter.IsSilent());
}
