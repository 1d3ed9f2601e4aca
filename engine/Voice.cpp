#include "engine/Voice.h"

#include <initializer_list>

#include "engine/FastPow.h"

namespace {
double ClampResonance(double q) noexcept { return q > 0.0 ? (q < 100.0 ? q : 100.0) : 0.0; }
}  // namespace

Voice::Voice() noexcept { mAmpEnvelope.cycleFinished.Connect<&Voice::OnAmpCycleFinished>(this); }

Voice::~Voice() = default;

void Voice::NoteOn(int32_t note, int32_t velocity) noexcept
{
  mAmpEnvelope.Reset();
  for (int i = 0; i < kSourceCount; ++i) {
    mSources[i].SetPhase(mStartPhases[i]);
    mSources[i].SetSecondPhase(mStartPhases[i]);
  }
  mNote = note;
  mVelocity = velocity;
  mVelocityGain = static_cast<double>(velocity) / 127.0;
  mActive = true;
  mAmpEnvelope.EnterStage(kStageAttack);
  mPitchEnvelope.Start();
  mLowPass.ClearState();
  mHighPass.ClearState();
  mFilterEnvelope.Reset();
  mFilterEnvelope.EnterStage(kStageAttack);
  mPitchDirty = true;
}

void Voice::Release() noexcept
{
  mAmpEnvelope.EnterStage(kStageRelease);
  mFilterEnvelope.EnterStage(kStageRelease);
}

void Voice::SetSampleRate(double rate) noexcept
{
  mSampleRate = rate;
  mAmpEnvelope.SetSampleRate(rate);
  mFilterEnvelope.SetSampleRate(rate);
  mPitchEnvelope.SetSampleRate(rate);
  for (StateVariableFilter* filter : {&mLowPass, &mHighPass}) {
    const double cutoff = filter->Cutoff();
    const double half = rate * 0.5;
    filter->SetCutoff(cutoff > 0.0 ? (cutoff < half ? cutoff : half) : 0.0);
    filter->SetSampleRate(rate);
  }
  mLowPass.ClearState();
  mHighPass.ClearState();
}

void Voice::UpdateBaseFrequencies() noexcept
{
  for (int i = 0; i < kSourceCount; ++i) {
    const double semitones = static_cast<double>(mTransposes[i]) + 12.0 * mOctaves[i] + mNote - 69.0;
    mBaseFrequencies[i] = 440.0 * FastPow(2.0, semitones / 12.0) * FastPow(2.0, mCents[i] / 1200.0);
  }
  mPitchDirty = false;
}

void Voice::SetWaveform(int source, int32_t waveform) noexcept
{
  if (IsOscillator(source))
    mSources[source].SetWaveform(waveform);
}

void Voice::SetTranspose(int source, int32_t semitones) noexcept
{
  if (IsOscillator(source)) {
    mTransposes[source] = semitones;
    mPitchDirty = true;
  }
}

void Voice::SetOctave(int source, int32_t octaves) noexcept
{
  if (IsOscillator(source)) {
    mOctaves[source] = octaves;
    mPitchDirty = true;
  }
}

void Voice::SetCents(int source, int32_t cents) noexcept
{
  if (IsOscillator(source)) {
    mCents[source] = cents;
    mPitchDirty = true;
  }
}

void Voice::SetSquareDuty(int source, double duty) noexcept
{
  if (IsOscillator(source))
    mSources[source].SetSquareDuty(duty);
}

void Voice::SetStartPhase(int source, double phase) noexcept
{
  if (IsOscillator(source))
    mStartPhases[source] = phase;
}

void Voice::SetLevel(int source, double gain) noexcept
{
  if (IsSource(source))
    mLevels[source] = gain;
}

void Voice::SetEnvelopeDepth(int source, double depth) noexcept
{
  if (IsSource(source))
    mEnvelopeDepths[source] = depth;
}

void Voice::SetLowPassResonance(double q) noexcept { mLowPass.SetQ(ClampResonance(q)); }

void Voice::SetHighPassResonance(double q) noexcept { mHighPass.SetQ(ClampResonance(q)); }
