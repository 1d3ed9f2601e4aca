#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/FastPow.h"
#include "engine/Oscilator.h"
#include "engine/SawTable.h"
#include "EngineTestUtil.h"
#include "support/AllocGuard.h"

using namespace enginetest;

namespace {
Oscilator MakeOscilator(int32_t waveform)
{
  Oscilator osc;
  osc.SetWaveform(waveform);
  return osc;
}

std::vector<double> RenderWave(int32_t waveform, double frequency, size_t count)
{
  Oscilator osc;
  osc.SetWaveform(waveform);
  return Render(count, [&] { return Next(osc, frequency); });
}
}  // namespace

TEST(OscilatorTuning, FastPowAndNoteToFrequencyReproduceTheInstrumentsTuning)
{
  EXPECT_EQ(FastPow(2.0, 0.0), 0.9710078239440918);
  EXPECT_EQ(FastPow(2.0, 1.0), 2.0);
  EXPECT_EQ(FastPow(2.0, 100.0 / 1200.0), 1.0301809310913086);
  EXPECT_EQ(NoteToFrequency(81), 880.0);
  EXPECT_EQ(NoteToFrequency(69), 427.2434425354004);
  EXPECT_EQ(NoteToFrequency(60), 252.67597198486328);
  EXPECT_EQ(NoteToFrequency(12), 13.176554441452026);
  EXPECT_EQ(NoteToFrequency(96), 2327.565155029297);
  // The lower 32 bits of the result are always 0.
  const double v = FastPow(3.7, 0.37);
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  EXPECT_EQ(bits & 0xFFFFFFFFu, 0u);
  // Exponents whose result does not fit the 32-bit field give a defined value.
  EXPECT_EQ(FastPow(2.0, 1e12), -0.0);
  EXPECT_EQ(FastPow(2.0, std::numeric_limits<double>::quiet_NaN()), -0.0);
}

TEST(OscilatorSawTable, MatchesItsFormulaAndTheListedSamples)
{
  const double listed[21] = {2.41979e-06, 0.117206, 0.230822, 0.337442, 0.434011, 0.517982, 0.587405,
                             0.641093,    0.678592, 0.700234, 0.707106, 0.700917, 0.684009, 0.659088,
                             0.629136,    0.59724,  0.566337, 0.539173, 0.518012, 0.504587, 0.500003};
  for (int k = 0; k <= 20; ++k)
    EXPECT_NEAR(kSawTable[500 + 25 * k], listed[k], 0.000015) << "entry " << 500 + 25 * k;
  for (int i = 0; i < kSawTableSize; ++i) {
    const double x = (i - 500) / 1000.0;
    EXPECT_NEAR(kSawTable[i], 0.75 * std::sin(kPi * x) + 0.25 * std::sin(3 * kPi * x), 0.000015);
    EXPECT_NEAR(kSawTable[500 - (i - 500)], -kSawTable[i], 0.00001);
  }
  EXPECT_NEAR(kSawTable[250], -0.707106, 0.000015);
  EXPECT_NEAR(kSawTable[0], -0.500003, 0.000015);
}

TEST(OscilatorPitch, EveryWaveformPlaysItsFrequency)
{
  ScopedOversampledRate rate(kRate);
  for (int32_t waveform = kOscTriangle; waveform <= kOscWhistle; ++waveform) {
    for (double f : {110.0, 1000.0, 4321.0}) {
      // 200 cycles: the hard jumps of "Square" and "Tan" time their crossings
      // to a sample, 1e-4 of the span at the highest frequency.
      const size_t count = static_cast<size_t>(kRate / f * 200);
      const double measured = MeasureFrequency(RenderWave(waveform, f, count), kRate);
      EXPECT_NEAR(measured, f, f * 1e-4) << "waveform " << waveform << " at " << f << " Hz";
    }
  }
}

TEST(OscilatorPitch, FollowsTheRateItIsGiven)
{
  // The same frequency argument at half the rate advances twice as far.
  ScopedOversampledRate rate(kRate / 2);
  EXPECT_NEAR(MeasureFrequency(RenderWave(kOscSin, 1000.0, 8000), kRate / 2), 1000.0, 0.5);
  TestOscillatorRate() = kRate;
  EXPECT_NEAR(MeasureFrequency(RenderWave(kOscSin, 1000.0, 16000), kRate), 1000.0, 0.5);
}

TEST(OscilatorShape, SquareSpendsItsDutyAtMinusOneAndRepeatsOnATie)
{
  ScopedOversampledRate rate(kRate);
  for (double duty : {0.1, 0.25, 0.5}) {
    Oscilator osc = MakeOscilator(kOscSquare);
    osc.SetSquareDuty(duty);
    const int period = 3528;  // 100 Hz
    int low = 0;
    for (int n = 0; n < period * 10; ++n) {
      const double v = Next(osc, 100.0);
      ASSERT_TRUE(v == -1.0 || v == 1.0);
      low += v < 0 ? 1 : 0;
    }
    EXPECT_NEAR(low / (period * 10.0), duty, 1.0 / period) << "duty " << duty;
  }

  // A quarter of the rate advances by exactly 0.25: the phase lands on the
  // duty every other cycle, and the previous output is kept there.
  Oscilator osc = MakeOscilator(kOscSquare);
  osc.SetPhase(0.25);
  const double f = kRate / 4.0;
  EXPECT_EQ(Next(osc, f), 0.0);  // phase 0.5 = duty: the initial output
  EXPECT_EQ(Next(osc, f), 1.0);  // 0.75
  EXPECT_EQ(Next(osc, f), 1.0);  // 1.0
  EXPECT_EQ(Next(osc, f), -1.0);  // wrapped to 0, then 0.25
  EXPECT_EQ(Next(osc, f), -1.0);  // 0.5 again: keeps -1

  // Duties outside 0..1 are held to it: all of the cycle below 1 is low.
  osc.SetSquareDuty(1.7);
  osc.SetPhase(0.0);
  for (int n = 0; n < 3; ++n)
    EXPECT_EQ(Next(osc, f), -1.0);
}

TEST(OscilatorShape, TriangleRunsFromMinusOneToOneAndDipsBelowAtTheCycleEnd)
{
  ScopedOversampledRate rate(kRate);
  const double f = 1000.0;
  const double inc = f / kRate;
  const std::vector<double> x = RenderWave(kOscTriangle, f, kRate / 100);
  double lo = 1.0, hi = -1.0;
  for (double v : x) {
    lo = std::fmin(lo, v);
    hi = std::fmax(hi, v);
  }
  EXPECT_NEAR(x[0], -1.0 + 4 * inc, 1e-12);
  EXPECT_NEAR(hi, 1.0, 4 * inc);
  EXPECT_LT(lo, -1.0);
  EXPECT_GE(lo, -1.0 - 4 * inc - 1e-12);
}

TEST(OscilatorShape, SawHasAShortOvershootingTransition)
{
  ScopedOversampledRate rate(kRate);
  const double f = 100.0;
  const std::vector<double> x = RenderWave(kOscSaw, f, 3528 * 3);
  // Away from the jump the ramp falls from +0.5 to -0.5 each cycle.
  EXPECT_NEAR(x[3528 / 4], 0.25, 0.001);
  EXPECT_NEAR(x[3528 * 3 / 4], -0.25, 0.001);

  // Second cycle, around its jump at sample 3528.
  size_t lowAt = 3528 - 100, highAt = lowAt;
  int curved = 0;
  for (size_t n = 3528 - 100; n < 3528 + 100; ++n) {
    if (x[n] < x[lowAt])
      lowAt = n;
    if (x[n] > x[highAt])
      highAt = n;
    if (std::fabs(x[n + 1] - 2 * x[n] + x[n - 1]) > 1e-9)
      ++curved;
  }
  EXPECT_NEAR(x[lowAt], -0.707, 0.004);
  EXPECT_NEAR(x[highAt], 0.707, 0.004);
  // Overshoot to overshoot is half of the 1/8820.22 s transition.
  EXPECT_NEAR(static_cast<double>(highAt - lowAt), 0.5 * kRate / 8820.22, 1.0);
  EXPECT_NEAR(curved, kRate / 8820.22, 2.0);
}

TEST(OscilatorShape, BreakerTanAndWhistleStayInTheirRanges)
{
  ScopedOversampledRate rate(kRate);
  const auto range = [](const std::vector<double>& x) {
    double lo = x[0], hi = x[0];
    for (double v : x) {
      lo = std::fmin(lo, v);
      hi = std::fmax(hi, v);
    }
    return std::make_pair(lo, hi);
  };
  // Like the triangle, "Breaker" is computed before its wrap, so the phase
  // can pass 1 by up to one increment and the top can pass 0 by 4 increments.
  const double inc = 500.0 / kRate;
  const auto breaker = range(RenderWave(kOscBreaker, 500.0, 7056));
  EXPECT_NEAR(breaker.first, -1.0, 0.005);
  EXPECT_GE(breaker.second, 0.0);
  EXPECT_LE(breaker.second, 4 * inc + 2 * inc * inc);
  const auto tan = range(RenderWave(kOscTan, 500.0, 7056));
  EXPECT_EQ(tan.first, -1.0);
  EXPECT_EQ(tan.second, 1.0);
  // A sine plus a quarter-amplitude sine at 20 times the frequency.
  const std::vector<double> whistle = RenderWave(kOscWhistle, 200.0, kRate / 10);
  EXPECT_NEAR(SineAmplitude(whistle, 0, 200.0 / kRate), 1.0, 1e-4);
  EXPECT_NEAR(SineAmplitude(whistle, 0, 4000.0 / kRate), 0.25, 1e-4);
}

TEST(OscilatorShape, OffReturnsZeroAndHoldsThePhase)
{
  for (int32_t waveform : {0, 10, -1}) {
    Oscilator osc = MakeOscilator(waveform);
    osc.SetPhase(0.3);
    for (int n = 0; n < 10; ++n)
      EXPECT_EQ(Next(osc, 1000.0), 0.0);
    EXPECT_EQ(osc.Phase(), 0.3);
  }
  // Switching waveform keeps the phase.
  ScopedOversampledRate rate(kRate);
  Oscilator osc = MakeOscilator(kOscSin);
  osc.SetPhase(0.25);
  osc.SetWaveform(kOscTriangle);
  EXPECT_NEAR(Next(osc, 1000.0), 4.0 * 1000.0 / kRate, 1e-12);
}

TEST(OscilatorEdges, BadFrequenciesNeverReadOutsideTheSawTable)
{
  ScopedOversampledRate rate(kRate);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int32_t waveform = kOscOff; waveform <= kOscPinkNoise; ++waveform) {
    for (double f : {0.0, -0.0, -440.0, -1e300, 1e-300, 1e300, inf, -inf, nan, 1e6}) {
      Oscilator osc = MakeOscilator(waveform);
      for (int n = 0; n < 64; ++n) {
        const double v = Next(osc, f);
        // Finite and positive frequencies always give finite samples; the
        // rest may be non-finite (the voice filters flush those) but must not
        // crash or read past the table.
        if (f > 0.0 && f < 1e299) {
          EXPECT_TRUE(std::isfinite(v)) << waveform << " " << f;
        }
      }
    }
  }
  // Frequency 0 stops the saw at the centre of its jump.
  Oscilator saw = MakeOscilator(kOscSaw);
  EXPECT_EQ(Next(saw, 0.0), 0.0);
  EXPECT_EQ(saw.Phase(), 0.0);
}

TEST(OscilatorNoise, WhiteNoiseCoversMinusOneToOne)
{
  Oscilator osc = MakeOscilator(kOscWhiteNoise);
  RandomSeed(12345);
  double lo = 0, hi = 0, sum = 0;
  const int count = 200000;
  for (int n = 0; n < count; ++n) {
    const double v = Next(osc, 440.0);
    lo = std::fmin(lo, v);
    hi = std::fmax(hi, v);
    sum += v;
  }
  EXPECT_GE(lo, -1.0);
  EXPECT_LE(hi, 1.0);
  EXPECT_LT(lo, -0.999);
  EXPECT_GT(hi, 0.999);
  EXPECT_NEAR(sum / count, 0.0, 0.01);
  // The same generator state gives the same sample: it is the shared source.
  RandomSeed(7);
  const double a = Oscilator::WhiteNoise();
  RandomSeed(7);
  const int r = RandomNext();
  EXPECT_EQ(a, r / 32767.0 * 2.0 - 1.0);
  // Every draw's quotient comes out of the division-free form bit for bit.
  for (int d = 0; d <= 32767; ++d)
    ASSERT_EQ(Oscilator::OverMaxDraw(static_cast<double>(d)), d / 32767.0) << d;
}

TEST(OscilatorNoise, PinkNoiseIsCentredAndFallsWithFrequency)
{
  Oscilator osc = MakeOscilator(kOscPinkNoise);
  RandomSeed(4242);
  const size_t segment = 4096;
  const std::vector<double> x = Render(segment * 64, [&] { return Next(osc, 0.0); });
  double sum = 0;
  for (double v : x) {
    sum += v;
    ASSERT_EQ(static_cast<double>(static_cast<float>(v)), v);  // computed in single precision
  }
  EXPECT_NEAR(sum / x.size(), 0.0, 0.01);

  // The three one-pole stages give a slope of about -5 dB per octave between
  // 1 % and 16 % of the rate (their summed powers' slope there is -5.0).
  const std::vector<double> power = PowerSpectrum(x, segment);
  const double octaves = 4.0;
  const double slope = 10.0 * std::log10(BandPower(power, 0.15, 0.17) / BandPower(power, 0.0095, 0.0105)) / octaves;
  EXPECT_NEAR(slope, -5.0, 0.4);
  // Each octave is quieter than the one below it.
  double previous = BandPower(power, 0.005, 0.01);
  for (double f = 0.01; f < 0.2; f *= 2) {
    const double band = BandPower(power, f, 2 * f);
    EXPECT_LT(band, previous) << f;
    previous = band;
  }
}

TEST(OscilatorNoise, RendersWithoutAllocating)
{
  ScopedOversampledRate rate(kRate);
  Oscilator oscs[10];
  for (int32_t w = 0; w < 10; ++w)
    oscs[w].SetWaveform(w);
  AllocGuard guard;
  double sum = 0;
  for (int n = 0; n < 1000; ++n)
    for (Oscilator& osc : oscs)
      sum += Next(osc, 440.0);
  EXPECT_EQ(guard.Count(), 0u);
  EXPECT_TRUE(std::isfinite(sum));
}
