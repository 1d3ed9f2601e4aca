// Construction, initialisation, parameter publishing, controller queries,
// units and the calls the plug-in base makes to the host. Processing, state
// and bus arrangements are in IPlugVST3Process.cpp.
#include "adapters/vst3/IPlugVST3.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "adapters/vst3/EditorWindow.h"
#include "adapters/vst3/IPlugVST3View.h"
#include "adapters/vst3/Vst3Text.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int32 kLatencyChangedFlag = 8;
constexpr int kMaxHostNameChars = 127;
}  // namespace

SpeakerArrangement ArrangementForChannels(int channels)
{
  switch (channels) {
    case 1: return 0x80000;
    case 2: return 0x3;
    case 3: return 0x103;
    case 4: return 0xF00000;
    case 5: return 0x37;
    case 6: return 0x3F;
    default: return 0;
  }
}

IPlugVST3::IPlugVST3(IPlugInstanceInfo, const IPlugConfig& config) : IPlugBase(config, kInterfaceVST3)
{
  ConnectInputChannels(0, NInChannels(), true);
  ConnectOutputChannels(0, NOutChannels(), true);
  // Prepared for the default rate and this block size until the host sets
  // its own, so a process call before setupProcessing renders in tune.
  SetBlockSize(kDefaultBlockSize);
  // Input latency compensation would be set up here; the plug-ins built on
  // this adapter have no inputs.
  InputBusNames().push_back("Main Input");
  if (mAuxInputs > 0) InputBusNames().push_back("Aux Input");
  if (IsInstrument()) {
    char name[32];
    for (int pair = 1; pair <= NOutChannels() / 2; ++pair) {
      std::snprintf(name, sizeof name, "Output %i", pair);
      OutputBusNames().push_back(name);
    }
  } else {
    OutputBusNames().push_back("Output");
  }
  mInputs32.assign(static_cast<size_t>(NInChannels()), nullptr);
  mInputs64.assign(static_cast<size_t>(NInChannels()), nullptr);
  mOutputs32.assign(static_cast<size_t>(NOutChannels()), nullptr);
  mOutputs64.assign(static_cast<size_t>(NOutChannels()), nullptr);
}

IPlugVST3::~IPlugVST3() = default;

// ---------------------------------------------------------------------------
// Life cycle

tresult PLUGIN_API IPlugVST3::initialize(FUnknown* context)
{
  // A second initialize is refused before it can touch anything: it must not
  // rebuild the buses or recall the first preset over the user's sound.
  tresult result = SingleComponentEffect::initialize(context);
  if (result != kResultOk) return result;

  MutexLock lock(Mutex());
  {
    FUnknownPtr<IHostApplication> app(context);
    if (app) {
      String128 name = {};
      if (app->getName(name) == kResultOk) {
        char text[kMaxHostNameChars + 1];
        vst3text::Narrow(name, kMaxHostNameChars, text, sizeof text);
        SetHost(text, 0);
      }
    }
  }
  // Buses and parameters are built once, and again only after terminate has
  // dropped them.
  if (!mBusesBuilt) BuildBusesAndParameters();
  OnHostIdentified();
  if (NPresets() > 0) RecallPreset(0);
  return result;
}

tresult PLUGIN_API IPlugVST3::terminate()
{
  MutexLock lock(Mutex());
  mViews.clear();
  mBusesBuilt = false;
  // Drops every parameter declaration and every bus, then the host context.
  return SingleComponentEffect::terminate();
}

void IPlugVST3::BuildBusesAndParameters()
{
  TChar name[128];
  const int mainInputs = NInChannels() - mAuxInputs;
  if (mainInputs >= 1 && mainInputs <= 6 && !InputBusNames().empty()) {
    vst3text::Widen(InputBusNames()[0].c_str(), name, 128);
    addAudioInput(name, ArrangementForChannels(mainInputs));
  }
  if (IsInstrument()) {
    for (int pair = 0; pair < NOutChannels() / 2 && pair < static_cast<int>(OutputBusNames().size()); ++pair) {
      vst3text::Widen(OutputBusNames()[static_cast<size_t>(pair)].c_str(), name, 128);
      addAudioOutput(name, SpeakerArr::kStereo);
    }
  } else {
    vst3text::Widen("Output", name, 128);
    addAudioOutput(name, ArrangementForChannels(NOutChannels()));
  }
  if (mAuxInputs > 0) {
    mAuxInputs = std::min(mAuxInputs, 2);
    vst3text::Widen(InputBusNames().size() > 1 ? InputBusNames()[1].c_str() : "Aux Input", name, 128);
    addAudioInput(name, ArrangementForChannels(mAuxInputs), kAux, 0);
  }
  if (DoesMIDI()) {
    vst3text::Widen("MIDI Input", name, 128);
    addEventInput(name, 1);
  }

  if (NPresets() > 0) {
    vst3text::Widen("Preset", name, 128);
    parameters.addParameter(name, nullptr, NPresets(), 0.0, ParameterInfo::kIsProgramChange,
                            static_cast<int32>(kPresetParamID), kRootUnitId);
  }
  if (!IsInstrument()) {
    vst3text::Widen("Bypass", name, 128);
    auto* bypass = new StringListParameter(
        name, kBypassParamID, nullptr, ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass);
    vst3text::Widen("off", name, 128);
    bypass->appendString(name);
    vst3text::Widen("on", name, 128);
    bypass->appendString(name);
    parameters.addParameter(bypass);
  }
  for (int i = 0; i < NParams(); ++i) PublishParameter(i);
  mBusesBuilt = true;
}

int32 IPlugVST3::UnitIdForGroup(const char* group)
{
  if (!group || !group[0]) return kRootUnitId;
  std::vector<std::string>& groups = ParamGroups();
  for (size_t g = 0; g < groups.size(); ++g) {
    if (groups[g] == group) return static_cast<int32>(g + 1);
  }
  groups.push_back(group);
  return static_cast<int32>(groups.size());
}

void IPlugVST3::PublishParameter(int paramIdx)
{
  const IParameter* p = GetParameter(paramIdx);
  if (!p) return;
  const int32 unitId = UnitIdForGroup(p->Group());
  const int32 automate = p->IsAutomatable() ? ParameterInfo::kCanAutomate : 0;
  TChar title[128], units[128];
  vst3text::Widen(p->Name(), title, 128);
  vst3text::Widen(p->LabelForHost(), units, 128);
  const ParamID id = static_cast<ParamID>(paramIdx);

  switch (p->Kind()) {
    case kTypeBool:
    case kTypeEnum: {
      auto* list = new StringListParameter(title, id, units, automate | ParameterInfo::kIsList, unitId);
      // Entry i is the text whose value is i, or empty.
      TChar text[128];
      for (int entry = 0; entry < p->NDisplayTexts(); ++entry) {
        const char* found = "";
        for (int t = 0; t < p->NDisplayTexts(); ++t) {
          int value = 0;
          const char* candidate = p->GetDisplayTextAtIndex(t, &value);
          if (candidate && value == entry) {
            found = candidate;
            break;
          }
        }
        vst3text::Widen(found, text, 128);
        list->appendString(text);
      }
      parameters.addParameter(list);
      break;
    }
    case kTypeInt:
    case kTypeDouble: {
      auto* range = new RangeParameter(title, id, units, p->Min(), p->Max(), p->Default(), 0, automate, unitId);
      range->setPrecision(p->DisplayPrecision());
      parameters.addParameter(range);
      break;
    }
    case kTypeNone:
      break;
  }
}

tresult PLUGIN_API IPlugVST3::setActive(TBool state)
{
  OnActivate(state != 0);
  return kResultOk;
}

// ---------------------------------------------------------------------------
// Controller queries

tresult PLUGIN_API IPlugVST3::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
  if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kInvalidArgument;
  return SingleComponentEffect::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API IPlugVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string)
{
  const IParameter* p = id < static_cast<ParamID>(NParams()) ? GetParameter(static_cast<int>(id)) : nullptr;
  if (!p || !string) return kResultFalse;
  char text[kParamTextSize];
  p->FormatDisplay(true, text, true, valueNormalized);
  vst3text::Widen(text, string, 128);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized)
{
  if (!string) return kInvalidArgument;
  // The SDK's parameters read the text; make sure it ends where they look.
  TChar text[128];
  int n = 0;
  for (; n < 127 && string[n]; ++n) text[n] = string[n];
  text[n] = 0;
  return SingleComponentEffect::getParamValueByString(id, text, valueNormalized);
}

ParamValue PLUGIN_API IPlugVST3::normalizedParamToPlain(ParamID id, ParamValue valueNormalized)
{
  // The SDK's list parameters index with the value; keep it where that is safe.
  if (!std::isfinite(valueNormalized)) return valueNormalized;
  return SingleComponentEffect::normalizedParamToPlain(id, std::max(0.0, std::min(1.0, valueNormalized)));
}

ParamValue PLUGIN_API IPlugVST3::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
  const IParameter* p = id < static_cast<ParamID>(NParams()) ? GetParameter(static_cast<int>(id)) : nullptr;
  return p ? p->ToNormalized(plainValue) : plainValue;
}

// These two lock although hosts may call them from any thread: the values they
// touch are written by processing too, and an unlocked double would race.
ParamValue PLUGIN_API IPlugVST3::getParamNormalized(ParamID id)
{
  MutexLock lock(Mutex());
  if (id == kBypassParamID) return IsBypassed() ? 1.0 : 0.0;
  const IParameter* p = id < static_cast<ParamID>(NParams()) ? GetParameter(static_cast<int>(id)) : nullptr;
  return p ? p->GetNormalized() : 0.0;
}

tresult PLUGIN_API IPlugVST3::setParamNormalized(ParamID id, ParamValue value)
{
  MutexLock lock(Mutex());
  IParameter* p = id < static_cast<ParamID>(NParams()) ? GetParameter(static_cast<int>(id)) : nullptr;
  if (!p) return kResultFalse;
  p->SetNormalized(value);
  return kResultOk;
}

IPlugView* PLUGIN_API IPlugVST3::createView(FIDString name)
{
  if (!name || std::strcmp(name, ViewType::kEditor) != 0 || !vst3editor::HasWindow(GetEditor())) return nullptr;
  auto* view = new IPlugVST3View(this);
  MutexLock lock(Mutex());
  mViews.push_back(view);
  return view;
}

void IPlugVST3::RemoveView(IPlugVST3View* view)
{
  MutexLock lock(Mutex());
  mViews.erase(std::remove(mViews.begin(), mViews.end(), view), mViews.end());
}

// ---------------------------------------------------------------------------
// Units and the preset list

int32 PLUGIN_API IPlugVST3::getUnitCount() { return static_cast<int32>(ParamGroups().size()) + 1; }

tresult PLUGIN_API IPlugVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
  if (unitIndex == 0) {
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    vst3text::Widen("Root Unit", info.name, 128);
    info.programListId = kNoProgramListId;
    return kResultOk;
  }
  if (unitIndex < 1 || unitIndex > static_cast<int32>(ParamGroups().size())) return kResultFalse;
  info.id = unitIndex;
  info.parentUnitId = kRootUnitId;
  vst3text::Widen(ParamGroups()[static_cast<size_t>(unitIndex - 1)].c_str(), info.name, 128);
  info.programListId = kNoProgramListId;
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
  if (listIndex != 0) return kResultFalse;
  info.id = static_cast<ProgramListID>(kPresetParamID);
  vst3text::Widen("Factory Presets", info.name, 128);
  info.programCount = NPresets();
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
  if (listId != static_cast<ProgramListID>(kPresetParamID) || !name) return kResultFalse;
  MutexLock lock(Mutex());
  vst3text::Widen(PresetName(programIndex), name, 128);
  return kResultOk;
}

// ---------------------------------------------------------------------------
// Calls to the host

void IPlugVST3::BeginHostParameterEdit(int paramIdx)
{
  if (GetParameter(paramIdx)) beginEdit(static_cast<ParamID>(paramIdx));
}

void IPlugVST3::InformHostParameterValue(int paramIdx, double normalizedValue)
{
  if (GetParameter(paramIdx)) performEdit(static_cast<ParamID>(paramIdx), normalizedValue);
}

void IPlugVST3::EndHostParameterEdit(int paramIdx)
{
  if (GetParameter(paramIdx)) endEdit(static_cast<ParamID>(paramIdx));
}

bool IPlugVST3::IsOfflineRender() { return processSetup.processMode == kOffline; }

int IPlugVST3::GetSamplePosition()
{
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(mProcessContext.projectTimeSamples)));
}

double IPlugVST3::GetTempo() { return mProcessContext.tempo; }

void IPlugVST3::GetTimeSignature(int* numerator, int* denominator)
{
  if (numerator) *numerator = mProcessContext.timeSigNumerator;
  if (denominator) *denominator = mProcessContext.timeSigDenominator;
}

void IPlugVST3::GetTransportInfo(ITransportInfo* info)
{
  if (!info) return;
  info->mSamplePos = static_cast<double>(mProcessContext.projectTimeSamples);
  info->mPPQPos = mProcessContext.projectTimeMusic;
  info->mTempo = mProcessContext.tempo;
  info->mLastBar = mProcessContext.barPositionMusic;
  info->mCycleStart = mProcessContext.cycleStartMusic;
  info->mCycleEnd = mProcessContext.cycleEndMusic;
  info->mNumerator = mProcessContext.timeSigNumerator;
  info->mDenominator = mProcessContext.timeSigDenominator;
  info->mTransportIsRunning = (mProcessContext.state & ProcessContext::kPlaying) != 0;
  info->mTransportLoopEnabled = (mProcessContext.state & ProcessContext::kCycleActive) != 0;
}

void IPlugVST3::ResizeEditor(int width, int height)
{
  if (!GetEditor() || mViews.empty()) return;
  mViews.front()->RequestResize(width, height);
}

void IPlugVST3::SetLatencySamples(int samples)
{
  IPlugBase::SetLatencySamples(samples);
  if (componentHandler) componentHandler->restartComponent(kLatencyChangedFlag);
}

void IPlugVST3::ShowHostParameterMenu(int paramIdx, int x, int y)
{
  if (!componentHandler || mViews.empty()) return;
  FUnknownPtr<IComponentHandler3> handler(componentHandler);
  if (!handler) return;
  const ParamID id = static_cast<ParamID>(paramIdx);
  IContextMenu* menu = handler->createContextMenu(mViews.front(), &id);
  if (!menu) return;
  menu->popup(x, y);
  menu->release();
}
