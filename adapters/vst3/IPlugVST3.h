#pragma once
// The plug-in base bound to the VST 3 interface: a single-component effect
// (processor and controller in one object) that publishes the base's
// parameters, buses and presets to the host and drives the base from the
// host's calls.
//
// Threads: process runs on the host's audio thread; initialize, terminate,
// state, views and the controller queries on its user-interface thread;
// automation arrives through process or through setParamNormalized. Every
// entry that touches values processing also reads holds the plug-in mutex.
#include <vector>

#include "adapters/vst3/SingleComponentEffect.h"
#include "framework/IPlugBase.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

class IPlugVST3View;

// What the module hands a new instance; the VST3 module has nothing to pass.
struct IPlugInstanceInfo {};

// Speaker arrangement for a channel count; 0 for counts we have none for.
Steinberg::Vst::SpeakerArrangement ArrangementForChannels(int channels);

class IPlugVST3 : public IPlugBase, public Steinberg::Vst::SingleComponentEffect, public Steinberg::Vst::IUnitInfo {
public:
  using tresult = Steinberg::tresult;
  using int32 = Steinberg::int32;
  using uint32 = Steinberg::uint32;
  using TBool = Steinberg::TBool;
  using ParamID = Steinberg::Vst::ParamID;
  using ParamValue = Steinberg::Vst::ParamValue;
  using String128 = Steinberg::Vst::String128;
  using TChar = Steinberg::Vst::TChar;

  static constexpr ParamID kPresetParamID = 0x70727374;  // 'prst'
  static constexpr ParamID kBypassParamID = 0x62706173;  // 'bpas'
  // Scratch buffers are this long at most; longer host blocks run in slices.
  static constexpr int kMaxScratchFrames = 65536;
  // Scratch buffers for one block until setupProcessing gives the host's size.
  static constexpr int kDefaultBlockSize = 1024;

  IPlugVST3(IPlugInstanceInfo instanceInfo, const IPlugConfig& config);
  ~IPlugVST3() override;

  // ---- IPluginBase ----
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
  tresult PLUGIN_API terminate() SMTG_OVERRIDE;

  // ---- IComponent ----
  tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;
  int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) SMTG_OVERRIDE;
  tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir, int32 index,
                                Steinberg::Vst::BusInfo& bus) SMTG_OVERRIDE;
  tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir, int32 index,
                                 TBool state) SMTG_OVERRIDE;
  // Serve the component and the controller alike (same signatures).
  tresult PLUGIN_API setState(Steinberg::IBStream* state) SMTG_OVERRIDE;
  tresult PLUGIN_API getState(Steinberg::IBStream* state) SMTG_OVERRIDE;

  // ---- IAudioProcessor ----
  tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                        Steinberg::Vst::SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
  tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, int32 index,
                                       Steinberg::Vst::SpeakerArrangement& arr) SMTG_OVERRIDE;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) SMTG_OVERRIDE;
  uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE;
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;
  uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE;

  // ---- IEditController ----
  tresult PLUGIN_API setComponentState(Steinberg::IBStream* /*state*/) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API getParameterInfo(int32 paramIndex, Steinberg::Vst::ParameterInfo& info) SMTG_OVERRIDE;
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) SMTG_OVERRIDE;
  tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) SMTG_OVERRIDE;
  ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) SMTG_OVERRIDE;
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) SMTG_OVERRIDE;
  ParamValue PLUGIN_API getParamNormalized(ParamID id) SMTG_OVERRIDE;
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) SMTG_OVERRIDE;

  // ---- IUnitInfo ----
  int32 PLUGIN_API getUnitCount() SMTG_OVERRIDE;
  tresult PLUGIN_API getUnitInfo(int32 unitIndex, Steinberg::Vst::UnitInfo& info) SMTG_OVERRIDE;
  int32 PLUGIN_API getProgramListCount() SMTG_OVERRIDE { return 0; }
  tresult PLUGIN_API getProgramListInfo(int32 listIndex, Steinberg::Vst::ProgramListInfo& info) SMTG_OVERRIDE;
  tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                    String128 name) SMTG_OVERRIDE;
  tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID, int32, Steinberg::Vst::CString,
                                    String128) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID, int32) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID, int32, Steinberg::int16,
                                         String128) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() SMTG_OVERRIDE { return Steinberg::Vst::kRootUnitId; }
  tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID) SMTG_OVERRIDE { return Steinberg::kNotImplemented; }
  tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType, Steinberg::Vst::BusDirection, int32, int32,
                                  Steinberg::Vst::UnitID&) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API setUnitProgramData(int32, int32, Steinberg::IBStream*) SMTG_OVERRIDE
  {
    return Steinberg::kNotImplemented;
  }

  // ---- FUnknown ----
  OBJ_METHODS(IPlugVST3, SingleComponentEffect)
  DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Vst::IUnitInfo)
  END_DEFINE_INTERFACES(SingleComponentEffect)
  REFCOUNT_METHODS(SingleComponentEffect)

  // ---- IPlugBase host calls ----
  void BeginHostParameterEdit(int paramIdx) override;
  void InformHostParameterValue(int paramIdx, double normalizedValue) override;
  void EndHostParameterEdit(int paramIdx) override;
  void InformHostPresetChange() override {}
  bool IsOfflineRender() override;
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  void ResizeEditor(int width, int height) override;
  void SetLatencySamples(int samples) override;
  bool SendMidiMessage(const IMidiMessage&) override { return false; }
  bool SendSysEx(const ISysExMessage&) override { return false; }
  void ShowHostParameterMenu(int paramIdx, int x, int y) override;

  // ---- For the views ----
  void RemoveView(IPlugVST3View* view);

private:
  void BuildBusesAndParameters();
  void PublishParameter(int paramIdx);
  int32 UnitIdForGroup(const char* group);
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  void DeliverEvents(Steinberg::Vst::IEventList* events, int32 nFrames);
  template <typename T>
  tresult ProcessAudio(Steinberg::Vst::ProcessData& data);
  template <typename T>
  void PassThrough(int nInputs, int nOutputs, int32 nFrames);

  int32 mAuxInputs = 0;
  bool mSideChainConnected = false;
  bool mBusesBuilt = false;
  Steinberg::Vst::ProcessContext mProcessContext = {};
  std::vector<IPlugVST3View*> mViews;
  // Host channel arrays of the current block, gathered across buses. Sized at
  // construction so processing never allocates.
  std::vector<float*> mInputs32, mOutputs32;
  std::vector<double*> mInputs64, mOutputs64;
};
