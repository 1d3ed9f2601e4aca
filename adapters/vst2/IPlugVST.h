#pragma once
// The plug-in base bound to the VST 2.4 interface. The host calls the module
// entry once per instance and gets back the entry structure held here; from
// then on it drives the plug-in through the entry's dispatcher, the three
// process functions and the two parameter functions, and the plug-in calls
// back through the host callback it was created with.
//
// Threads: the dispatcher, process and parameter entries each hold the
// plug-in mutex for their whole duration, so an audio thread and a
// user-interface thread calling at once are serialised. The dispatcher's
// close releases the mutex before destroying the instance.
#include <cstdint>

#include "adapters/vst2/VstInterface.h"
#include "framework/IPlugBase.h"

// What the module entry hands a new instance.
struct IPlugInstanceInfo {
  vst2::HostCallback mHostCallback = nullptr;
};

class IPlugVST : public IPlugBase {
public:
  // Scratch buffers for one block, set at construction.
  static constexpr int kDefaultBlockSize = 1024;
  // Scratch buffers never grow beyond this; longer host blocks run in slices.
  static constexpr int kMaxScratchFrames = 65536;
  // Largest chunk a host may hand back: far above any state of ours.
  static constexpr std::intptr_t kMaxChunkSize = 16 * 1024 * 1024;

  IPlugVST(IPlugInstanceInfo instanceInfo, const IPlugConfig& config);
  ~IPlugVST() override;

  // Last step of creation, after the plug-in class is built: fills the empty
  // presets and returns the structure handed to the host.
  vst2::Entry* EntryForHost();

  // ---- IPlugBase: calls to the host ----
  void BeginHostParameterEdit(int paramIdx) override;
  void InformHostParameterValue(int paramIdx, double normalizedValue) override;
  void EndHostParameterEdit(int paramIdx) override;
  void InformHostPresetChange() override;
  bool IsOfflineRender() override;
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  EHostKind GetHostKind() override;
  void ResizeEditor(int width, int height) override;
  void InitForHost() override;
  void AttachEditor(IEditorLink* graphics) override;
  void SetLatencySamples(int samples) override;
  bool SendMidiMessage(const IMidiMessage& msg) override;
  bool SendSysEx(const ISysExMessage& msg) override;

  // Editor idle (opcode 19): the window's waiting events and redraws, called
  // without the plug-in mutex.
  void EditorIdle();

  // Vendor extensions the host announced through can-do requests.
  enum EExtensionFlags : int32_t { kHostExtensions = 1, kHostViewAsConfig = 2 };
  int32_t ExtensionFlags() const { return mExtensionFlags; }

private:
  // ---- Entry functions (IPlugVSTEntry.cpp) ----
  static std::intptr_t VORBLEX_VST_CALL DispatcherEntry(vst2::Entry* entry, std::int32_t opcode, std::int32_t index,
                                                        std::intptr_t value, void* ptr, float opt);
  static void VORBLEX_VST_CALL ProcessAccumulatingEntry(vst2::Entry* entry, float** inputs, float** outputs,
                                                        std::int32_t frames);
  static void VORBLEX_VST_CALL ProcessReplacingEntry(vst2::Entry* entry, float** inputs, float** outputs,
                                                     std::int32_t frames);
  static void VORBLEX_VST_CALL ProcessDoubleReplacingEntry(vst2::Entry* entry, double** inputs, double** outputs,
                                                           std::int32_t frames);
  static void VORBLEX_VST_CALL SetParameterEntry(vst2::Entry* entry, std::int32_t index, float value);
  static float VORBLEX_VST_CALL GetParameterEntry(vst2::Entry* entry, std::int32_t index);
  static IPlugVST* FromEntry(vst2::Entry* entry);

  template <typename Sample>
  void ProcessHostBlock(Sample** inputs, Sample** outputs, std::int32_t frames, bool accumulate);
  void SetHostParameter(int paramIdx, float value);

  // ---- Dispatcher (IPlugVSTDispatcher.cpp, IPlugVSTRequests.cpp) ----
  std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt);
  std::intptr_t DispatchEditor(std::int32_t opcode, void* ptr);
  void SetHostSampleRate(float rate);
  void SetHostBlockSize(std::intptr_t frames);
  std::intptr_t GetChunk(bool bank, void* ptr);
  std::intptr_t SetChunk(bool bank, std::intptr_t size, const void* ptr);
  std::intptr_t ProcessEvents(const vst2::EventList* list);
  std::intptr_t StringToParameter(int paramIdx, const char* text);
  std::intptr_t PinProperties(bool input, std::int32_t index, vst2::PinProperties* pin);
  std::intptr_t VendorSpecific(std::int32_t index, std::intptr_t value, void* ptr, float opt);
  std::intptr_t CanDo(const char* text);
  void SetSpeakerArrangement(bool input, const vst2::SpeakerArrangement* arrangement);
  std::intptr_t MidiKeyName(vst2::MidiKeyName* key);

  // ---- Host side ----
  std::intptr_t CallHost(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                         float opt = 0.0f);
  // The host's time record with the given fields requested, or null.
  const vst2::TimeInfo* HostTime(std::int32_t requestFlags);
  bool HasEditorWindow() const;
  void UpdateEditRect();

  vst2::EditRect mEditRect{};
  vst2::HostCallback mHostCallback = nullptr;
  vst2::SpeakerArrangement mInputArrangement{};
  vst2::SpeakerArrangement mOutputArrangement{};
  bool mHostSetupDone = false;
  int32_t mExtensionFlags = 0;
  IStateChunk mProgramChunk;  // bytes handed to the host for one program
  IStateChunk mBankChunk;     // bytes handed to the host for the bank
  vst2::Entry mEntry{};
};
