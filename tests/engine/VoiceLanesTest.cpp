#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/DspPath.h"
#include "engine/MidiReceiver.h"
#include "engine/OrbBitCrusher2.h"
#include "engine/VoiceManager.h"
#include "engine/WideLanes.h"
#include "EngineTestUtil.h"
#include "platform/Random.h"
#include "support/AllocGuard.h"
#include "support/ScopedTechniques.h"

using namespace enginetest;

namespace {
constexpr int kPlainFast = kFastTrig | kFastPow | kFastFilter;

// Oscillators 2 and 3 take `w2` and `w3`, both noises sound, both filters
// follow the filter envelope and the pitch sweeps along a curve.
void BusyPatch(VoiceManager& vm, int32_t w1, int32_t w2, int32_t w3)
{
  vm.SetSampleRate(kRate);
  vm.SetWaveform(0, w1);
  vm.SetWaveform(1, w2);
  vm.SetWaveform(2, w3);
  for (int s = 0; s < 5; ++s) vm.SetLevel(s, 0.3);
  vm.SetEnvelopeDepth(1, 0.5);
  vm.SetSquareDuty(1, 0.3);
  vm.SetCents(2, 7);
  vm.SetAmpEnvelopeStage(kStageAttack, 0.002);
  vm.SetAmpEnvelopeStage(kStageDecay, 0.01);
  vm.SetAmpEnvelopeStage(kStageSustain, 0.6);
  vm.SetAmpEnvelopeStage(kStageRelease, 0.004);
  vm.SetFilterEnvelopeStage(kStageDecay, 0.02);
  vm.SetFilterEnvelopeStage(kStageSustain, 0.3);
  vm.SetLowPassCutoff(3000.0);
  vm.SetLowPassResonance(4.0);
  vm.SetLowPassEnvDepth(0.8);
  vm.SetHighPassCutoff(300.0);
  vm.SetHighPassEnvDepth(-0.6);
  vm.SetPitchStart(-0.4);
  vm.SetPitchEnd(0.7);
  vm.SetPitchDuration(0.02);
  vm.SetPitchCurve(2.5);
}

// Notes start and stop at different samples, so the voices' stage
// boundaries fall apart and one voice falls free and is taken again. With
// `readEvery` above 1, each block is rendered for a caller that reads only
// every readEvery-th sample from `firstRead` on. `phases`, where given,
// receives the voices' oscillator phases at the end.
std::vector<double> Play(int32_t w1, int32_t w2, int32_t w3, int techniques, uint32_t& randomAfter, size_t& allocations,
                         int firstRead = 0, int readEvery = 1, std::vector<double>* phases = nullptr)
{
  ScopedTechniques scope(techniques);
  VoiceManager vm;
  BusyPatch(vm, w1, w2, w3);
  RandomSeed(99);
  std::vector<double> out(24000);
  const int events[] = {0, 500, 1700, 2300, 9000, 13000, 16000};
  int next = 0;
  AllocGuard guard;
  for (int at = 0; at < static_cast<int>(out.size()); at += 250) {
    while (next < 7 && events[next] <= at) {
      if (next < 4) vm.NoteOn(48 + 5 * next, 90 + next);
      else if (next == 4) vm.NoteOff(53, 0);
      else if (next == 5) vm.NoteOn(71, 100);
      else vm.NoteOff(48, 0);
      ++next;
    }
    vm.Render(out.data() + at, 250, firstRead, readEvery);
  }
  allocations = guard.Count();
  for (int v = 0; v < 4 && phases; ++v)
    for (int k = 0; k < 3; ++k) {
      phases->push_back(vm.GetVoice(v).Source(k).Phase());
      phases->push_back(vm.GetVoice(v).Source(k).SecondPhase());
    }
  randomAfter = RandomState();
  return out;
}
}  // namespace

TEST(VoiceLanes, RunsGiveTheSameBitsAsPlainSamplesForEveryWaveform)
{
  const int32_t sets[][3] = {{kOscSaw, kOscSquare, kOscTan},       {kOscSin, kOscTriangle, kOscBreaker},
                             {kOscWhistle, kOscOff, kOscSaw},      {kOscTriangle, kOscTan, kOscWhistle},
                             {kOscSquare, kOscSin, kOscWhiteNoise}};  // noise on an oscillator: plain samples
  // Four lanes, and eight where the processor has AVX-512 (elsewhere the
  // second pass repeats the first).
  for (int eight : {0, static_cast<int>(kEightLanes)})
    for (const auto& w : sets) {
      uint32_t plainRandom = 0, lanesRandom = 0;
      size_t allocations = 0;
      const std::vector<double> plain = Play(w[0], w[1], w[2], kPlainFast, plainRandom, allocations);
      const std::vector<double> lanes = Play(w[0], w[1], w[2], kPlainFast | kFastVoices | eight, lanesRandom, allocations);
      EXPECT_EQ(allocations, 0u);
      int differing = 0;
      double peak = 0.0;
      for (size_t i = 0; i < plain.size(); ++i) {
        differing += plain[i] == lanes[i] ? 0 : 1;
        peak = std::fmax(peak, std::fabs(plain[i]));
      }
      EXPECT_EQ(differing, 0) << w[0] << " " << w[1] << " " << w[2] << " " << eight;
      EXPECT_EQ(plainRandom, lanesRandom);
      EXPECT_GT(peak, 0.05);
    }
}

// With fused multiply-adds the pitch, filters, waveforms and mix round once
// where they rounded twice: the sound moves by rounding only. The phases
// take their increments rounded, so they move only by the pitch's rounding
// and do not drift apart (unrounded, the whistle's second phase is 1e-12
// off after half a second), and the pink noise keeps its bits (with its
// single-precision filters fused, the sound is 1e-7 off).
TEST(VoiceLanes, FusedMultiplyAddsChangeOnlyTheRounding)
{
  {
    ScopedTechniques all(kAllTechniques);
    if (!FusedLanesAvailable()) GTEST_SKIP() << "no AVX-512 with FMA: both renders would be the same";
  }
  const int32_t sets[][3] = {{kOscSaw, kOscSquare, kOscTan}, {kOscSin, kOscTriangle, kOscBreaker}, {kOscWhistle, kOscOff, kOscSaw}};
  const int eight = kPlainFast | kFastVoices | kEightLanes;
  for (const auto& w : sets) {
    uint32_t plainRandom = 0, fusedRandom = 0;
    size_t allocations = 0;
    std::vector<double> plainPhases, fusedPhases;
    const std::vector<double> plain = Play(w[0], w[1], w[2], eight, plainRandom, allocations, 0, 1, &plainPhases);
    const std::vector<double> fused =
        Play(w[0], w[1], w[2], eight | kFusedMultiplyAdd, fusedRandom, allocations, 0, 1, &fusedPhases);
    EXPECT_EQ(allocations, 0u);
    int differing = 0;
    double peak = 0.0, worst = 0.0;
    for (size_t i = 0; i < plain.size(); ++i) {
      differing += plain[i] == fused[i] ? 0 : 1;
      peak = std::fmax(peak, std::fabs(plain[i]));
      worst = std::fmax(worst, std::fabs(fused[i] - plain[i]));
    }
#if defined(__OPTIMIZE__)
    // The fused code ran (an unoptimised build, such as the sanitizers',
    // forms no fused multiply-adds and gives the same bits).
    EXPECT_GT(differing, 0) << w[0] << " " << w[1] << " " << w[2];
#endif
    EXPECT_LT(worst, 1e-12 * peak) << w[0] << " " << w[1] << " " << w[2];
    ASSERT_EQ(plainPhases.size(), fusedPhases.size());
    double phaseGap = 0.0;
    for (size_t i = 0; i < plainPhases.size(); ++i) phaseGap = std::fmax(phaseGap, std::fabs(plainPhases[i] - fusedPhases[i]));
    EXPECT_LT(phaseGap, 1e-13) << w[0] << " " << w[1] << " " << w[2];
    EXPECT_EQ(plainRandom, fusedRandom);
  }
}

// A caller that reads only some samples (a crusher holding its input) gets
// those samples bit for bit, while the voices step through all of them.
TEST(VoiceLanes, SamplesTheCallerReadsKeepTheirBits)
{
  const int patterns[][2] = {{0, 35}, {13, 7}, {249, 250}};
  for (int eight : {0, static_cast<int>(kEightLanes)})
    for (const auto& pattern : patterns) {
      uint32_t allRandom = 0, someRandom = 0;
      size_t allocations = 0;
      const int lanes = kPlainFast | kFastVoices | eight;
      const std::vector<double> all = Play(kOscSaw, kOscSquare, kOscTan, lanes, allRandom, allocations);
      const std::vector<double> some =
          Play(kOscSaw, kOscSquare, kOscTan, lanes, someRandom, allocations, pattern[0], pattern[1]);
      EXPECT_EQ(allocations, 0u);
      int differing = 0;
      for (size_t i = 0; i < all.size(); ++i) {
        const int at = static_cast<int>(i % 250);
        if (at >= pattern[0] && (at - pattern[0]) % pattern[1] == 0) differing += all[i] == some[i] ? 0 : 1;
      }
      EXPECT_EQ(differing, 0) << pattern[0] << " " << pattern[1] << " " << eight;
      EXPECT_EQ(allRandom, someRandom);
    }
}

TEST(VoiceLanes, SteadyVoicesRunAStretchAtATimeAndStopAtStageBoundaries)
{
  if (!VoiceLanes::UsesWideLanes()) GTEST_SKIP() << "no AVX2: the voices always render the plain way";
  VoiceManager vm;
  BusyPatch(vm, kOscSaw, kOscSquare, kOscTan);
  for (int note : {48, 55, 60}) vm.NoteOn(note, 100);
  std::vector<double> out(4096);
  static VoiceLanes::Work work;
  // Note-on leaves the pitch to be worked out: that sample goes the plain way.
  EXPECT_EQ(VoiceLanes::Run(&vm.GetVoice(0), kRate, out.data(), 4096, work), 0);
  vm.NextSample();
  // Then a run lasts until the first envelope stage ends, and no further.
  const EG& amp = vm.GetVoice(0).AmpEnvelope();
  const EG& filter = vm.GetVoice(0).FilterEnvelope();
  const uint64_t left = std::min(amp.NextStageSample() - amp.CurrentSample(), filter.NextStageSample() - filter.CurrentSample());
  ASSERT_GT(left, 100u);
  EXPECT_EQ(VoiceLanes::Run(&vm.GetVoice(0), kRate, out.data(), 4096, work), static_cast<int>(left));
  EXPECT_TRUE(amp.CurrentSample() == amp.NextStageSample() || filter.CurrentSample() == filter.NextStageSample());
  EXPECT_EQ(VoiceLanes::Run(&vm.GetVoice(0), kRate, out.data(), 4096, work), 0);
  // Voices whose waveforms differ are not run side by side.
  vm.NextSample();
  vm.GetVoice(1).SetWaveform(0, kOscSin);
  EXPECT_EQ(VoiceLanes::Run(&vm.GetVoice(0), kRate, out.data(), 16, work), 0);
  vm.GetVoice(1).SetWaveform(0, kOscSaw);
  EXPECT_EQ(VoiceLanes::Run(&vm.GetVoice(0), kRate, out.data(), 16, work), 16);
}

TEST(VoiceLanes, TheCrushersSkipCountsLikeCallsOnSilence)
{
  // Hold lengths of 0, 3 and 7, the never-renewing and the NaN setting.
  for (double target : {48000.0, 12000.0, 6000.0, 0.0, std::nan("")}) {
    for (int64_t n : {1, 2, 3, 4, 5, 8, 9, 100, 1001}) {
      OrbBitCrusher2 a, b;
      for (OrbBitCrusher2* c : {&a, &b}) {
        c->SetClockRate(48000.0);
        c->SetTargetRate(target);
        c->SetBitDepth(6.0);
        c->Process(0.0);
        c->Process(0.0);
      }
      for (int64_t i = 0; i < n; ++i) a.Process(0.0);
      b.Skip(n);
      EXPECT_EQ(a.HoldCounter(), b.HoldCounter()) << target << " " << n;
      EXPECT_EQ(a.HeldValue(), b.HeldValue());
    }
  }
}

TEST(VoiceLanes, QuietFramesReachTheNextDueMessage)
{
  MidiReceiver r;
  r.Add(IMidiMessage(0, 0x90, 60, 100));
  r.Add(IMidiMessage(37, 0x80, 60, 0));
  r.Advance();  // sample 0: the note-on
  EXPECT_TRUE(r.IsKeyDown(60));
  EXPECT_EQ(r.QuietFrames(256), 37);
  EXPECT_EQ(r.QuietFrames(10), 10);
  r.Skip(36);
  r.Advance();  // sample 37: the note-off
  EXPECT_FALSE(r.IsKeyDown(60));
  EXPECT_EQ(r.QuietFrames(219), 219);
}

namespace {
// One note of `w1` (and `w2` on oscillator 2) with the pitch sweeping and
// both filters resting, rendered in blocks; the low-pass may start to follow
// the filter envelope in the middle of its decay.
std::vector<double> PlayAlone(int32_t w1, int32_t w2, int note, int techniques, double laterDepth = 0.0, double white = 0.0)
{
  ScopedTechniques scope(techniques);
  VoiceManager vm;
  BusyPatch(vm, w1, w2, kOscOff);
  for (int s = 2; s < 5; ++s) vm.SetLevel(s, s == Voice::kWhiteSource ? white : 0.0);
  RandomSeed(77);
  vm.SetLowPassEnvDepth(0.0);
  vm.SetHighPassEnvDepth(0.0);
  vm.SetPitchDuration(0.05);
  vm.SetFilterEnvelopeStage(kStageDecay, 0.03);
  vm.NoteOn(note, 100);
  std::vector<double> out(24000);
  AllocGuard guard;
  for (int at = 0; at < static_cast<int>(out.size()); at += 250) {
    if (at == 6000) vm.SetLowPassEnvDepth(laterDepth);
    if (at == 18000) vm.NoteOff(note, 0);
    vm.Render(out.data() + at, 250);
  }
  EXPECT_EQ(guard.Count(), 0u);
  return out;
}

struct Gap {
  double worst = 0.0, peak = 0.0;
  int differing = 0;
};

Gap Compare(const std::vector<double>& a, const std::vector<double>& b)
{
  Gap g;
  for (size_t i = 0; i < a.size(); ++i) {
    g.worst = std::fmax(g.worst, std::fabs(a[i] - b[i]));
    g.peak = std::fmax(g.peak, std::fabs(a[i]));
    g.differing += a[i] == b[i] ? 0 : 1;
  }
  return g;
}
}  // namespace

TEST(VoiceLanes, ALoneVoiceFourSamplesAtATimeAgreesWithPlainSamplesForEveryWaveform)
{
  const int32_t sets[][2] = {{kOscTriangle, kOscSquare}, {kOscSin, kOscSaw}, {kOscBreaker, kOscTan}, {kOscWhistle, kOscOff}, {kOscOff, kOscSaw}};
  for (const auto& w : sets) {
    const std::vector<double> plain = PlayAlone(w[0], w[1], 60, kPlainFast);
    const std::vector<double> lone = PlayAlone(w[0], w[1], 60, kPlainFast | kFastVoices | kLoneVoice);
    const Gap g = Compare(plain, lone);
    EXPECT_GT(g.peak, 0.05) << w[0] << " " << w[1];
    EXPECT_LT(g.worst, 1e-10 * g.peak) << w[0] << " " << w[1];
    // Four at a time rounds differently: the bits show that the voice ran alone.
    if (VoiceLanes::UsesWideLanes()) {
      EXPECT_GT(g.differing, 1000) << w[0] << " " << w[1];
    }
  }
}

TEST(VoiceLanes, ALoneVoiceHandsBackItsStateAndLeavesFastPhasesToThePlainSamples)
{
  // The filter envelope moves while no filter follows it; once the low-pass
  // does, its level must be where one sample at a time would have it.
  const Gap later = Compare(PlayAlone(kOscSaw, kOscOff, 60, kPlainFast, 0.8),
                            PlayAlone(kOscSaw, kOscOff, 60, kPlainFast | kFastVoices | kLoneVoice, 0.8));
  EXPECT_LT(later.worst, 1e-10 * later.peak) << later.differing;
  // A whistle this high moves its second phase by more than a fifth of a
  // cycle per sample: those samples keep the plain arithmetic bit for bit.
  const Gap high = Compare(PlayAlone(kOscWhistle, kOscOff, 110, kPlainFast),
                           PlayAlone(kOscWhistle, kOscOff, 110, kPlainFast | kFastVoices | kLoneVoice));
  EXPECT_GT(high.peak, 0.05);
  EXPECT_EQ(high.differing, 0);
  // White noise goes along: the same draws, and the generator where one
  // sample at a time leaves it.
  const std::vector<double> plain = PlayAlone(kOscSin, kOscOff, 60, kPlainFast, 0.0, 0.4);
  const uint32_t plainRandom = RandomState();
  const std::vector<double> lone = PlayAlone(kOscSin, kOscOff, 60, kPlainFast | kFastVoices | kLoneVoice, 0.0, 0.4);
  EXPECT_EQ(RandomState(), plainRandom);
  const Gap noisy = Compare(plain, lone);
  EXPECT_LT(noisy.worst, 1e-10 * noisy.peak);
  if (VoiceLanes::UsesWideLanes()) {
    EXPECT_GT(noisy.differing, 1000);
  }
}

namespace {
// Sweeps of a second, long enough for the sweep's power to go over to its
// series, with the curve changed in the middle of a span. `notes` notes
// start a block apart; one note sounds alone without noise.
std::vector<double> PlayLongSweep(int notes, int techniques, int piece = 250)
{
  ScopedTechniques scope(techniques);
  VoiceManager vm;
  BusyPatch(vm, kOscSaw, kOscSquare, kOscTan);
  vm.SetPitchDuration(1.0);
  if (notes == 1) {
    for (int s = 3; s < 5; ++s) vm.SetLevel(s, 0.0);
    vm.SetLowPassEnvDepth(0.0);
    vm.SetHighPassEnvDepth(0.0);
  }
  RandomSeed(5);
  std::vector<double> out(60000);
  AllocGuard guard;
  // Notes and the new curve at their samples whatever the piece the
  // render is cut into.
  for (int at = 0; at < static_cast<int>(out.size());) {
    if (at % 250 == 0 && at < 250 * notes) vm.NoteOn(48 + 5 * (at / 250), 100);
    if (at == 45000) vm.SetPitchCurve(0.3);
    const int next = std::min({static_cast<int>(out.size()), at + piece, (at / 250 + 1) * 250});
    vm.Render(out.data() + at, next - at);
    at = next;
  }
  EXPECT_EQ(guard.Count(), 0u);
  return out;
}
}  // namespace

TEST(VoiceLanes, LongSweepsKeepThePlainSamplesArithmetic)
{
  // Four lanes, and eight (two samples per vector) where the processor has
  // AVX-512.
  const std::vector<double> plain = PlayLongSweep(3, kPlainFast);
  for (int eight : {0, static_cast<int>(kEightLanes)}) {
    const Gap side = Compare(plain, PlayLongSweep(3, kPlainFast | kFastVoices | eight));
    EXPECT_GT(side.peak, 0.05);
    EXPECT_EQ(side.differing, 0) << eight;
    // Runs of odd lengths: pairs of samples start at either parity, chunks
    // end short, and the spans' renewals fall in either half of a pair.
    EXPECT_EQ(Compare(plain, PlayLongSweep(3, kPlainFast | kFastVoices | eight, 97)).differing, 0) << eight;
  }
  const Gap lone = Compare(PlayLongSweep(1, kPlainFast), PlayLongSweep(1, kPlainFast | kFastVoices | kLoneVoice));
  EXPECT_GT(lone.peak, 0.05);
  EXPECT_LT(lone.worst, 1e-10 * lone.peak);
}

// A duty equal to the phase one note reaches after 1000 samples: there the
// square keeps its last value, and the lanes take the same steps.
TEST(VoiceLanes, ASquareWhosePhaseMeetsItsDutyHoldsItsLastValue)
{
  auto render = [](double duty, int techniques, int samples) {
    ScopedTechniques scope(techniques);
    VoiceManager vm;
    vm.SetSampleRate(kRate);
    vm.SetWaveform(0, kOscSquare);
    vm.SetSquareDuty(0, duty);
    vm.SetWaveform(1, kOscSaw);
    vm.SetLevel(0, 0.3);
    vm.SetLevel(1, 0.2);
    for (int note : {81, 64, 67, 72}) vm.NoteOn(note, 100);
    std::vector<double> out(static_cast<size_t>(samples));
    for (int at = 0; at < samples; at += 250) vm.Render(out.data() + at, std::min(250, samples - at));
    return std::make_pair(out, vm.GetVoice(0).Source(0).Phase());
  };
  const double duty = render(0.5, kPlainFast, 1000).second;
  const std::vector<double> plain = render(duty, kPlainFast, 4000).first;
  for (int eight : {0, static_cast<int>(kEightLanes)}) {
    const Gap g = Compare(plain, render(duty, kPlainFast | kFastVoices | eight, 4000).first);
    EXPECT_GT(g.peak, 0.05);
    EXPECT_EQ(g.differing, 0) << eight;
  }
}

// The eight lanes work out a moving cutoff by the formula of its depth's
// sign where all lanes share it: each sign and a depth of 0, on either
// filter, keep the plain samples' bits.
TEST(VoiceLanes, MovingCutoffsKeepTheirBitsForEveryDepthSign)
{
  const double depths[][2] = {{0.8, -0.6}, {-0.5, 0.7}, {0.0, 0.4}, {0.6, 0.0}};
  for (const auto& d : depths) {
    auto render = [&d](int techniques) {
      ScopedTechniques scope(techniques);
      VoiceManager vm;
      BusyPatch(vm, kOscSaw, kOscTriangle, kOscSin);
      vm.SetLowPassEnvDepth(d[0]);
      vm.SetHighPassEnvDepth(d[1]);
      RandomSeed(3);
      for (int note : {50, 57, 62}) vm.NoteOn(note, 100);
      std::vector<double> out(6000);
      for (size_t at = 0; at < out.size(); at += 300) vm.Render(out.data() + at, 300);
      return out;
    };
    const std::vector<double> plain = render(kPlainFast);
    for (int eight : {0, static_cast<int>(kEightLanes)}) {
      const Gap g = Compare(plain, render(kPlainFast | kFastVoices | eight));
      EXPECT_GT(g.peak, 0.02) << d[0] << " " << d[1];
      EXPECT_EQ(g.differing, 0) << d[0] << " " << d[1] << " " << eight;
    }
  }
}
