#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "engine/FastPow.h"
#include "engine/VoiceManager.h"
#include "EngineTestUtil.h"
#include "support/AllocGuard.h"

using namespace enginetest;

namespace {
// A plain, steady patch: a sine on oscillator 1, no envelope shaping beyond
// short stages, open filters, no pitch sweep.
void PlainPatch(VoiceManager& vm)
{
  vm.SetSampleRate(kRate);
  vm.SetWaveform(0, kOscSin);
  vm.SetPitchEnd(0.0);
  vm.SetAmpEnvelopeStage(kStageAttack, 0.001);
  vm.SetAmpEnvelopeStage(kStageHold, 0.001);
  vm.SetAmpEnvelopeStage(kStageDecay, 0.001);
  vm.SetAmpEnvelopeStage(kStageSustain, 1.0);
  vm.SetAmpEnvelopeStage(kStageRelease, 0.01);
}

double Peak(const std::vector<double>& x, size_t from = 0)
{
  double p = 0.0;
  for (size_t i = from; i < x.size(); ++i)
    p = std::fmax(p, std::fabs(x[i]));
  return p;
}
}  // namespace

TEST(VoiceAllocation, AFifthNoteWaitsForAVoiceToFinishItsRelease)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  for (int note : {60, 62, 64, 65})
    vm.NoteOn(note, 100);
  EXPECT_EQ(vm.ActiveVoiceCount(), 4);
  // The fifth note stays silent: the four voices play exactly what they did.
  vm.NoteOn(67, 100);  // dropped: nothing is stolen
  const int notes[4] = {60, 62, 64, 65};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(vm.GetVoice(i).Note(), notes[i]);

  vm.NoteOff(62, 0);
  EXPECT_EQ(vm.GetVoice(1).AmpEnvelope().Stage(), kStageRelease);
  EXPECT_EQ(vm.GetVoice(1).FilterEnvelope().Stage(), kStageRelease);
  vm.NoteOn(67, 100);  // still dropped: voice 1 is releasing, not free
  EXPECT_EQ(vm.GetVoice(1).Note(), 62);

  // The release takes truncate(0.01 x rate) samples, then one more enters Off.
  for (int n = 0; n < 3528; ++n)
    vm.NextSample();
  EXPECT_TRUE(vm.GetVoice(1).IsActive());
  vm.NextSample();
  EXPECT_FALSE(vm.GetVoice(1).IsActive());
  vm.NoteOn(67, 100);
  EXPECT_EQ(vm.GetVoice(1).Note(), 67);
  EXPECT_TRUE(vm.GetVoice(1).IsActive());
  // A note-off for a note nobody plays changes nothing.
  vm.NoteOff(99, 0);
  EXPECT_EQ(vm.ActiveVoiceCount(), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_NE(vm.GetVoice(i).AmpEnvelope().Stage(), kStageRelease);
}

TEST(VoiceAllocation, ARepeatedNoteSoundsTwiceAndOneNoteOffReleasesBoth)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.SetAmpEnvelopeStage(kStageRelease, 1.0);
  vm.NoteOn(60, 100);
  for (int n = 0; n < 100; ++n)
    vm.NextSample();
  vm.NoteOff(60, 0);
  vm.NoteOn(60, 100);
  EXPECT_EQ(vm.ActiveVoiceCount(), 2);
  EXPECT_EQ(vm.GetVoice(0).AmpEnvelope().Stage(), kStageRelease);
  EXPECT_EQ(vm.GetVoice(1).AmpEnvelope().Stage(), kStageAttack);
  for (int n = 0; n < 100; ++n)
    vm.NextSample();
  vm.NoteOff(60, 0);
  EXPECT_EQ(vm.GetVoice(1).AmpEnvelope().Stage(), kStageRelease);
  EXPECT_EQ(vm.GetVoice(0).AmpEnvelope().Stage(), kStageRelease);
}

TEST(VoiceAllocation, SampleRateReachesEveryVoiceEnvelopeAndFilter)
{
  VoiceManager vm;
  vm.SetSampleRate(8 * 96000.0);
  vm.SetLowPassCutoff(1e9);  // the voice holds it to half its rate
  vm.NoteOn(60, 100);
  for (int n = 0; n < 10; ++n)
    vm.NextSample();
  ASSERT_EQ(vm.GetVoice(0).LowPass().Cutoff(), 4 * 96000.0);
  ASSERT_NE(vm.GetVoice(0).LowPass().State1(), 0.0);
  const double r = 8 * 8000.0;
  vm.SetSampleRate(r);
  for (int i = 0; i < 4; ++i) {
    const Voice& v = vm.GetVoice(i);
    EXPECT_EQ(v.SampleRate(), r);
    EXPECT_EQ(v.AmpEnvelope().SampleRate(), r);
    EXPECT_EQ(v.FilterEnvelope().SampleRate(), r);
    EXPECT_EQ(v.Pitch().SampleRate(), r);
    EXPECT_EQ(v.LowPass().SampleRate(), r);
    EXPECT_EQ(v.HighPass().SampleRate(), r);
    EXPECT_LE(v.LowPass().Cutoff(), r / 2);
    EXPECT_EQ(v.LowPass().State1(), 0.0);
    EXPECT_EQ(v.LowPass().State2(), 0.0);
    EXPECT_EQ(v.HighPass().State1(), 0.0);
  }
  EXPECT_EQ(vm.GetVoice(0).LowPass().Cutoff(), r / 2);
  EXPECT_EQ(vm.GetVoice(0).LowPass().G(), std::tan(kPi * (r / 2) / r));
}

TEST(VoiceSound, PlaysTheNoteAtTheInstrumentsTuning)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.NoteOn(69, 127);
  Voice& v = vm.GetVoice(0);
  const std::vector<double> x = Render(kRate / 4, [&] { return v.NextSample(); });
  // 440 x FastPow(2, 0) x FastPow(2, 0 / 1200): note 69 with 0 cents.
  const double expected = 440.0 * 0.9710078239440918 * 0.9710078239440918;
  EXPECT_EQ(v.BaseFrequency(0), expected);
  EXPECT_NEAR(MeasureFrequency(x, kRate), expected, 0.05);

  // Transpose, octave and cents take effect at the next sample.
  vm.SetOctave(0, 1);
  vm.SetTranspose(0, -12);
  vm.SetCents(0, 100);
  v.NextSample();
  EXPECT_EQ(v.BaseFrequency(0), 440.0 * FastPow(2.0, 0.0) * FastPow(2.0, 100.0 / 1200.0));
}

TEST(VoiceSound, PitchEnvelopeMovesEveryOscillator)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.SetPitchStart(1.0);
  vm.SetPitchEnd(1.0);
  vm.SetLevel(1, 1.0);
  vm.SetOctave(1, -2);
  vm.NoteOn(60, 127);
  Voice& v = vm.GetVoice(0);
  v.NextSample();
  EXPECT_EQ(v.CurrentFrequency(0), NoteToFrequency(96));
  EXPECT_EQ(v.CurrentFrequency(1), NoteToFrequency(96));
  const std::vector<double> x = Render(kRate / 10, [&] { return v.NextSample(); });
  EXPECT_NEAR(MeasureFrequency(x, kRate), NoteToFrequency(96), 1.0);
}

TEST(VoiceSound, VelocityScalesLinearly)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.NoteOn(60, 127);
  vm.NoteOn(60, 1);
  Voice& loud = vm.GetVoice(0);
  Voice& soft = vm.GetVoice(1);
  double peak = 0.0;
  for (int n = 0; n < 20000; ++n) {
    const double a = loud.NextSample();
    const double b = soft.NextSample();
    if (n >= 5000)  // past the attack's transient
      peak = std::fmax(peak, std::fabs(a));
    if (std::fabs(a) > 1e-3) {
      ASSERT_NEAR(b * 127.0 / a, 1.0, 1e-9) << n;
    }
  }
  EXPECT_NEAR(peak, 1.0, 0.01);  // velocity 127 is full level
}

TEST(VoiceSound, WithoutEnvelopeDepthTheLevelIsConstantUntilTheVoiceEnds)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.SetAmpEnvelopeStage(kStageAttack, 1.0);  // a depth of 1 would fade in for a second
  vm.SetEnvelopeDepth(0, 0.0);
  vm.NoteOn(60, 127);
  Voice& v = vm.GetVoice(0);
  const size_t period = static_cast<size_t>(kRate / v.Pitch().Apply(0.0, 440.0 * FastPow(2.0, -9.0 / 12.0) * FastPow(2.0, 0.0)));
  const std::vector<double> held = Render(2 * period, [&] { return v.NextSample(); });
  const double first = Peak(std::vector<double>(held.begin(), held.begin() + period));
  const double second = Peak(std::vector<double>(held.begin() + period, held.end()));
  EXPECT_NEAR(first, 1.0, 0.01);
  EXPECT_NEAR(second, first, 0.001);

  vm.NoteOff(60, 0);
  const std::vector<double> released = Render(3528, [&] { return v.NextSample(); });
  EXPECT_NEAR(Peak(std::vector<double>(released.end() - period, released.end())), 1.0, 0.01);
  EXPECT_TRUE(v.IsActive());
  v.NextSample();  // enters Off: from here on, silence
  EXPECT_FALSE(v.IsActive());
  for (int n = 0; n < 100; ++n)
    ASSERT_EQ(v.NextSample(), 0.0);
}

TEST(VoiceSound, FilterEnvelopeDepthsMoveTheCutoffs)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.SetLowPassCutoff(100.0);
  vm.SetLowPassEnvDepth(-1.0);
  vm.SetHighPassCutoff(3000.0);
  vm.SetHighPassEnvDepth(-1.0);
  vm.SetFilterEnvelopeStage(kStageAttack, 0.01);
  vm.NoteOn(60, 127);
  Voice& v = vm.GetVoice(0);
  v.NextSample();
  // Envelope near 0: the low-pass is fully open, the high-pass at 0 Hz.
  EXPECT_NEAR(v.LowPass().Cutoff(), 22050.0, 0.01);
  EXPECT_NEAR(v.HighPass().Cutoff(), 0.0, 0.01);
  // Envelope at 1 (hold): both reach their parameter values.
  for (int n = 0; n < 3600; ++n)
    v.NextSample();
  EXPECT_EQ(v.FilterEnvelope().Stage(), kStageHold);
  EXPECT_EQ(v.LowPass().Cutoff(), 100.0);
  EXPECT_EQ(v.HighPass().Cutoff(), 3000.0);

  // Positive depths: envelope at 1 opens the low-pass fully and closes the
  // high-pass to 0 Hz.
  vm.SetLowPassEnvDepth(1.0);
  vm.SetHighPassEnvDepth(1.0);
  v.NextSample();
  EXPECT_EQ(v.LowPass().Cutoff(), 22050.0);
  EXPECT_EQ(v.HighPass().Cutoff(), 0.0);
}

TEST(VoiceSound, SilentOscillatorsHoldTheirPhaseAndNoiseDrawsWhiteBeforePink)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  vm.SetStartPhase(1, 0.3);
  vm.NoteOn(60, 127);
  Voice& v = vm.GetVoice(0);
  for (int n = 0; n < 100; ++n)
    v.NextSample();
  EXPECT_EQ(v.Source(1).Phase(), 0.3);  // level 0: not advanced
  EXPECT_NE(v.Source(0).Phase(), 0.0);  // oscillator 1 always runs

  // White noise alone, then with a pink level too small to be heard: the
  // output is the same only if the white sample is drawn first.
  std::vector<double> out[2];
  for (int pass = 0; pass < 2; ++pass) {
    VoiceManager noise;
    PlainPatch(noise);
    noise.SetLevel(0, 0.0);
    noise.SetLevel(3, 1.0);
    noise.SetLevel(4, pass == 0 ? 0.0 : 1e-300);
    noise.NoteOn(60, 127);
    RandomSeed(2024);
    out[pass] = Render(50, [&] { return noise.GetVoice(0).NextSample(); });
    // Each sample draws once for white and three times for pink.
    uint32_t state = 2024;
    for (int d = 0; d < 50 * (pass == 0 ? 1 : 4); ++d)
      state = state * 214013u + 2531011u;
    EXPECT_EQ(RandomState(), state);
  }
  EXPECT_EQ(out[0][0], out[1][0]);
  EXPECT_NE(out[0][1], out[1][1]);
}

TEST(VoiceEdges, ExtremeSettingsNeverLetANonFiniteSampleOut)
{
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int32_t hostRate : {8000, 44100, 384000}) {
    ScopedOversampledRate rate(8 * hostRate);
    for (int waveform = kOscTriangle; waveform <= kOscWhistle; ++waveform) {
      for (double cutoff : {-1.0, 0.0, 1e12, inf, nan}) {
        for (double q : {0.0, 100.0}) {
          VoiceManager vm;
          vm.SetSampleRate(8.0 * hostRate);
          vm.SetWaveform(0, waveform);
          vm.SetLevel(3, 1.0);
          vm.SetLevel(4, 1.0);
          vm.SetLowPassCutoff(cutoff);
          vm.SetHighPassCutoff(cutoff);
          vm.SetLowPassResonance(q);
          vm.SetHighPassResonance(q);
          vm.SetLowPassEnvDepth(0.5);
          vm.SetOctave(0, 6);
          vm.SetTranspose(0, 12);
          vm.NoteOn(127, 127);
          vm.NoteOn(0, 1);
          for (int n = 0; n < 2000; ++n)
            ASSERT_TRUE(std::isfinite(vm.NextSample())) << hostRate << " " << waveform << " " << cutoff << " " << q;
        }
      }
    }
  }
}

TEST(VoiceEdges, TheManagersSumEqualsTheVoicesRenderedOneByOne)
{
  // Two identical managers with noisy voices ending at different times: the
  // manager's interleaved rendering must give the same bits, noise included.
  ScopedOversampledRate rate(kRate);
  VoiceManager a, b;
  for (VoiceManager* vm : {&a, &b}) {
    PlainPatch(*vm);
    vm->SetWaveform(1, kOscSaw);
    vm->SetLevel(1, 0.5);
    vm->SetLevel(3, 0.3);
    vm->SetLevel(4, 0.3);
    vm->SetLowPassEnvDepth(0.8);
    vm->SetPitchStart(-1.0);
    vm->SetPitchEnd(1.0);
    vm->SetPitchCurve(3.0);
    vm->SetPitchDuration(0.01);
    for (int note : {50, 57, 64})
      vm->NoteOn(note, 90);
    vm->NoteOff(57, 0);
  }
  RandomSeed(31);
  const std::vector<double> joint = Render(6000, [&] { return a.NextSample(); });
  RandomSeed(31);
  const std::vector<double> single = Render(6000, [&] {
    double s = b.GetVoice(0).NextSample();
    for (int i = 1; i < VoiceManager::kVoiceCount; ++i)
      s += b.GetVoice(i).NextSample();
    return s;
  });
  EXPECT_FALSE(a.GetVoice(1).IsActive());  // released on the way
  for (size_t n = 0; n < joint.size(); ++n)
    ASSERT_EQ(joint[n], single[n]) << n;
}

TEST(VoiceEdges, FourVoicesRenderWithoutAllocating)
{
  ScopedOversampledRate rate(kRate);
  VoiceManager vm;
  PlainPatch(vm);
  for (int s = 0; s < 3; ++s) {
    vm.SetWaveform(s, kOscWhistle);
    vm.SetLevel(s, 0.5);
  }
  vm.SetLevel(3, 0.5);
  vm.SetLevel(4, 0.5);
  vm.SetLowPassEnvDepth(0.5);
  vm.SetPitchStart(1.0);
  vm.SetPitchEnd(-1.0);
  for (int note : {48, 55, 60, 67})
    vm.NoteOn(note, 100);
  AllocGuard guard;
  double block[8];
  double sum = 0.0;
  for (int n = 0; n < 2000; ++n) {
    vm.Render(block, 8);
    sum += block[0];
  }
  vm.NoteOff(60, 0);
  for (int n = 0; n < 200; ++n)
    sum += vm.NextSample();
  EXPECT_EQ(guard.Count(), 0u);
  EXPECT_TRUE(std::isfinite(sum));
}
