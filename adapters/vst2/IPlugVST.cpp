// Construction of the VST2 binding and everything the plug-in tells or asks
// its host through the host callback.
#include "adapters/vst2/IPlugVST.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "adapters/vst2/EditorWindow.h"

namespace {

int32_t ArrangementType(int channels)
{
  switch (channels) {
    case 0: return vst2::kSpeakerArrangementEmpty;
    case 1: return vst2::kSpeakerArrangementMono;
    case 2: return vst2::kSpeakerArrangementStereo;
    default: return vst2::kSpeakerArrangementUserDefined;
  }
}

void InitArrangement(vst2::SpeakerArrangement& arrangement, int channels)
{
  arrangement.type = ArrangementType(channels);
  arrangement.channelCount = channels;
}

// Host kinds that cannot feed more than a stereo pair of inputs.
bool HostLimitsToStereo(EHostKind kind)
{
  return kind == kHostForte || kind == kHostAudition || kind == kHostOrion || kind == kHostSAWStudio;
}

}  // namespace

IPlugVST::IPlugVST(IPlugInstanceInfo instanceInfo, const IPlugConfig& config)
    : IPlugBase(config, kInterfaceVST2), mHostCallback(instanceInfo.mHostCallback)
{
  mEntry.magic = vst2::kEntryMagic;
  mEntry.dispatcher = &IPlugVST::DispatcherEntry;
  mEntry.processAccumulating = &IPlugVST::ProcessAccumulatingEntry;
  mEntry.setParameter = &IPlugVST::SetParameterEntry;
  mEntry.getParameter = &IPlugVST::GetParameterEntry;
  mEntry.programCount = NPresets();
  mEntry.parameterCount = NParams();
  mEntry.inputCount = NInChannels();
  mEntry.outputCount = NOutChannels();
  mEntry.flags = vst2::kFlagCanReplacing | vst2::kFlagCanDoubleReplacing;
  if (DoesStateChunks()) mEntry.flags |= vst2::kFlagProgramChunks;
  if (LegalIO(1, -1)) mEntry.flags |= vst2::kFlagMonoCapable;
  if (IsInstrument()) mEntry.flags |= vst2::kFlagIsSynth;
  mEntry.initialDelay = GetLatency();
  mEntry.ioRatio = 1.0f;
  mEntry.object = this;
  mEntry.uniqueId = GetUniqueID();
  mEntry.version = VersionDecimal();
  mEntry.processReplacing = &IPlugVST::ProcessReplacingEntry;
  mEntry.processDoubleReplacing = &IPlugVST::ProcessDoubleReplacingEntry;

  InitArrangement(mInputArrangement, NInChannels());
  InitArrangement(mOutputArrangement, NOutChannels());
  ConnectInputChannels(0, NInChannels(), true);
  ConnectOutputChannels(0, NOutChannels(), true);
  SetBlockSize(kDefaultBlockSize);
}

IPlugVST::~IPlugVST() = default;

vst2::Entry* IPlugVST::EntryForHost()
{
  MutexLock lock(Mutex());
  FillEmptyPresets("Empty", NPresets());
  mEntry.programCount = std::max(mEntry.programCount, 1);
  return &mEntry;
}

std::intptr_t IPlugVST::CallHost(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt)
{
  return mHostCallback ? mHostCallback(&mEntry, opcode, index, value, ptr, opt) : 0;
}

void IPlugVST::BeginHostParameterEdit(int paramIdx) { CallHost(vst2::hostop::kBeginEdit, paramIdx); }

void IPlugVST::InformHostParameterValue(int paramIdx, double normalizedValue)
{
  CallHost(vst2::hostop::kAutomate, paramIdx, 0, nullptr, static_cast<float>(normalizedValue));
}

void IPlugVST::EndHostParameterEdit(int paramIdx) { CallHost(vst2::hostop::kEndEdit, paramIdx); }

void IPlugVST::InformHostPresetChange() { CallHost(vst2::hostop::kUpdateDisplay); }

bool IPlugVST::IsOfflineRender()
{
  return CallHost(vst2::hostop::kGetCurrentProcessLevel) == vst2::kProcessLevelOffline;
}

const vst2::TimeInfo* IPlugVST::HostTime(std::int32_t requestFlags)
{
  return reinterpret_cast<const vst2::TimeInfo*>(CallHost(vst2::hostop::kGetTime, 0, requestFlags));
}

int IPlugVST::GetSamplePosition()
{
  const vst2::TimeInfo* time = HostTime(0);
  if (!time || !(time->samplePosition >= 0.0)) return 0;
  // Positions past the 32-bit range (days of audio) are held at its end
  // rather than wrapped into a negative number.
  return static_cast<int>(std::min(time->samplePosition + 0.5, static_cast<double>(INT_MAX)));
}

double IPlugVST::GetTempo()
{
  const vst2::TimeInfo* time = HostTime(vst2::kTempoValid);
  if (!time || !(time->flags & vst2::kTempoValid)) return 0.0;
  return time->tempo >= 0.0 && std::isfinite(time->tempo) ? time->tempo : 0.0;
}

void IPlugVST::GetTimeSignature(int* numerator, int* denominator)
{
  int num = 0, den = 0;
  const vst2::TimeInfo* time = HostTime(vst2::kTimeSignatureValid);
  if (time && (time->flags & vst2::kTimeSignatureValid) && time->timeSignatureNumerator >= 0 &&
      time->timeSignatureDenominator >= 0) {
    num = time->timeSignatureNumerator;
    den = time->timeSignatureDenominator;
  }
  if (numerator) *numerator = num;
  if (denominator) *denominator = den;
}

void IPlugVST::GetTransportInfo(ITransportInfo* info)
{
  const vst2::TimeInfo* time = HostTime(vst2::kTransportInfoRequest);
  if (!info || !time || !(time->flags & vst2::kTransportInfoRequest)) return;
  const int32_t flags = time->flags;
  info->mSamplePos = time->samplePosition;
  if ((flags & vst2::kQuarterNotePositionValid) && time->quarterNotePosition >= 0.0)
    info->mPPQPos = time->quarterNotePosition;
  if ((flags & vst2::kTempoValid) && time->tempo > 0.0) info->mTempo = time->tempo;
  if ((flags & vst2::kBarStartValid) && time->barStartPosition >= 0.0) info->mLastBar = time->barStartPosition;
  if ((flags & vst2::kCyclePositionValid) && time->cycleStartPosition >= 0.0 && time->cycleEndPosition >= 0.0) {
    info->mCycleStart = time->cycleStartPosition;
    info->mCycleEnd = time->cycleEndPosition;
  }
  if ((flags & vst2::kTimeSignatureValid) && time->timeSignatureNumerator > 0 && time->timeSignatureDenominator > 0) {
    info->mNumerator = time->timeSignatureNumerator;
    info->mDenominator = time->timeSignatureDenominator;
  }
  info->mTransportIsRunning = (flags & vst2::kTransportPlaying) != 0;
  info->mTransportLoopEnabled = (flags & vst2::kTransportCycleActive) != 0;
}

EHostKind IPlugVST::GetHostKind()
{
  MutexLock lock(Mutex());
  if (mHostKind != kHostUninit) return mHostKind;
  char product[256] = {};
  CallHost(vst2::hostop::kGetProductString, 0, 0, product);
  // The host writes into our buffer; make sure it ends inside it.
  product[sizeof product - 1] = '\0';
  int32_t version = 0;
  if (product[0]) {
    const std::intptr_t decimal = CallHost(vst2::hostop::kGetVendorVersion);
    if (decimal >= INT32_MIN && decimal <= INT32_MAX) version = HostVersionFromDecimal(static_cast<int32_t>(decimal));
  }
  SetHost(product, version);
  return mHostKind;
}

void IPlugVST::InitForHost()
{
  MutexLock lock(Mutex());
  if (mHostSetupDone) return;
  mHostSetupDone = true;
  if (HostLimitsToStereo(GetHostKind()) && NInChannels() > 2) ConnectInputChannels(2, NInChannels() - 2, false);
  mEntry.inputCount = NInChannels();
  mEntry.outputCount = NOutChannels();
  mInputArrangement.channelCount = NInChannels();
  mOutputArrangement.channelCount = NOutChannels();
  OnHostIdentified();
}

bool IPlugVST::HasEditorWindow() const { return EditorHasWindow(GetEditor()); }

void IPlugVST::EditorIdle()
{
  if (HasEditorWindow()) ::EditorIdle(GetEditor());
}

void IPlugVST::UpdateEditRect()
{
  int width = 0, height = 0;
  if (!EditorWindowSize(GetEditor(), &width, &height)) return;
  mEditRect.top = 0;
  mEditRect.left = 0;
  mEditRect.bottom = static_cast<int16_t>(std::min(std::max(height, 0), INT16_MAX));
  mEditRect.right = static_cast<int16_t>(std::min(std::max(width, 0), INT16_MAX));
}

void IPlugVST::AttachEditor(IEditorLink* graphics)
{
  if (!graphics) return;
  MutexLock lock(Mutex());
  IPlugBase::AttachEditor(graphics);
  // Only an editor that can open a window in the host's is announced.
  if (HasEditorWindow()) {
    mEntry.flags |= vst2::kFlagHasEditor;
    UpdateEditRect();
  }
}

void IPlugVST::ResizeEditor(int, int)
{
  MutexLock lock(Mutex());
  if (!GetEditor()) return;
  UpdateEditRect();
  OnEditorResize();
}

void IPlugVST::SetLatencySamples(int samples)
{
  MutexLock lock(Mutex());
  IPlugBase::SetLatencySamples(samples);
  mEntry.initialDelay = samples;
}

bool IPlugVST::SendMidiMessage(const IMidiMessage& msg)
{
  // Built on the stack: MIDI thru runs on the audio path.
  vst2::MidiEvent event{};
  event.type = vst2::kEventMidi;
  event.byteSize = sizeof event;
  event.deltaFrames = msg.mOffset;
  event.midiData[0] = msg.mStatus;
  event.midiData[1] = msg.mData1;
  event.midiData[2] = msg.mData2;
  vst2::EventList list{};
  list.count = 1;
  list.events[0] = reinterpret_cast<vst2::Event*>(&event);
  list.events[1] = nullptr;
  return CallHost(vst2::hostop::kProcessEvents, 0, 0, &list) == 1;
}

bool IPlugVST::SendSysEx(const ISysExMessage& msg)
{
  vst2::SysExEvent event{};
  event.type = vst2::kEventSysEx;
  event.byteSize = sizeof event;
  event.deltaFrames = msg.mOffset;
  event.dumpBytes = msg.mSize;
  event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(msg.mData));
  vst2::EventList list{};
  list.count = 1;
  list.events[0] = reinterpret_cast<vst2::Event*>(&event);
  list.events[1] = nullptr;
  return CallHost(vst2::hostop::kProcessEvents, 0, 0, &list) == 1;
}
