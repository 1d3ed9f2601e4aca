#pragma once
// One note: three oscillators, white and pink noise, swept by the pitch
// envelope, mixed under the amplitude envelope and filtered high-pass then
// low-pass with cutoffs driven by the filter envelope. Runs at the
// oversampled rate, one NextSample() per oversampled sample.
#include <cstdint>

#include "engine/DspPath.h"
#include "engine/EG.h"
#include "engine/Flush.h"
#include "engine/Oscilator.h"
#include "engine/PitchEnvelope.h"
#include "engine/StateVariableFilter.h"

class Voice
{
public:
  // Sources 0 to 2 are the oscillators, 3 white noise, 4 pink noise.
  static constexpr int kSourceCount = 5;
  static constexpr int kOscillatorCount = 3;
  static constexpr int kWhiteSource = 3;
  static constexpr int kPinkSource = 4;
  // The top of the cutoff parameters, where the envelopes open the filters to.
  static constexpr double kFullCutoff = 22050.0;

  Voice() noexcept;
  virtual ~Voice();
  // The amplitude envelope's signal points at this voice.
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  void NoteOn(int32_t note, int32_t velocity) noexcept;
  // Both envelopes enter their release.
  void Release() noexcept;
  // The oversampled rate for the voice, its envelopes and filters; clears the
  // filter states.
  void SetSampleRate(double rate) noexcept;

  // By the arithmetic DspTechniques() selects, like the voice manager's sum.
  inline double NextSample() noexcept;
  template <int kFast>
  inline double NextSampleT() noexcept;

  // NextSample() in three steps, so the voice manager can run each step for
  // all voices in turn: the voices' independent divisions and library calls
  // then overlap instead of waiting on one another. BeginSample() returns
  // false (and does nothing) for a free voice; the sources draw the noise, so
  // MixSources() must run in voice order.
  // kFast is a set of EDspTechnique flags; the exact forms are the defaults.
  template <int kFast = kDspExact>
  inline bool BeginSample() noexcept;
  template <int kFast = kDspExact>
  inline double MixSources(double rate) noexcept
  {
    uint32_t* random = nullptr;
    return MixSources<kFast>(rate, random);
  }
  // `random` points at the calling thread's random state; a null pointer is
  // set by the first voice that draws, so later voices skip the lookup.
  template <int kFast = kDspExact>
  inline double MixSources(double rate, uint32_t*& random) noexcept;
  template <int kFast = kDspExact>
  inline double FilterMix(double mix) noexcept;

  // Source settings; indices out of range are ignored. Pitch settings take
  // effect at the next sample.
  void SetWaveform(int source, int32_t waveform) noexcept;
  void SetTranspose(int source, int32_t semitones) noexcept;
  void SetOctave(int source, int32_t octaves) noexcept;
  void SetCents(int source, int32_t cents) noexcept;
  void SetSquareDuty(int source, double duty) noexcept;
  void SetStartPhase(int source, double phase) noexcept;
  void SetLevel(int source, double gain) noexcept;
  void SetEnvelopeDepth(int source, double depth) noexcept;

  void SetLowPassCutoff(double hz) noexcept { mLowPassCutoff = hz; }
  void SetHighPassCutoff(double hz) noexcept { mHighPassCutoff = hz; }
  void SetLowPassEnvDepth(double depth) noexcept { mLowPassEnvDepth = depth; }
  void SetHighPassEnvDepth(double depth) noexcept { mHighPassEnvDepth = depth; }
  // Q is held to [0, 100] and applied at once.
  void SetLowPassResonance(double q) noexcept;
  void SetHighPassResonance(double q) noexcept;

  EG& AmpEnvelope() noexcept { return mAmpEnvelope; }
  EG& FilterEnvelope() noexcept { return mFilterEnvelope; }
  PitchEnvelope& Pitch() noexcept { return mPitchEnvelope; }
  const EG& AmpEnvelope() const noexcept { return mAmpEnvelope; }
  const EG& FilterEnvelope() const noexcept { return mFilterEnvelope; }
  const PitchEnvelope& Pitch() const noexcept { return mPitchEnvelope; }
  const Oscilator& Source(int source) const noexcept { return mSources[Clamp(source)]; }
  const StateVariableFilter& LowPass() const noexcept { return mLowPass; }
  const StateVariableFilter& HighPass() const noexcept { return mHighPass; }

  bool IsActive() const noexcept { return mActive; }
  int32_t Note() const noexcept { return mNote; }
  int32_t Velocity() const noexcept { return mVelocity; }
  double SampleRate() const noexcept { return mSampleRate; }
  double Level(int source) const noexcept { return mLevels[Clamp(source)]; }
  double BaseFrequency(int source) const noexcept { return mBaseFrequencies[Clamp(source)]; }
  double CurrentFrequency(int source) const noexcept { return mCurrentFrequencies[Clamp(source)]; }

private:
  // Runs four instances side by side and keeps their state in between.
  friend class VoiceLanes;

  static int Clamp(int source) noexcept { return source < 0 ? 0 : (source >= kSourceCount ? kSourceCount - 1 : source); }
  static bool IsSource(int source) noexcept { return source >= 0 && source < kSourceCount; }
  static bool IsOscillator(int source) noexcept { return source >= 0 && source < kOscillatorCount; }

  void OnAmpCycleFinished() noexcept { mActive = false; }
  void UpdateBaseFrequencies() noexcept;
  inline double LowPassTarget(double e) const noexcept;
  inline double HighPassTarget(double e) const noexcept;

  double mSampleRate = 44100.0;
  // The amplitude envelope's value for the sample in progress.
  double mAmp = 0.0;
  EG mAmpEnvelope;
  Oscilator mSources[kSourceCount];
  double mLevels[kSourceCount] = {1.0, 0.0, 0.0, 0.0, 0.0};
  bool mPitchDirty = true;
  int32_t mNote = 0;
  int32_t mVelocity = 0;
  double mVelocityGain = 0.0;  // velocity / 127
  bool mActive = false;
  StateVariableFilter mLowPass{kFilterLowPass};
  StateVariableFilter mHighPass{kFilterHighPass};
  double mLowPassEnvDepth = 0.0;
  double mHighPassEnvDepth = 0.0;
  EG mFilterEnvelope;
  double mLowPassCutoff = kFullCutoff;
  double mHighPassCutoff = 0.0;
  int32_t mTransposes[kSourceCount] = {};
  int32_t mOctaves[kSourceCount] = {};
  int32_t mCents[kSourceCount] = {};
  double mStartPhases[kSourceCount] = {};
  double mEnvelopeDepths[kSourceCount] = {1.0, 1.0, 1.0, 1.0, 1.0};
  PitchEnvelope mPitchEnvelope;
  double mBaseFrequencies[kSourceCount] = {};
  double mCurrentFrequencies[kSourceCount] = {};
};

inline double Voice::LowPassTarget(double e) const noexcept
{
  const double b = mLowPassCutoff;
  const double w = mLowPassEnvDepth;
  if (w > 0.0)
    return b * (1.0 - w) + w * ((1.0 - e) * b + kFullCutoff * e);
  if (w < 0.0)
    return b * (1.0 + w) + (-w) * ((1.0 - e) * kFullCutoff + e * b);
  return b;
}

inline double Voice::HighPassTarget(double e) const noexcept
{
  const double h = mHighPassCutoff;
  const double d = mHighPassEnvDepth;
  if (d > 0.0)
    return d * (1.0 - e) * h + (1.0 - d) * h;
  if (d < 0.0)
    return (-d) * e * h + (1.0 + d) * h;
  return h;
}

template <int kFast>
inline bool Voice::BeginSample() noexcept
{
  if (!mActive)
    return false;
  if (mPitchDirty)
    UpdateBaseFrequencies();

  // The noise sources ignore their frequency, so only the oscillators are swept.
  const double position = mPitchEnvelope.NextPositionT<(kFast & kFastPow) != 0>();
  for (int i = 0; i < kOscillatorCount; ++i)
    mCurrentFrequencies[i] = mPitchEnvelope.Apply(position, mBaseFrequencies[i]);

  mAmp = mAmpEnvelope.NextSample();
  const double e = mFilterEnvelope.NextSample();
  mLowPass.SetCutoffClampedT<(kFast & kFastTrig) != 0>(LowPassTarget(e));
  mHighPass.SetCutoffClampedT<(kFast & kFastTrig) != 0>(HighPassTarget(e));
  return true;
}

template <int kFast>
inline double Voice::MixSources(double rate, uint32_t*& random) noexcept
{
  if (!random && (mLevels[3] > 0.0 || mLevels[4] > 0.0))
    random = &vorblex_random::ThreadState();
  // Oscillator 1 always runs; the others only while they are heard.
  const double s1 = mSources[0].NextSampleT<(kFast & kFastTrig) != 0>(mCurrentFrequencies[0], rate) * mLevels[0];
  const double s2 = mLevels[1] > 0.0 ? mSources[1].NextSampleT<(kFast & kFastTrig) != 0>(mCurrentFrequencies[1], rate) * mLevels[1] : 0.0;
  const double s3 = mLevels[2] > 0.0 ? mSources[2].NextSampleT<(kFast & kFastTrig) != 0>(mCurrentFrequencies[2], rate) * mLevels[2] : 0.0;
  const double s4 = mLevels[3] > 0.0 ? Oscilator::WhiteNoise(*random) * mLevels[3] : 0.0;
  const double s5 = mLevels[4] > 0.0 ? mSources[4].PinkNoise(*random) * mLevels[4] : 0.0;

  const double a = mAmp;
  const double* d = mEnvelopeDepths;
  double m = s1 * (1.0 - d[0] + d[0] * a);
  m += s2 * (1.0 - d[1] + d[1] * a);
  m += s3 * (1.0 - d[2] + d[2] * a);
  m += s4 * (1.0 - d[3] + d[3] * a);
  m += s5 * (1.0 - d[4] + d[4] * a);
  if (kFast & kFastFilter)
    return m * mVelocityGain;
  return m * static_cast<double>(mVelocity) / 127.0;
}

template <int kFast>
inline double Voice::FilterMix(double m) noexcept
{
  if (kFast & kFastFilter) {
    m = FlushToZero(mHighPass.StepFast(m));
    return FlushToZero(mLowPass.StepFast(m));
  }
  m = FlushToZero(mHighPass.Step(m));
  return FlushToZero(mLowPass.Step(m));
}

template <int kFast>
inline double Voice::NextSampleT() noexcept
{
  const double rate = static_cast<double>(static_cast<int32_t>(mSampleRate));
  if (!BeginSample<kFast>())
    return 0.0;
  return FilterMix<kFast>(MixSources<kFast>(rate));
}

inline double Voice::NextSample() noexcept
{
  const int t = DspTechniques();
  const bool trig = t & kFastTrig, power = t & kFastPow, filter = t & kFastFilter;
  if (trig && power && filter)
    return NextSampleT<kFastTrig | kFastPow | kFastFilter>();
  if (!trig && !power && !filter)
    return NextSampleT<kDspExact>();
  // Single techniques, as the benchmark and the agreement tests select them.
  if (trig)
    return power ? NextSampleT<kFastTrig | kFastPow>() : (filter ? NextSampleT<kFastTrig | kFastFilter>() : NextSampleT<kFastTrig>());
  if (power)
    return filter ? NextSampleT<kFastPow | kFastFilter>() : NextSampleT<kFastPow>();
  return NextSampleT<kFastFilter>();
}
