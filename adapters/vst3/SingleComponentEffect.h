#pragma once
// An effect that is audio processor and edit controller in one object: the
// edit-controller base (parameter container, component handler, host context)
// plus the component and audio-processor interfaces, with the SDK's bus lists.
// Derived classes add buses in initialize and override what they process.
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace Steinberg {
namespace Vst {

class SingleComponentEffect : public EditController, public IComponent, public IAudioProcessor {
public:
  SingleComponentEffect();
  ~SingleComponentEffect() override;

  // ---- IPluginBase (reached through both the component and the controller) ----
  tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
  tresult PLUGIN_API terminate() SMTG_OVERRIDE;

  // ---- IComponent ----
  tresult PLUGIN_API getControllerClassId(TUID /*classId*/) SMTG_OVERRIDE { return kNotImplemented; }
  tresult PLUGIN_API setIoMode(IoMode /*mode*/) SMTG_OVERRIDE { return kNotImplemented; }
  int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) SMTG_OVERRIDE;
  tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) SMTG_OVERRIDE;
  tresult PLUGIN_API getRoutingInfo(RoutingInfo& /*inInfo*/, RoutingInfo& /*outInfo*/) SMTG_OVERRIDE
  {
    return kNotImplemented;
  }
  tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) SMTG_OVERRIDE;
  tresult PLUGIN_API setActive(TBool /*state*/) SMTG_OVERRIDE { return kResultOk; }
  // One pair serves the component and the controller: both interfaces declare
  // setState and getState with the same signature.
  tresult PLUGIN_API setState(IBStream* /*state*/) SMTG_OVERRIDE { return kNotImplemented; }
  tresult PLUGIN_API getState(IBStream* /*state*/) SMTG_OVERRIDE { return kNotImplemented; }

  // ---- IAudioProcessor ----
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                        int32 numOuts) SMTG_OVERRIDE;
  tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) SMTG_OVERRIDE;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) SMTG_OVERRIDE;
  uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE { return 0; }
  tresult PLUGIN_API setupProcessing(ProcessSetup& setup) SMTG_OVERRIDE;
  tresult PLUGIN_API setProcessing(TBool /*state*/) SMTG_OVERRIDE { return kNotImplemented; }
  tresult PLUGIN_API process(ProcessData& /*data*/) SMTG_OVERRIDE { return kNotImplemented; }
  uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE { return kNoTail; }

  // ---- Bus set-up, for initialize ----
  AudioBus* addAudioInput(const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
                          int32 flags = BusInfo::kDefaultActive);
  AudioBus* addAudioOutput(const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventInput(const TChar* name, int32 channels = 16, BusType busType = kMain,
                          int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventOutput(const TChar* name, int32 channels = 16, BusType busType = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  tresult removeAudioBusses();
  tresult removeEventBusses();
  tresult removeAllBusses();

  // ---- FUnknown ----
  OBJ_METHODS(SingleComponentEffect, EditController)
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
  REFCOUNT_METHODS(EditController)

protected:
  // The list for a media type and direction, or null for values outside them.
  BusList* getBusList(MediaType type, BusDirection dir);
  // The bus at index of the list, or null when the index is outside it.
  static Bus* busAt(BusList* list, int32 index);

  ProcessSetup processSetup;
  BusList audioInputs;
  BusList audioOutputs;
  BusList eventInputs;
  BusList eventOutputs;
};

}  // namespace Vst
}  // namespace Steinberg
