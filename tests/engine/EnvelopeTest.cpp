#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/EG.h"
#include "engine/FastPow.h"
#include "engine/PitchEnvelope.h"

namespace {
constexpr double kRate = 352800.0;

struct Counter
{
  int began = 0;
  int finished = 0;
  static void Began(void* self) { ++static_cast<Counter*>(self)->began; }
  static void Finished(void* self) { ++static_cast<Counter*>(self)->finished; }
};

struct Trace
{
  std::vector<double> level;
  std::vector<EEnvelopeStage> stage;
  // Number of samples spent in `s`, counted from the first one.
  int Count(EEnvelopeStage s) const
  {
    int n = 0;
    for (EEnvelopeStage v : stage)
      n += v == s ? 1 : 0;
    return n;
  }
  size_t First(EEnvelopeStage s) const
  {
    for (size_t i = 0; i < stage.size(); ++i)
      if (stage[i] == s)
        return i;
    return stage.size();
  }
};

void Advance(EG& eg, int count, Trace& trace)
{
  for (int n = 0; n < count; ++n) {
    trace.level.push_back(eg.NextSample());
    trace.stage.push_back(eg.Stage());
  }
}

// Attack 10 ms, hold 5 ms, decay 20 ms, sustain 0.5, release 10 ms.
void Configure(EG& eg, double sustain = 0.5)
{
  eg.SetSampleRate(kRate);
  eg.SetStageValue(kStageAttack, 0.01);
  eg.SetStageValue(kStageHold, 0.005);
  eg.SetStageValue(kStageDecay, 0.02);
  eg.SetStageValue(kStageSustain, sustain);
  eg.SetStageValue(kStageRelease, 0.01);
}

void Start(EG& eg)
{
  eg.Reset();
  eg.EnterStage(kStageAttack);
}
}  // namespace

TEST(EnvelopeStages, StagesLastTheirTimesAndMeetTheirLevels)
{
  EG eg;
  Configure(eg);
  Start(eg);
  Trace t;
  Advance(eg, 20000, t);
  EXPECT_EQ(t.Count(kStageAttack), 3528);
  EXPECT_EQ(t.Count(kStageHold), 1764);
  EXPECT_EQ(t.Count(kStageDecay), 7056);
  EXPECT_EQ(t.stage.back(), kStageSustain);

  // The attack is exponential from the minimum level and ends a little under 1.
  const double lastAttack = t.level[3527];
  EXPECT_GT(lastAttack, 0.95);
  EXPECT_LT(lastAttack, 1.0);
  const double half = std::log(t.level[1763] / 1e-7), full = std::log(t.level[3527] / 1e-7);
  EXPECT_NEAR(half / full, 1764.0 / 3528.0, 1e-9);
  // Hold is exactly 1, decay falls to the sustain level, sustain is exact.
  for (size_t i = 3528; i < 3528 + 1764; ++i)
    ASSERT_EQ(t.level[i], 1.0);
  EXPECT_NEAR(t.level[3528 + 1764 + 7055], 0.5, 0.5 * 0.001);
  EXPECT_EQ(t.level[3528 + 1764 + 7056], 0.5);
  EXPECT_EQ(t.level.back(), 0.5);

  // (1 + x/N)^N stays below e^x: a release over 15 nepers ends about 3 %
  // under the minimum level.
  Trace r;
  eg.EnterStage(kStageRelease);
  Advance(eg, 4000, r);
  EXPECT_EQ(r.Count(kStageRelease), 3528);
  EXPECT_NEAR(r.level[3527], 1e-7 * std::exp(-std::pow(std::log(2e-7), 2) / (2 * 3528)), 1e-7 * 0.001);
  // Entering Off multiplies once more by the release factor, then holds.
  EXPECT_EQ(r.stage[3528], kStageOff);
  EXPECT_EQ(r.level[3528], r.level[3527] * eg.Multiplier());
  EXPECT_LT(r.level[3528], r.level[3527]);
  EXPECT_EQ(r.level.back(), r.level[3528]);
}

TEST(EnvelopeStages, SignalsMarkTheStartAndEndOfACycle)
{
  EG eg;
  Counter c;
  eg.cycleBegan.Connect(&c, &Counter::Began);
  eg.cycleFinished.Connect(&c, &Counter::Finished);
  Configure(eg);
  Start(eg);
  EXPECT_EQ(c.began, 1);
  eg.EnterStage(kStageAttack);  // already there: nothing happens
  Trace t;
  Advance(eg, 13000, t);
  EXPECT_EQ(c.began, 1);
  EXPECT_EQ(c.finished, 0);
  eg.EnterStage(kStageRelease);
  eg.EnterStage(kStageRelease);
  Advance(eg, 4000, t);
  EXPECT_EQ(c.finished, 1);
  EXPECT_EQ(eg.Stage(), kStageOff);
  // Reset returns to Off silently; a release from Off begins a cycle.
  Start(eg);
  eg.Reset();
  EXPECT_EQ(c.finished, 1);
  EXPECT_EQ(eg.Level(), 1e-7);
  eg.EnterStage(kStageRelease);
  EXPECT_EQ(c.began, 3);
}

TEST(EnvelopeStages, SustainOfOneKeepsFullLevel)
{
  EG eg;
  Configure(eg, 1.0);
  Start(eg);
  Trace t;
  Advance(eg, 15000, t);
  for (size_t i = 3528; i < t.level.size(); ++i)
    ASSERT_EQ(t.level[i], 1.0) << i;
}

TEST(EnvelopeStages, SustainBelowTheMinimumIsTheDecayTargetsFloor)
{
  EG eg;
  Configure(eg, 1e-9);
  Start(eg);
  Trace t;
  Advance(eg, 15000, t);
  const size_t sustainAt = t.First(kStageSustain);
  ASSERT_EQ(sustainAt, 3528u + 1764u + 7056u);
  EXPECT_NEAR(t.level[sustainAt - 1], 1e-7, 1e-7 * 0.03);
  EXPECT_EQ(t.level[sustainAt], 1e-9);
}

TEST(EnvelopeReaim, ChangingTheRunningStagesTimeRescalesWhatIsLeft)
{
  EG eg;
  Configure(eg);
  Start(eg);
  Trace t;
  Advance(eg, 1764, t);
  // Half done; doubling the time leaves 0.5 x 0.02 s = 3528 samples.
  eg.SetStageValue(kStageAttack, 0.02);
  Advance(eg, 6000, t);
  EXPECT_EQ(t.Count(kStageAttack), 1764 + 3528);
  EXPECT_GT(t.level[1764 + 3528 - 1], 0.95);
  EXPECT_LT(t.level[1764 + 3528 - 1], 1.0);
  EXPECT_EQ(t.level[1764 + 3528], 1.0);

  // Release re-aimed the same way still lands on the minimum level.
  Trace r;
  eg.EnterStage(kStageRelease);
  Advance(eg, 1000, r);
  eg.SetStageValue(kStageRelease, 0.005);
  Advance(eg, 3000, r);
  const int expected = 1000 + static_cast<int>((1.0 - 1000.0 / 3528.0) * 0.005 * kRate);
  EXPECT_EQ(r.Count(kStageRelease), expected);
  EXPECT_NEAR(r.level[expected - 1], 1e-7, 1e-7 * 0.1);
}

TEST(EnvelopeReaim, SustainChangeDuringDecayReaimsTheDecay)
{
  EG eg;
  Configure(eg);
  Start(eg);
  Trace t;
  Advance(eg, 3528 + 1764 + 3000, t);
  ASSERT_EQ(eg.Stage(), kStageDecay);
  eg.SetStageValue(kStageSustain, 0.25);
  Advance(eg, 6000, t);
  const size_t sustainAt = t.First(kStageSustain);
  EXPECT_EQ(sustainAt, 3528u + 1764u + 7056u);  // the decay keeps its end
  EXPECT_NEAR(t.level[sustainAt - 1], 0.25, 0.25 * 0.001);
  EXPECT_EQ(t.level[sustainAt], 0.25);
  // A sustain change while sustaining moves the level at once.
  eg.SetStageValue(kStageSustain, 0.75);
  EXPECT_EQ(eg.NextSample(), 0.75);
  // Times of stages that are not running only apply when they are entered.
  const double multiplier = eg.Multiplier();
  eg.SetStageValue(kStageDecay, 5.0);
  EXPECT_EQ(eg.Multiplier(), multiplier);
}

TEST(EnvelopeReaim, ATimeTooShortForOneSampleEndsTheStageAtOnce)
{
  EG eg;
  Configure(eg);
  Start(eg);
  for (int n = 0; n < 100; ++n)
    eg.NextSample();
  eg.SetStageValue(kStageAttack, 1e-9);
  EXPECT_EQ(eg.NextSample(), 1.0);
  EXPECT_EQ(eg.Stage(), kStageHold);

  // The same for a release: Off at the next sample, with a finite level.
  eg.EnterStage(kStageRelease);
  eg.NextSample();
  eg.SetStageValue(kStageRelease, 0.0);
  const double level = eg.NextSample();
  EXPECT_EQ(eg.Stage(), kStageOff);
  EXPECT_TRUE(std::isfinite(level));
}

TEST(EnvelopeEdges, DegenerateSettingsNeitherHangNorGoNonFinite)
{
  // Stages of no length pass through in one sample each.
  EG eg;
  Configure(eg);
  eg.SetStageValue(kStageAttack, 0.0);
  eg.SetStageValue(kStageHold, 0.0);
  eg.SetStageValue(kStageDecay, 0.0);
  Start(eg);
  for (int n = 0; n < 4; ++n)
    eg.NextSample();
  EXPECT_EQ(eg.Stage(), kStageSustain);
  EXPECT_EQ(eg.Level(), 0.5);
  eg.SetStageValue(kStageRelease, 0.0);
  eg.EnterStage(kStageRelease);
  eg.NextSample();
  EXPECT_EQ(eg.Stage(), kStageOff);
  EXPECT_TRUE(std::isfinite(eg.Level()));

  // Silent and negative sustains keep the level finite.
  for (double sustain : {0.0, -1.0}) {
    EG e;
    Configure(e, sustain);
    e.SetStageValue(kStageDecay, -1.0);
    Start(e);
    for (int n = 0; n < 10000; ++n)
      ASSERT_TRUE(std::isfinite(e.NextSample()));
    e.EnterStage(kStageRelease);
    for (int n = 0; n < 5000; ++n)
      ASSERT_TRUE(std::isfinite(e.NextSample()));
    EXPECT_EQ(e.Stage(), kStageOff);
  }
}

TEST(EnvelopeEdges, ANewSampleRateAppliesFromTheNextStage)
{
  EG eg;
  Configure(eg);
  Start(eg);
  eg.SetSampleRate(kRate / 2);
  Trace t;
  Advance(eg, 10000, t);
  EXPECT_EQ(t.Count(kStageAttack), 3528);
  EXPECT_EQ(t.Count(kStageHold), 882);
}

TEST(EnvelopePitch, StartAndEndOfZeroKeepThePlayedNote)
{
  PitchEnvelope p;
  p.SetSampleRate(1000.0);
  p.SetEnd(0.0);
  p.Start();
  for (int n = 0; n < 2000; ++n)
    ASSERT_EQ(p.Apply(p.NextPosition(), 427.0), 427.0);
}

TEST(EnvelopePitch, GlidesLinearlyInHertzFromTheHighToTheLowNote)
{
  PitchEnvelope p;
  p.SetSampleRate(1000.0);
  p.SetDuration(1.0);
  p.SetStart(1.0);
  p.SetEnd(-1.0);
  p.Start();
  EXPECT_EQ(p.TotalSamples(), 1000u);
  const double f0 = 440.0;
  std::vector<double> f;
  for (int n = 0; n < 1500; ++n)
    f.push_back(p.Apply(p.NextPosition(), f0));
  EXPECT_EQ(f[0], NoteToFrequency(96));
  EXPECT_NEAR(f[250], 0.5 * f0 + 0.5 * NoteToFrequency(96), 1e-9);
  EXPECT_EQ(f[500], f0);
  EXPECT_NEAR(f[750], 0.5 * f0 + 0.5 * NoteToFrequency(12), 1e-9);
  // Straight lines: equal steps within each half.
  EXPECT_NEAR(f[100] - f[101], f[400] - f[401], 1e-9);
  EXPECT_NEAR(f[600] - f[601], f[900] - f[901], 1e-9);
  // After the duration the position rests at the end.
  for (int n = 1000; n < 1500; ++n)
    ASSERT_EQ(f[n], NoteToFrequency(12));
  EXPECT_EQ(p.Position(), -1.0);
}

TEST(EnvelopePitch, CurveHoldsTheStartOrRushesToTheEnd)
{
  for (double curve : {8.0, 0.125}) {
    PitchEnvelope p;
    p.SetSampleRate(1000.0);
    p.SetStart(0.0);
    p.SetEnd(1.0);
    p.SetCurve(curve);
    p.Start();
    double mid = 0.0;
    for (int n = 0; n <= 500; ++n)
      mid = p.NextPosition();
    EXPECT_NEAR(mid, std::pow(0.5, curve), 1e-12) << curve;
  }
}

TEST(EnvelopePitch, LongFastSweepsFollowThePowerToRoundingThroughACurveChange)
{
  // Half a second at the oversampled rate: most of it past the first 4096
  // samples, where the fast form carries the power along a series whose
  // spans grow from 8 to 256 samples. It is compared there with the exact
  // power and with the polynomial power.
  for (double curve : {0.125, 0.7, 1.0, 2.5, 8.0}) {
    PitchEnvelope p;
    p.SetSampleRate(kRate);
    p.SetDuration(0.5);
    p.SetStart(0.0);
    p.SetEnd(1.0);
    p.SetCurve(curve);
    p.Start();
    const uint64_t total = p.TotalSamples();
    double c = curve, worst = 0.0, worstPower = 0.0, worstLongSpans = 0.0;
    for (uint64_t n = 0; n < total + 10; ++n) {
      // A new curve in the middle of a span counts from its first sample.
      if (n == 100013) p.SetCurve(c = 9.0 - curve);
      const double b = p.NextPositionT<true>();
      if (n >= total) continue;
      const long double t = static_cast<long double>(n) / static_cast<long double>(total);
      const double exact = static_cast<double>(std::pow(t, static_cast<long double>(c)));
      const double power = fastmath::PowUnit(static_cast<double>(n) * (1.0 / static_cast<double>(total)), c);
      if (exact < 1e-300 || n < pitchseries::kSeriesFrom) continue;
      worst = std::fmax(worst, std::fabs(b - exact) / exact);
      worstPower = std::fmax(worstPower, std::fabs(power - exact) / exact);
      if (n >= 32768) worstLongSpans = std::fmax(worstLongSpans, std::fabs(b - exact) / exact);
    }
    // The series adds no more than an ulp to the polynomial power's own error,
    // which is larger for the small t of the shorter spans.
    EXPECT_LE(worst, worstPower + 2.3e-16) << curve;
    EXPECT_LT(worst, 8e-15) << curve;
    EXPECT_LT(worstLongSpans, 4e-15) << curve;
    EXPECT_EQ(p.Position(), 1.0);
  }
}

TEST(EnvelopePitch, SpansGrowWithTheSweepAndTheSeriesKeepsToThePower)
{
  // A span is 1/512 of the octave its samples lie in; the whole-number and
  // the double form find the same first sample.
  const uint64_t probes[] = {4096, 4099, 4100, 8191, 8192, 8200, 32767, 32768, 32800, 1000003, 3528000, (1ull << 40) + 12345};
  for (uint64_t n : probes) {
    const uint64_t first = pitchseries::SpanStart(n);
    uint64_t octave = 1;
    while (octave * 2 <= n) octave *= 2;
    EXPECT_EQ(first % (octave / 512), 0u) << n;
    EXPECT_LT(n - first, octave / 512) << n;
    double asDouble = static_cast<double>(n);
    uint64_t bits;
    std::memcpy(&bits, &asDouble, sizeof bits);
    bits &= pitchseries::kSpanStartMask;
    std::memcpy(&asDouble, &bits, sizeof bits);
    EXPECT_EQ(asDouble, static_cast<double>(first)) << n;
  }
  // Ten seconds at the oversampled rate end in spans of 4096 samples; the
  // series still gives the power to rounding there.
  PitchEnvelope p;
  p.SetSampleRate(kRate);
  p.SetDuration(10.0);
  p.SetStart(0.0);
  p.SetEnd(1.0);
  p.SetCurve(2.5);
  p.Start();
  const uint64_t total = p.TotalSamples();
  double worst = 0.0;
  for (uint64_t n = 0; n < total; ++n) {
    const double b = p.NextPositionT<true>();
    if (n < 32768 || n % 257 != 0) continue;
    const long double t = static_cast<long double>(n) / static_cast<long double>(total);
    const double exact = static_cast<double>(std::pow(t, 2.5L));
    worst = std::fmax(worst, std::fabs(b - exact) / exact);
  }
  EXPECT_LT(worst, 4e-15);
}

TEST(EnvelopePitch, NotesMapThroughTheInstrumentsTuning)
{
  PitchEnvelope p;
  EXPECT_EQ(p.HighFrequency(), 2327.565155029297);
  EXPECT_EQ(p.LowFrequency(), 13.176554441452026);
  p.SetHighNote(81);
  p.SetLowNote(69);
  EXPECT_EQ(p.HighFrequency(), 880.0);
  EXPECT_EQ(p.LowFrequency(), 427.2434425354004);
  // A sweep too short for one sample sits at its end from the start.
  p.SetSampleRate(1000.0);
  p.SetDuration(0.0001);
  p.SetStart(-1.0);
  p.SetEnd(1.0);
  p.Start();
  EXPECT_EQ(p.NextPosition(), 1.0);
  EXPECT_EQ(p.Apply(1.0, 100.0), 880.0);
}
