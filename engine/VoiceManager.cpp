#include "engine/VoiceManager.h"

#include <new>

namespace {
// Every setting reaches all four voices, sounding or not.
template <typename Setter, typename... Args>
void ForAll(Voice (&voices)[VoiceManager::kVoiceCount], Setter setter, Args... args) noexcept
{
  for (Voice& voice : voices)
    (voice.*setter)(args...);
}
}  // namespace

VoiceManager::VoiceManager() noexcept : mLaneWork(new (std::nothrow) VoiceLanes::Work) {}

VoiceManager::~VoiceManager() = default;

void VoiceManager::NoteOn(int32_t note, int32_t velocity) noexcept
{
  for (Voice& voice : mVoices) {
    if (!voice.IsActive()) {
      voice.NoteOn(note, velocity);
      return;
    }
  }
}

void VoiceManager::NoteOff(int32_t note, int32_t /*velocity*/) noexcept
{
  for (Voice& voice : mVoices)
    if (voice.IsActive() && voice.Note() == note)
      voice.Release();
}

void VoiceManager::SetSampleRate(double oversampledRate) noexcept
{
  mOscillatorRate = static_cast<double>(static_cast<int32_t>(oversampledRate));
  for (Voice& voice : mVoices)
    voice.SetSampleRate(oversampledRate);
}

int VoiceManager::ActiveVoiceCount() const noexcept
{
  int count = 0;
  for (const Voice& voice : mVoices)
    count += voice.IsActive() ? 1 : 0;
  return count;
}

void VoiceManager::SetWaveform(int source, int32_t waveform) noexcept { ForAll(mVoices, &Voice::SetWaveform, source, waveform); }

void VoiceManager::SetTranspose(int source, int32_t semitones) noexcept { ForAll(mVoices, &Voice::SetTranspose, source, semitones); }

void VoiceManager::SetOctave(int source, int32_t octaves) noexcept { ForAll(mVoices, &Voice::SetOctave, source, octaves); }

void VoiceManager::SetCents(int source, int32_t cents) noexcept { ForAll(mVoices, &Voice::SetCents, source, cents); }

void VoiceManager::SetSquareDuty(int source, double duty) noexcept { ForAll(mVoices, &Voice::SetSquareDuty, source, duty); }

void VoiceManager::SetStartPhase(int source, double phase) noexcept { ForAll(mVoices, &Voice::SetStartPhase, source, phase); }

void VoiceManager::SetLevel(int source, double gain) noexcept { ForAll(mVoices, &Voice::SetLevel, source, gain); }

void VoiceManager::SetEnvelopeDepth(int source, double depth) noexcept { ForAll(mVoices, &Voice::SetEnvelopeDepth, source, depth); }

void VoiceManager::SetAmpEnvelopeStage(EEnvelopeStage stage, double value) noexcept
{
  for (Voice& voice : mVoices)
    voice.AmpEnvelope().SetStageValue(stage, value);
}

void VoiceManager::SetFilterEnvelopeStage(EEnvelopeStage stage, double value) noexcept
{
  for (Voice& voice : mVoices)
    voice.FilterEnvelope().SetStageValue(stage, value);
}

void VoiceManager::SetPitchHighNote(int32_t note) noexcept
{
  for (Voice& voice : mVoices)
    voice.Pitch().SetHighNote(note);
}

void VoiceManager::SetPitchLowNote(int32_t note) noexcept
{
  for (Voice& voice : mVoices)
    voice.Pitch().SetLowNote(note);
}

void VoiceManager::SetPitchDuration(double seconds) noexcept
{
  for (Voice& voice : mVoices)
    voice.Pitch().SetDuration(seconds);
}

void VoiceManager::SetPitchStart(double position) noexcept
{
  for (Voice& voice : mVoices)
    voice.Pitch().SetStart(position);
}

void VoiceManager::SetPitchEnd(double position) noexcept
{
  for (Voice& voice : mVoices)
    voice.Pitch().SetEnd(position);
}

void VoiceManager::SetPitchCurve(double exponent) noexcept
{
  for (Voice& voice : mVoices)
    voice.Pitch().SetCurve(exponent);
}

void VoiceManager::SetLowPassCutoff(double hz) noexcept { ForAll(mVoices, &Voice::SetLowPassCutoff, hz); }

void VoiceManager::SetLowPassResonance(double q) noexcept { ForAll(mVoices, &Voice::SetLowPassResonance, q); }

void VoiceManager::SetLowPassEnvDepth(double depth) noexcept { ForAll(mVoices, &Voice::SetLowPassEnvDepth, depth); }

void VoiceManager::SetHighPassCutoff(double hz) noexcept { ForAll(mVoices, &Voice::SetHighPassCutoff, hz); }

void VoiceManager::SetHighPassResonance(double q) noexcept { ForAll(mVoices, &Voice::SetHighPassResonance, q); }

void VoiceManager::SetHighPassEnvDepth(double depth) noexcept { ForAll(mVoices, &Voice::SetHighPassEnvDepth, depth); }
