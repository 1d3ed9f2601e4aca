#pragma once
// Host-independent core of the plug-in.
//
// Lifecycle (all on the host's user-interface thread unless noted):
//  1. An adapter constructs the plug-in class under the module-wide creation
//     mutex; the base constructor creates the parameters, presets and channel
//     records from the configuration.
//  2. The plug-in class initialises its parameters, builds its editor and fills
//     its first preset.
//  3. The host sets sample rate and block size (each followed by Reset),
//     activates processing and calls process entries on its audio thread; the
//     adapter holds the plug-in mutex around every process, parameter and state
//     entry, so parameter changes never interleave with a block.
//  4. Destruction deletes the editor graphics first, then parameters, presets
//     and channel records.
// Between Reset calls the sample rate and block size stay constant.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/IEditorLink.h"
#include "framework/IParameter.h"
#include "framework/IPlugStructs.h"
#include "framework/IStateChunk.h"
#include "framework/HostIdentification.h"
#include "platform/Mutex.h"

// Construction inputs of a plug-in: the plug-in class fills these; the adapter
// adds its interface kind.
struct IPlugConfig {
  int nParams = 0;
  const char* channelIOStr = "";
  int nPresets = 1;
  const char* effectName = "";
  const char* productName = "";
  const char* makerName = "";
  int32_t version = 0;  // 0xMMMMmmbb
  int32_t uniqueID = 0;
  int32_t makerID = 0;
  bool stateChunks = false;
  bool isInstrument = false;
  bool midiIn = false;
};

// Interface kinds: which adapter the plug-in runs on.
enum EInterfaceKind : int32_t { kInterfaceVST2 = 0, kInterfaceVST3 = 1, kInterfaceOffline = 2 };

constexpr int32_t MakeFourCC(char a, char b, char c, char d)
{
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

// Decimal MMmmbb to 0xMMMMmmbb.
int32_t HostVersionFromDecimal(int32_t decimal);

class IPlugBase {
public:
  IPlugBase(const IPlugConfig& config, int32_t interfaceKind);
  virtual ~IPlugBase();
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // ---- Virtual operations, in slot order ----
  virtual void Reset();
  virtual void OnParameterChange(int paramIdx);
  virtual void ProcessBlockDouble(double** inputs, double** outputs, int nFrames);
  virtual void ProcessBlockSingle(float** inputs, float** outputs, int nFrames);
  virtual void OnEditorOpen() {}
  virtual void OnEditorClose() {}
  virtual void OnActivate(bool active);
  virtual void ProcessMidiMessage(const IMidiMessage& msg);
  virtual void ProcessSysEx(const ISysExMessage&) {}
  virtual bool GetMidiNoteName(int noteNumber, char* text);
  virtual bool SerializeState(IStateChunk& chunk);
  // Restores a whole state or nothing: on failure (-1) every value is as it
  // was. Returns the position after the state.
  virtual int UnserializeState(const IStateChunk& chunk, int startPos);
  virtual bool CompareState(const uint8_t* data, int startPos);
  virtual void OnEditorResize() {}
  virtual void OnHostIdentified() {}
  virtual void ShowHostParameterMenu(int /*paramIdx*/, int /*x*/, int /*y*/) {}
  virtual void SetParameterFromEditor(int paramIdx, double normalizedValue);
  virtual void BeginHostParameterEdit(int paramIdx) = 0;
  virtual void InformHostParameterValue(int paramIdx, double normalizedValue) = 0;
  virtual void EndHostParameterEdit(int paramIdx) = 0;
  virtual void InformHostPresetChange() = 0;
  virtual bool IsOfflineRender() { return false; }
  virtual int GetSamplePosition() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSignature(int* numerator, int* denominator) = 0;
  virtual void GetTransportInfo(ITransportInfo* info) = 0;
  virtual EHostKind GetHostKind() { return mHostKind; }
  virtual int32_t GetInterfaceKind() { return mInterfaceKind; }
  virtual void ResizeEditor(int width, int height) = 0;
  virtual void InitForHost() {}
  virtual void AttachEditor(IEditorLink* graphics);
  virtual void SetLatencySamples(int samples) { mLatency = samples; }
  virtual bool SendMidiMessage(const IMidiMessage& msg) = 0;
  virtual bool SendSysEx(const ISysExMessage&) { return false; }
  virtual void RedrawParameterControls();
  virtual void OnPresetsChanged() {}
  virtual void SetBlockSize(int frames);
  // The position after a state that UnserializeState would accept at
  // startPos, or -1; changes nothing. A plug-in with its own state layout
  // overrides both.
  virtual int CheckState(const IStateChunk& chunk, int startPos);

  // ---- Parameters ----
  IParameter* GetParameter(int idx);
  const IParameter* GetParameter(int idx) const;
  int NParams() const { return static_cast<int>(mParams.size()); }
  void NotifyAllParameters();

  // ---- Channels ----
  int NInChannels() const { return static_cast<int>(mInChannels.size()); }
  int NOutChannels() const { return static_cast<int>(mOutChannels.size()); }
  bool LegalIO(int nIn, int nOut) const;
  void ConnectInputChannels(int first, int count, bool connected);
  void ConnectOutputChannels(int first, int count, bool connected);
  bool IsInChannelConnected(int i) const;
  bool IsOutChannelConnected(int i) const;

  // Block running for adapters; the caller holds the mutex.
  void BindInputBuffers(int nHostChannels, float** hostInputs, int nFrames);
  void BindInputBuffers(int nHostChannels, double** hostInputs, int nFrames);
  void BindOutputBuffers(int nHostChannels, float** hostOutputs);
  void BindOutputBuffers(int nHostChannels, double** hostOutputs);
  // Calls ProcessBlockDouble on the bound buffers and, for float outputs,
  // writes (replacing) or adds (accumulating) the result to the host arrays.
  void RunBlock(int nFrames, bool accumulate = false);

  // ---- State and presets ----
  bool SerializeParams(IStateChunk& chunk);
  // Whole or nothing, like UnserializeState: every value must be there and
  // finite before any is applied.
  int UnserializeParams(const IStateChunk& chunk, int startPos);
  int CheckParams(const IStateChunk& chunk, int startPos) const;
  bool SerializePresets(IStateChunk& chunk);
  // Whole or nothing: names, flags and every stored state are checked before
  // any preset or parameter changes.
  int UnserializePresets(const IStateChunk& chunk, int startPos);
  int CheckPresets(const IStateChunk& chunk, int startPos);
  bool RecallPreset(int idx);
  void ModifyCurrentPreset(const char* name = nullptr);
  const char* PresetName(int idx) const;
  void FillEmptyPresets(const char* name, int count);
  void NextUserPresetName(char* out) const;
  int NPresets() const { return static_cast<int>(mPresets.size()); }
  int CurrentPresetIdx() const { return mCurrentPresetIdx; }
  bool IsPresetInitialized(int idx) const;
  // Compares the stored parameter values with the current ones.
  bool CompareParams(const uint8_t* data, int startPos) const;

  // ---- Host identification ----
  void SetHost(const char* productString, int32_t version);
  int32_t GetHostVersion() const { return mHostVersion; }

  // ---- Identity and accessors ----
  int32_t VersionDecimal() const;
  int32_t GetEffectVersion() const { return mVersion; }
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMakerName() const { return mMakerName; }
  int32_t GetUniqueID() const { return mUniqueID; }
  int32_t GetMakerID() const { return mMakerID; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInstrument() const { return mIsInstrument; }
  bool DoesMIDI() const { return mMidiIn; }
  bool IsBypassed() const { return mBypassed; }
  void SetBypassed(bool bypassed) { mBypassed = bypassed; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  IEditorLink* GetEditor() const { return mGraphics.get(); }
  RecursiveMutex& Mutex() { return mMutex; }
  std::vector<std::string>& ParamGroups() { return mParamGroups; }
  std::vector<std::string>& InputBusNames() { return mInputBusNames; }
  std::vector<std::string>& OutputBusNames() { return mOutputBusNames; }

protected:
  // Adapters set the rate before calling Reset. A rate that is not a positive
  // finite number is refused.
  bool SetSampleRate(double sampleRate);
  // Drops the editor graphics object; the plug-in class's destructor calls it
  // first so controls never outlive the state they point into.
  void DeleteEditor() { mGraphics.reset(); }

  std::vector<IChannelPair> mChannelPairs;
  RecursiveMutex mMutex;
  char mEffectName[128] = {};
  char mProductName[128] = {};
  char mMakerName[128] = {};
  int32_t mUniqueID = 0;
  int32_t mMakerID = 0;
  int32_t mVersion = 0;
  int32_t mInterfaceKind = 0;
  EHostKind mHostKind = kHostUninit;
  int32_t mHostVersion = 0;
  bool mStateChunks = false;
  bool mIsInstrument = false;
  bool mMidiIn = false;
  bool mBypassed = false;
  int32_t mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int32_t mBlockSize = 0;
  int32_t mLatency = 0;
  int32_t mTailSize = 0;
  std::vector<std::string> mParamGroups;

private:
  std::unique_ptr<IEditorLink> mGraphics;
  std::vector<std::unique_ptr<IParameter>> mParams;
  std::vector<std::unique_ptr<IPresetSlot>> mPresets;
  std::vector<double*> mInData;
  std::vector<double*> mOutData;
  std::vector<std::unique_ptr<IInputChannel>> mInChannels;
  std::vector<std::unique_ptr<IOutputChannel>> mOutChannels;
  std::vector<std::string> mInputBusNames;
  std::vector<std::string> mOutputBusNames;
};
