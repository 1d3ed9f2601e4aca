#pragma once
// The instrument's four voices: a note-on takes the first free voice (none is
// stolen), a note-off releases every voice playing that note, and every
// setting reaches all four voices whether they sound or not.
#include <cstdint>
#include <memory>

#include "engine/DspPath.h"
#include "engine/Voice.h"
#include "engine/VoiceLanes.h"

class VoiceManager
{
public:
  static constexpr int kVoiceCount = 4;

  VoiceManager() noexcept;
  virtual ~VoiceManager();
  VoiceManager(const VoiceManager&) = delete;
  VoiceManager& operator=(const VoiceManager&) = delete;

  // Listeners of the MIDI receiver's note signals and of the sample-rate signal.
  void NoteOn(int32_t note, int32_t velocity) noexcept;
  void NoteOff(int32_t note, int32_t velocity) noexcept;
  void SetSampleRate(double oversampledRate) noexcept;

  // Sum of the four voices for one oversampled sample, in voice order, by
  // the arithmetic DspTechniques() selects.
  inline double NextSample() noexcept;
  template <int kFast>
  inline double NextSampleT() noexcept;
  // `count` consecutive oversampled sums; the same values as calling
  // NextSample() `count` times (with kFastVoices, runs go through the vector
  // lanes). Returns how many samples in the last voice fell free: 0 when none
  // sounded at the start, count + 1 when one still sounds at the end.
  // A caller that reads only samples firstRead, firstRead + readEvery, ...
  // (a crusher that holds its input) says so: the vector lanes then leave
  // the others as they were, and all voices still step through every sample.
  inline int Render(double* out, int count, int firstRead = 0, int readEvery = 1) noexcept;

  Voice& GetVoice(int index) noexcept { return mVoices[index < 0 ? 0 : (index >= kVoiceCount ? kVoiceCount - 1 : index)]; }
  const Voice& GetVoice(int index) const noexcept
  {
    return mVoices[index < 0 ? 0 : (index >= kVoiceCount ? kVoiceCount - 1 : index)];
  }
  int ActiveVoiceCount() const noexcept;

  // Per-parameter settings, written into all four voices. `source` is 0 to 2
  // for the oscillators, 0 to 4 for levels and envelope depths (3 white noise,
  // 4 pink noise). Values are in engine units: gains linear, times in seconds.
  void SetWaveform(int source, int32_t waveform) noexcept;
  void SetTranspose(int source, int32_t semitones) noexcept;
  void SetOctave(int source, int32_t octaves) noexcept;
  void SetCents(int source, int32_t cents) noexcept;
  void SetSquareDuty(int source, double duty) noexcept;
  void SetStartPhase(int source, double phase) noexcept;
  void SetLevel(int source, double gain) noexcept;
  void SetEnvelopeDepth(int source, double depth) noexcept;
  // stage 1 to 5: attack, hold, decay, sustain, release.
  void SetAmpEnvelopeStage(EEnvelopeStage stage, double value) noexcept;
  void SetFilterEnvelopeStage(EEnvelopeStage stage, double value) noexcept;
  void SetPitchHighNote(int32_t note) noexcept;
  void SetPitchLowNote(int32_t note) noexcept;
  void SetPitchDuration(double seconds) noexcept;
  void SetPitchStart(double position) noexcept;
  void SetPitchEnd(double position) noexcept;
  void SetPitchCurve(double exponent) noexcept;
  void SetLowPassCutoff(double hz) noexcept;
  void SetLowPassResonance(double q) noexcept;
  void SetLowPassEnvDepth(double depth) noexcept;
  void SetHighPassCutoff(double hz) noexcept;
  void SetHighPassResonance(double q) noexcept;
  void SetHighPassEnvDepth(double depth) noexcept;

private:
  Voice mVoices[kVoiceCount];
  // The oscillators' rate: the oversampled rate truncated to whole hertz.
  // Held per instance, so instances running at different rates in one
  // process keep their own tuning.
  double mOscillatorRate = 44100.0;
  // The voice lanes' work space, kept with the voices rather than on the
  // audio thread's stack, and apart from them, so that the instance's other
  // state stays close together. Without it (its allocation failed) the
  // voices render the plain way.
  std::unique_ptr<VoiceLanes::Work> mLaneWork;
};

inline double VoiceManager::NextSample() noexcept
{
  switch (DspTechniques() & (kFastTrig | kFastPow | kFastFilter)) {
  case kFastTrig | kFastPow | kFastFilter: return NextSampleT<kFastTrig | kFastPow | kFastFilter>();
  case kFastTrig | kFastPow: return NextSampleT<kFastTrig | kFastPow>();
  case kFastTrig | kFastFilter: return NextSampleT<kFastTrig | kFastFilter>();
  case kFastPow | kFastFilter: return NextSampleT<kFastPow | kFastFilter>();
  case kFastTrig: return NextSampleT<kFastTrig>();
  case kFastPow: return NextSampleT<kFastPow>();
  case kFastFilter: return NextSampleT<kFastFilter>();
  default: return NextSampleT<kDspExact>();
  }
}

template <int kFast>
inline double VoiceManager::NextSampleT() noexcept
{
  // Voice by voice, step by step: the same arithmetic as calling each
  // voice's NextSample() in turn, with the random draws in the same order.
  const double rate = mOscillatorRate;
  bool on[kVoiceCount];
  for (int i = 0; i < kVoiceCount; ++i)
    on[i] = mVoices[i].template BeginSample<kFast>();
  double mix[kVoiceCount];
  uint32_t* random = nullptr;  // looked up once, by the first voice that draws
  for (int i = 0; i < kVoiceCount; ++i)
    mix[i] = on[i] ? mVoices[i].template MixSources<kFast>(rate, random) : 0.0;
  double sum = on[0] ? mVoices[0].template FilterMix<kFast>(mix[0]) : 0.0;
  for (int i = 1; i < kVoiceCount; ++i)
    sum += on[i] ? mVoices[i].template FilterMix<kFast>(mix[i]) : 0.0;
  return sum;
}

inline int VoiceManager::Render(double* out, int count, int firstRead, int readEvery) noexcept
{
  // Voice by voice within each step: the noise sources share one random
  // sequence, so the order of the calls is part of the sound.
  if (ActiveVoiceCount() == 0) {
    for (int j = 0; j < count; ++j)
      out[j] = 0.0;
    return 0;
  }
  const bool lanes = (DspTechniques() & kFastVoices) != 0 && VoiceLanes::UsesWideLanes() && mLaneWork;
  for (int j = 0; j < count;) {
    // The first sample read from j on, counted from j.
    const int read = j <= firstRead ? firstRead - j : (readEvery - (j - firstRead) % readEvery) % readEvery;
    const int run = lanes ? VoiceLanes::Run(mVoices, mOscillatorRate, out + j, count - j, *mLaneWork, read, readEvery) : 0;
    if (run > 0) {
      j += run;
      continue;
    }
    out[j] = lanes ? NextSampleT<kFastTrig | kFastPow | kFastFilter>() : NextSample();
    ++j;
    if (ActiveVoiceCount() == 0) {
      for (int k = j; k < count; ++k)
        out[k] = 0.0;
      return j;
    }
  }
  return count + 1;
}
