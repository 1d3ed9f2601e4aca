#include "plugin/Vorblex.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/OutputLanes.h"
#include "platform/DebugPrint.h"

namespace {
constexpr int32_t kVersion = 0x00010001;
// Decimator history below this, with every voice free, is residue of
// rounding, not sound.
constexpr double kSettleLevel = 1e-12;

// Truncation toward zero of a parameter value that the parameter's own range
// keeps well inside int.
int32_t Trunc(double v) { return static_cast<int32_t>(v); }
}  // namespace

IPlugConfig Vorblex::Config()
{
  IPlugConfig c;
  c.nParams = kParamCount;
  c.channelIOStr = "0-1 0-2";
  c.nPresets = kNumPresets;
  c.effectName = "Vorblex";
  c.productName = "";
  c.makerName = "Tessolar";
  c.version = kVersion;
  c.uniqueID = MakeFourCC('s', 'p', 'g', 'p');
  c.makerID = MakeFourCC('P', 'q', 'x', 'r');
  c.stateChunks = false;
  c.isInstrument = true;
  c.midiIn = true;
  return c;
}

Vorblex::Vorblex(IPlugInstanceInfo instanceInfo) : PlugAdapter(instanceInfo, Config())
{
  mDecimator.Design(OversamplingFilter::kDecimationCutoff);
  mDecimator.Reset();

  InitParameters(*this);
  for (int i = 0; i < kParamCount; ++i) OnParameterChange(i);

  BuildEditor();

  FillEmptyPresets("-", 1);

  mSampleRateSignal.Connect<&VoiceManager::SetSampleRate>(&mVoiceManager);
  mMidiReceiver.mNoteOn.Connect<&VoiceManager::NoteOn>(&mVoiceManager);
  mMidiReceiver.mNoteOff.Connect<&VoiceManager::NoteOff>(&mVoiceManager);
  mMidiReceiver.mProgramChange.Connect<&Vorblex::OnProgramChange>(this);

  // Ready to play at the default rate and block size before a host sets
  // either: a host that processes first still hears the instrument in tune.
  Reset();
}

Vorblex::~Vorblex()
{
  // Controls point into this object; they go before anything else.
  DeleteEditor();
}

void Vorblex::OnProgramChange(int program) { DebugPrint("mudou %d", program); }

void Vorblex::Reset()
{
  MutexLock lock(Mutex());
  const double rate = GetSampleRate();
  // The adapters refuse rates that are not positive finite numbers; the check
  // here keeps the engine at its previous rate whatever reaches it.
  if (!(rate > 0.0) || !std::isfinite(rate)) return;
  mEngineSampleRate = rate;
  mDecimator.Reset();
  mMidiReceiver.Resize(GetBlockSize());
  // Voices, envelopes, filters and oscillators take the oversampled rate; the
  // oscillators use it truncated to whole hertz.
  mSampleRateSignal.Emit(kOversampling * rate);
  mInnerCrusher.SetClockRate(kOversampling * rate);
  mOuterCrusher.SetClockRate(rate);
}

void Vorblex::OnParameterChange(int paramIdx)
{
  MutexLock lock(Mutex());
  const IParameter* param = GetParameter(paramIdx);
  if (!param) return;
  const double v = param->Value();
  VoiceManager& vm = mVoiceManager;
  switch (paramIdx) {
    case kOutputGain: mGain.SetTargetDb(v); break;
    case kOsc1Type: case kOsc2Type: case kOsc3Type: vm.SetWaveform(paramIdx - kOsc1Type, Trunc(v)); break;
    case kOsc1Level: case kOsc2Level: case kOsc3Level: case kWhiteLevel: case kPinkLevel:
      vm.SetLevel(paramIdx - kOsc1Level, v < -95.0 ? 0.0 : DbToGain(v));
      break;
    case kOsc1Octave: case kOsc2Octave: case kOsc3Octave: vm.SetOctave(paramIdx - kOsc1Octave, Trunc(v)); break;
    case kOsc1Transpose: case kOsc2Transpose: case kOsc3Transpose:
      vm.SetTranspose(paramIdx - kOsc1Transpose, Trunc(v));
      break;
    case kOsc1Cents: case kOsc2Cents: case kOsc3Cents: vm.SetCents(paramIdx - kOsc1Cents, Trunc(v)); break;
    case kOsc1SquareDuty: case kOsc2SquareDuty: case kOsc3SquareDuty:
      vm.SetSquareDuty(paramIdx - kOsc1SquareDuty, v);
      break;
    case kOsc1Phase: case kOsc2Phase: case kOsc3Phase: vm.SetStartPhase(paramIdx - kOsc1Phase, v); break;
    case kOsc1EnvDepth: case kOsc2EnvDepth: case kOsc3EnvDepth: case kWhiteEnvDepth: case kPinkEnvDepth:
      vm.SetEnvelopeDepth(paramIdx - kOsc1EnvDepth, v);
      break;
    case kAmpEnvAttack: case kAmpEnvHold: case kAmpEnvDecay: case kAmpEnvSustain: case kAmpEnvRelease:
      vm.SetAmpEnvelopeStage(static_cast<EEnvelopeStage>(kStageAttack + (paramIdx - kAmpEnvAttack)), v);
      break;
    case kPitchHighNote: vm.SetPitchHighNote(Trunc(v)); break;
    case kPitchLowNote: vm.SetPitchLowNote(Trunc(v)); break;
    case kPitchDuration: vm.SetPitchDuration(v); break;
    case kPitchStart: vm.SetPitchStart(v); break;
    case kPitchEnd: vm.SetPitchEnd(v); break;
    case kPitchCurve: vm.SetPitchCurve(v); break;
    case kFilterLPCutoff: vm.SetLowPassCutoff(v); break;
    case kFilterLPResonance: vm.SetLowPassResonance(std::min(std::max(v, 0.0), 100.0)); break;
    case kFilterLPEnvDepth: vm.SetLowPassEnvDepth(v); break;
    case kFilterHPCutoff: vm.SetHighPassCutoff(v); break;
    case kFilterHPResonance: vm.SetHighPassResonance(std::min(std::max(v, 0.0), 100.0)); break;
    case kFilterHPEnvDepth: vm.SetHighPassEnvDepth(v); break;
    case kCompressionFactor: mCompressionExponent = CompressionExponent(v); break;
    case kPitchJumpTranspose: mJumpTranspose = Trunc(v); break;
    case kPitchJumpDelay: mJumpDelay = v; break;
    case kPitchJumpTime: mJumpTime = v; break;
    case kPitchJumpTrigger: mJumpTrigger = Trunc(v); break;
    case kFilterEnvAttack: case kFilterEnvHold: case kFilterEnvDecay: case kFilterEnvSustain: case kFilterEnvRelease:
      vm.SetFilterEnvelopeStage(static_cast<EEnvelopeStage>(kStageAttack + (paramIdx - kFilterEnvAttack)), v);
      break;
    case kBitCrushPosition: mBitCrushPosition = Trunc(v); break;
    case kBitCrushSampleRate:
      mInnerCrusher.SetTargetRate(v);
      mOuterCrusher.SetTargetRate(v);
      break;
    case kBitCrushBitDepth:
      mInnerCrusher.SetBitDepth(v);
      mOuterCrusher.SetBitDepth(v);
      break;
    case kMutationPercent: mMutationAmount = v / 100.0; break;
    default: break;
  }
}

void Vorblex::QueueJumpNote(const IMidiMessage& trigger, uint8_t velocity)
{
  // A transposed note outside the MIDI range has no key to play; drop it
  // rather than wrap it into an unrelated note.
  const int note = trigger.mData1 + mJumpTranspose;
  if (note < 0 || note > 127) return;
  const int64_t delay = static_cast<int64_t>(mEngineSampleRate * mJumpDelay);
  const int64_t length = static_cast<int64_t>(mEngineSampleRate * mJumpTime);
  const int64_t onAt = trigger.mOffset + delay;
  const int64_t offAt = trigger.mOffset + length + delay;
  if (offAt > INT32_MAX) return;
  const uint8_t channel = static_cast<uint8_t>(trigger.mStatus & 0x0F);
  mMidiReceiver.Add(IMidiMessage(static_cast<int32_t>(onAt), 0x90 | channel, static_cast<uint8_t>(note), velocity));
  mMidiReceiver.Add(IMidiMessage(static_cast<int32_t>(offAt), 0x80 | channel, static_cast<uint8_t>(note), 0));
}

void Vorblex::ProcessMidiMessage(const IMidiMessage& msg)
{
  const int kind = msg.Kind();
  if (kind >= 0x8 && kind <= 0xE) mMidiReceiver.Add(msg);

  if (mJumpDelay != 0.0) {
    if (kind == 0x9 && (mJumpTrigger == 0 || mJumpTrigger == 2)) QueueJumpNote(msg, msg.mData2);
    if (kind == 0x8 && (mJumpTrigger == 1 || mJumpTrigger == 2)) QueueJumpNote(msg, 127);
  }

  OnMidiForKeyboard();
  SendMidiMessage(msg);
}

bool Vorblex::DecimatorIdle() const
{
  return mVoiceManager.ActiveVoiceCount() == 0 && mDecimator.IsSilent();
}

void Vorblex::ProcessBlockDouble(double** /*inputs*/, double** outputs, int nFrames)
{
  if (nFrames <= 0 || !outputs || !outputs[0]) return;

  ReadOnScreenKeyboard();

  const bool secondOutput = NOutChannels() >= 2 && IsOutChannelConnected(1) && outputs[1];
  double* out0 = outputs[0];
  double* out1 = secondOutput ? outputs[1] : nullptr;
  mPeakMeter.ClearBlockPeaks();

  if (DspTechniques() & kFastVoices) {
    for (int i = 0; i < nFrames;) {
      mMidiReceiver.Advance();
      const int run = mMidiReceiver.QuietFrames(nFrames - i);
      mMidiReceiver.Skip(run - 1);
      // Zeros (or NaN) in both channels leave the peaks as they are.
      const bool unmetered = RenderRun(out0 + i, run) && (out1 || !outputs[1]);
      for (int j = i; j < i + run; ++j) {
        if (out1) out1[j] = out0[j];
        if (!unmetered) mPeakMeter.AddSamples(out0[j], out1 ? out1[j] : (outputs[1] ? outputs[1][j] : 0.0));
      }
      i += run;
    }
    mPeakMeter.EndBlock();
    PushMeterLevels();
    mMidiReceiver.EndBlock(nFrames);
    return;
  }

  for (int i = 0; i < nFrames; ++i) {
    mMidiReceiver.Advance();

    double d;
    if (DecimatorIdle() && (mBitCrushPosition != 1 || mInnerCrusher.HeldValue() == 0.0)) {
      // Free voices and an all-zero filter history give exact zeros; the
      // inner crusher still counts its hold period so its phase is kept.
      if (mBitCrushPosition == 1) {
        for (int j = 0; j < kOversampling; ++j) mInnerCrusher.Process(0.0);
      }
      d = 0.0;
    } else {
      d = 0.0;
      for (int j = 0; j < kOversampling; ++j) {
        double s = mVoiceManager.NextSample();
        if (mBitCrushPosition == 1) s = mInnerCrusher.Process(s);
        s = FlushToZero(s);
        const double y = mDecimator.Step(s);
        if (j == 0) d = y;
      }
      // Rounding keeps the decimator ringing at around 1e-15 forever once a
      // sound has passed; the compression curve would lift that to an
      // audible floor. With no voice left, history below -240 dB is cleared.
      if (mVoiceManager.ActiveVoiceCount() == 0 && !mDecimator.IsSilent() && mDecimator.IsBelow(kSettleLevel))
        mDecimator.Reset();
    }

    if (mBitCrushPosition == 2) d = mOuterCrusher.Process(d);
    // The curve maps 0 to exactly 0; skipping its pow keeps silence cheap.
    const double c = d == 0.0 ? 0.0 : CompressionCurve(d, mCompressionExponent);
    const double out = mGain.Apply(c);
    out0[i] = out;
    if (out1) out1[i] = out;
    mPeakMeter.AddSamples(out0[i], out1 ? out1[i] : (outputs[1] ? outputs[1][i] : 0.0));
  }

  mPeakMeter.EndBlock();
  PushMeterLevels();
  mMidiReceiver.EndBlock(nFrames);
}

double Vorblex::FinishSample(double d)
{
  if (mBitCrushPosition == 2) d = mOuterCrusher.Process(d);
  const double c = d == 0.0 ? 0.0 : CompressionCurve(d, mCompressionExponent);
  return mGain.Apply(c);
}

bool Vorblex::RenderRun(double* out, int frames)
{
  if (DecimatorIdle() && (mBitCrushPosition != 1 || mInnerCrusher.HeldValue() == 0.0)) {
    // No note starts within the run, so it stays silent to the end: the
    // inner crusher only counts its hold period.
    if (mBitCrushPosition == 1) mInnerCrusher.Skip(static_cast<int64_t>(kOversampling) * frames);
    if (mBitCrushPosition == 2) {
      for (int i = 0; i < frames; ++i) out[i] = FinishSample(0.0);
    } else {
      // The curve maps 0 to 0; only the gain's smoothing moves.
      for (int i = 0; i < frames; ++i) out[i] = mGain.Apply(0.0);
      return true;
    }
    return false;
  }
  const bool blocks = (DspTechniques() & kDecimatorBlocks) != 0;
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, kRunFrames);
    // The inner crusher reads its input once per hold period only.
    int firstRead = 0, readEvery = 1;
    if (mBitCrushPosition == 1) mInnerCrusher.ReadPattern(kOversampling * n, firstRead, readEvery);
    const int freeAfter = mVoiceManager.Render(mOversampled, kOversampling * n, firstRead, readEvery);
    double* d = out + done;
    double* s = mOversampled;
    // Once the voices are free this is what the idle path gives as well:
    // zeros through the crusher and the decimator.
    if (mBitCrushPosition == 1)
      mInnerCrusher.ProcessRun(s, kOversampling * n);
    OutputLanes::Flush(s, kOversampling * n);
    int f = 0;
    if (blocks) {
      // The frames before the voices fall free need no look at the history.
      f = std::clamp((freeAfter + kOversampling - 1) / kOversampling - 1, 0, n);
      mDecimator.StepEightRun(s, f, d);
      s += kOversampling * f;
    }
    for (; f < n; ++f, s += kOversampling) {
      if (blocks) {
        d[f] = mDecimator.StepEight(s);
      } else {
        d[f] = mDecimator.Step(s[0]);
        for (int j = 1; j < kOversampling; ++j) mDecimator.Step(s[j]);
      }
      if (freeAfter <= kOversampling * (f + 1) && !mDecimator.IsSilent() && mDecimator.IsBelow(kSettleLevel))
        mDecimator.Reset();
    }
    FinishRun(d, n);
    done += n;
  }
  return false;
}

void Vorblex::FinishRun(double* d, int frames)
{
  if (mBitCrushPosition == 2)
    mOuterCrusher.ProcessRun(d, frames);
  OutputLanes::Curve(d, frames, mCompressionExponent);
  mGain.ApplyRun(d, frames);
}

bool Vorblex::SerializeState(IStateChunk& chunk)
{
  MutexLock lock(Mutex());
  if (!chunk.PutInt(GetEffectVersion())) return false;
  return SerializeParams(chunk);
}

namespace {
// Where the parameter values of a state at startPos begin: after the version
// word; -1 when the word is not all there.
int ParamsPos(const IStateChunk& chunk, int startPos)
{
  return startPos >= 0 && static_cast<int64_t>(startPos) + 4 <= chunk.Size() ? startPos + 4 : -1;
}
}  // namespace

int Vorblex::UnserializeState(const IStateChunk& chunk, int startPos)
{
  MutexLock lock(Mutex());
  return UnserializeParams(chunk, ParamsPos(chunk, startPos));
}

int Vorblex::CheckState(const IStateChunk& chunk, int startPos) { return CheckParams(chunk, ParamsPos(chunk, startPos)); }

bool Vorblex::CompareState(const uint8_t* data, int /*startPos*/)
{
  if (!data) return false;
  int32_t version;
  std::memcpy(&version, data, sizeof version);
  return version == GetEffectVersion() && CompareParams(data, 4);
}
