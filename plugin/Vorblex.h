#pragma once
// The instrument: parameters, MIDI intake, four voices at 8x the host rate, the
// decimator and the output stage, on whichever adapter the library was built
// for. Processing members are defined in plugin/Vorblex.cpp, the editor side
// of processing in plugin/VorblexEditorLink.cpp, the sound design tools in
// plugin/SoundTools.cpp and plugin/DataIndex.cpp, the editor layout in
// plugin/VorblexLayout.cpp.
//
// Threads: ProcessBlockDouble and ProcessMidiMessage run on the host's audio
// thread with the plug-in mutex held by the adapter. Reset, OnParameterChange
// and the state operations take the mutex themselves.
#include <array>
#include <cstdint>
#include <vector>

#include "engine/MidiReceiver.h"
#include "engine/OrbBitCrusher2.h"
#include "engine/OutputStage.h"
#include "engine/OversamplingFilter.h"
#include "engine/PeakMeter.h"
#include "engine/Signal.h"
#include "engine/VoiceManager.h"
#include "plugin/ParamTable.h"
#include "plugin/PlugAdapter.h"

class IGraphics;
class IKeyboardControl;
class ITextControlBitmapFont;
struct RecipeStep;

class Vorblex : public PlugAdapter {
public:
  static constexpr int kOversampling = 8;
  static constexpr int kNumPresets = 1;

  explicit Vorblex(IPlugInstanceInfo instanceInfo = {});
  ~Vorblex() override;

  void Reset() override;
  void OnParameterChange(int paramIdx) override;
  void ProcessBlockDouble(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMessage(const IMidiMessage& msg) override;
  bool SerializeState(IStateChunk& chunk) override;
  int UnserializeState(const IStateChunk& chunk, int startPos) override;
  int CheckState(const IStateChunk& chunk, int startPos) override;
  bool CompareState(const uint8_t* data, int startPos) override;
  void OnPresetsChanged() override;

  // Engine views for tests, tools and meters.
  const VoiceManager& Voices() const { return mVoiceManager; }
  const MidiReceiver& Receiver() const { return mMidiReceiver; }
  const PeakMeter& Meter() const { return mPeakMeter; }
  double MutationAmount() const { return mMutationAmount; }
  double CurrentGain() const { return mGain.Smoothed(); }

  static IPlugConfig Config();

  // ---- Sound design tools, on the editor thread ----
  // Each builds a whole new sound through the editor's controls and appends
  // it to the history; without an editor they do nothing.
  void GenerateRandom();
  void GeneratePickup();
  void GenerateShoot();
  void GeneratePowerup();
  void GenerateHit();
  void GenerateJump();
  void GenerateBlip();
  void GenerateBlade();
  // Moves 29 parameters by up to "Mutation %" / 100 in normalised units.
  void Mutate();
  // Back to the sound of preset 0; the history is left alone.
  void ResetSound();

  // The history of sounds: normalised values of all 60 parameters per entry.
  using SoundEntry = std::array<double, kParamCount>;
  void AppendData();
  void SaveData();
  void PreviousData();
  void NextData();
  void LoadData();
  void ShowDataIndex();
  const std::vector<SoundEntry>& DataList() const { return mDataList; }
  int DataIndex() const { return mDataIndex; }

  // ---- Editor hookups, set by the layout ----
  void SetDataIndexText(ITextControlBitmapFont* control) { mDataIndexText = control; }
  // The keyboard plays notes into the engine and shows the receiver's keys.
  void SetKeyboard(IKeyboardControl* keyboard);
  void SetMeterIndices(int left, int right)
  {
    mMeterLeftIndex = left;
    mMeterRightIndex = right;
  }

private:
  // Editor side of processing (plugin/VorblexEditorLink.cpp): without an
  // editor each of these does nothing.
  void BuildEditor();
  void ReadOnScreenKeyboard();
  void OnMidiForKeyboard();
  void PushMeterLevels();

  IGraphics* Graphics() const;
  void DeliverStep(int paramIdx, double normalizedValue);
  // A parameter's normalised value, read under the plug-in mutex.
  double NormalizedValue(int paramIdx);
  double NormalizedBound(int paramIdx, bool normalised, double v) const;
  void RunRecipeStep(int paramIdx, bool normalised, const RecipeStep& step);
  void Generate(int category);

  void QueueJumpNote(const IMidiMessage& trigger, uint8_t velocity);
  void OnProgramChange(int program);
  // One output sample's worth of decimator input when every voice is free and
  // the decimator holds only zeros: exact zeros, without running the filter.
  bool DecimatorIdle() const;
  // With kFastVoices: `frames` output samples in which no MIDI message falls
  // due, the voices rendered a stretch at a time. True when they are all
  // gain times zero: exact zeros, or NaN where the gain is not finite.
  bool RenderRun(double* out, int frames);
  // The stages after the decimator for one output sample.
  double FinishSample(double d);
  // The same for `frames` decimator outputs, in place, with the same bits:
  // each stage over them all before the next, the curve four samples at a
  // time (OutputLanes).
  void FinishRun(double* d, int frames);

  // Editor side, set by the layout; none without an editor.
  IKeyboardControl* mKeyboard = nullptr;
  int32_t mMeterLeftIndex = -1;
  int32_t mMeterRightIndex = -1;
  // The history of sounds (editor thread only).
  std::vector<SoundEntry> mDataList;
  int32_t mDataIndex = 0;
  ITextControlBitmapFont* mDataIndexText = nullptr;

  int32_t mKeyboardNote = 11;  // last note of the on-screen keyboard; below 12 means none
  Signal<double> mSampleRateSignal;
  double mEngineSampleRate = 44100.0;
  MidiReceiver mMidiReceiver;
  VoiceManager mVoiceManager;
  double mCompressionExponent = 0.0;
  int32_t mJumpTranspose = 0;
  double mJumpDelay = 0.0;
  double mJumpTime = 200.0;
  int32_t mBitCrushPosition = 0;
  OrbBitCrusher2 mInnerCrusher;
  OrbBitCrusher2 mOuterCrusher;
  int32_t mJumpTrigger = 0;
  double mMutationAmount = 0.05;
  SmoothedGain mGain;
  PeakMeter mPeakMeter;
  OversamplingFilter mDecimator;
  // The voices' sum for a stretch of RenderRun(), at the oversampled rate:
  // a common host block in one stretch (16 KB, within the first-level cache),
  // so each run's set-up is paid once per block.
  static constexpr int kRunFrames = 256;
  double mOversampled[kOversampling * kRunFrames] = {};
};
