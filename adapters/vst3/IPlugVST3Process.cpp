// Processing set-up, bus arrangements, the process call and the saved state.
// Everything the host hands in here is checked before use: counts may be
// negative, pointers null, values not finite and streams short.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "adapters/vst3/IPlugVST3.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

template <typename T>
T** ChannelArrays(AudioBusBuffers& bus);
template <>
float** ChannelArrays<float>(AudioBusBuffers& bus)
{
  return bus.channelBuffers32;
}
template <>
double** ChannelArrays<double>(AudioBusBuffers& bus)
{
  return bus.channelBuffers64;
}

template <typename T>
std::vector<T*>& Flat(std::vector<float*>& f, std::vector<double*>& d);
template <>
std::vector<float*>& Flat<float>(std::vector<float*>& f, std::vector<double*>&)
{
  return f;
}
template <>
std::vector<double*>& Flat<double>(std::vector<float*>&, std::vector<double*>& d)
{
  return d;
}

// Zeroes every host channel of the buses from index `from` on.
template <typename T>
void ZeroHostBuses(AudioBusBuffers* buses, int32 nBuses, int32 from, int32 nFrames)
{
  if (!buses) return;
  for (int32 b = std::max(from, 0); b < nBuses; ++b) {
    T** arrays = ChannelArrays<T>(buses[b]);
    if (!arrays) continue;
    for (int32 c = 0; c < buses[b].numChannels; ++c) {
      if (arrays[c]) std::memset(arrays[c], 0, sizeof(T) * static_cast<size_t>(nFrames));
    }
  }
}

// Reads until want bytes have arrived or the stream stops delivering.
int32 ReadUpTo(IBStream* stream, uint8* dest, int32 want)
{
  int32 done = 0;
  while (done < want) {
    int32 got = 0;
    if (stream->read(dest + done, want - done, &got) != kResultOk || got <= 0) break;
    done += std::min(got, want - done);
  }
  return done;
}

// True when the stream took every byte.
bool WriteAll(IBStream* stream, const uint8* data, int32 size)
{
  int32 done = 0;
  while (done < size) {
    int32 put = 0;
    if (stream->write(const_cast<uint8*>(data + done), size - done, &put) != kResultOk || put <= 0) return false;
    done += std::min(put, size - done);
  }
  return true;
}

// A note-on always sounds: velocity 0 would be a note-off to the receiver, so
// anything that truncates to 0 plays at 1.
uint8 VelocityByte(float velocity)
{
  if (!(velocity > 0.0f)) return 1;  // also catches NaN
  if (velocity >= 1.0f) return 127;
  return static_cast<uint8>(std::max(1, static_cast<int>(velocity * 127.0f)));
}

}  // namespace

// ---------------------------------------------------------------------------
// Buses. The queries lock because setBusArrangements replaces buses and
// processing reads their activation.

int32 PLUGIN_API IPlugVST3::getBusCount(MediaType type, BusDirection dir)
{
  MutexLock lock(Mutex());
  return SingleComponentEffect::getBusCount(type, dir);
}

tresult PLUGIN_API IPlugVST3::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
  MutexLock lock(Mutex());
  return SingleComponentEffect::getBusInfo(type, dir, index, bus);
}

tresult PLUGIN_API IPlugVST3::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
  MutexLock lock(Mutex());
  return SingleComponentEffect::activateBus(type, dir, index, state);
}

tresult PLUGIN_API IPlugVST3::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
  MutexLock lock(Mutex());
  return SingleComponentEffect::getBusArrangement(dir, index, arr);
}

tresult PLUGIN_API IPlugVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                                 int32 numOuts)
{
  if (numIns < 0 || numOuts < 0) return kInvalidArgument;
  MutexLock lock(Mutex());
  // Processing connects the channels again from what the host supplies.
  ConnectInputChannels(0, NInChannels(), false);
  ConnectOutputChannels(0, NOutChannels(), false);

  const int nIn = numIns > 0 && inputs ? SpeakerArr::getChannelCount(inputs[0]) : 0;
  const int nOut = numOuts > 0 && outputs ? SpeakerArr::getChannelCount(outputs[0]) : 0;
  if (!LegalIO(nIn, nOut)) return kResultFalse;

  // A replaced bus keeps its activation: hosts need not activate a bus again
  // after changing its arrangement.
  auto replace = [](BusList& list, size_t index, const char* name, int channels, BusType type, int32 flags) {
    TChar text[128];
    for (int i = 0; i < 128; ++i) {
      text[i] = static_cast<TChar>(name[i]);
      if (!name[i]) break;
    }
    const bool active = list[index]->isActive();
    auto* bus = new AudioBus(text, type, flags, ArrangementForChannels(channels));
    bus->setActive(active);
    list[index] = IPtr<Vst::Bus>(bus, false);
  };
  const int mainInputs = NInChannels() - mAuxInputs;
  if (mainInputs >= 1 && mainInputs <= 6 && !audioInputs.empty()) {
    auto* bus = FCast<AudioBus>(audioInputs[0]);
    if (bus && SpeakerArr::getChannelCount(bus->getArrangement()) != nIn)
      replace(audioInputs, 0, "Input", nIn, kMain, BusInfo::kDefaultActive);
  }
  if (!audioOutputs.empty()) {
    auto* bus = FCast<AudioBus>(audioOutputs[0]);
    if (bus && SpeakerArr::getChannelCount(bus->getArrangement()) != nOut)
      replace(audioOutputs, 0, "Output", nOut, kMain, BusInfo::kDefaultActive);
  }
  if (mAuxInputs <= 0) return numIns == 1 ? kResultOk : kResultFalse;
  if (numIns != 2 || !inputs) return kResultFalse;
  const int nAux = SpeakerArr::getChannelCount(inputs[1]);
  if (audioInputs.size() > 1) {
    auto* aux = FCast<AudioBus>(audioInputs.back());
    if (aux && SpeakerArr::getChannelCount(aux->getArrangement()) != nAux)
      replace(audioInputs, audioInputs.size() - 1, "Sidechain Input", nAux, kAux, 0);
  }
  return kResultOk;
}

// ---------------------------------------------------------------------------
// Set-up

tresult PLUGIN_API IPlugVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API IPlugVST3::getLatencySamples() { return static_cast<uint32>(std::max(GetLatency(), 0)); }

uint32 PLUGIN_API IPlugVST3::getTailSamples() { return static_cast<uint32>(std::max(GetTailSize(), 0)); }

tresult PLUGIN_API IPlugVST3::setupProcessing(ProcessSetup& setup)
{
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  if (setup.maxSamplesPerBlock <= 0) return kResultFalse;
  MutexLock lock(Mutex());
  if (!SetSampleRate(setup.sampleRate)) return kResultFalse;
  SetBypassed(false);
  // Hosts may announce huge blocks; the scratch buffers stay bounded and
  // longer blocks run in slices.
  SetBlockSize(std::min(setup.maxSamplesPerBlock, static_cast<int32>(kMaxScratchFrames)));
  Reset();
  processSetup = setup;
  return kResultOk;
}

// ---------------------------------------------------------------------------
// Processing

tresult PLUGIN_API IPlugVST3::process(ProcessData& data)
{
  if (data.numSamples < 0) return kInvalidArgument;
  if (data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64) return kInvalidArgument;

  MutexLock lock(Mutex());
  if (data.processContext) mProcessContext = *data.processContext;
  ApplyParameterChanges(data.inputParameterChanges);
  if (DoesMIDI()) DeliverEvents(data.inputEvents, data.numSamples);
  // The buffers are read as the block says they are: a block of floats is
  // never written as doubles, whatever the set-up announced.
  return data.symbolicSampleSize == kSample64 ? ProcessAudio<double>(data) : ProcessAudio<float>(data);
}

void IPlugVST3::ApplyParameterChanges(IParameterChanges* changes)
{
  if (!changes) return;
  const int32 nQueues = changes->getParameterCount();
  for (int32 q = 0; q < nQueues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 nPoints = queue->getPointCount();
    if (nPoints <= 0) continue;
    // Only where the block ends matters to us: the last point.
    int32 offset = 0;
    ParamValue value = 0.0;
    if (queue->getPoint(nPoints - 1, offset, value) != kResultOk || !std::isfinite(value)) continue;
    const ParamID id = queue->getParameterId();
    if (id == kBypassParamID) {
      SetBypassed(value > 0.5);
    } else if (id == kPresetParamID) {
      const double index = value * NPresets();
      if (index > -1.0 && index < static_cast<double>(INT_MAX)) RecallPreset(static_cast<int>(index));
    } else if (id < static_cast<ParamID>(NParams())) {
      const int idx = static_cast<int>(id);
      GetParameter(idx)->SetNormalized(value);
      if (IEditorLink* editor = GetEditor()) editor->SetParameterFromHost(idx, value, true);
      OnParameterChange(idx);
    }
  }
}

void IPlugVST3::DeliverEvents(IEventList* events, int32 nFrames)
{
  if (!events) return;
  const int32 count = events->getEventCount();
  const int32 lastFrame = std::max(nFrames - 1, 0);
  for (int32 i = 0; i < count; ++i) {
    Event e = {};
    if (events->getEvent(i, e) != kResultOk) continue;
    // Offsets outside the block would wait in the queue for ever.
    const int32 offset = std::max(0, std::min(e.sampleOffset, lastFrame));
    if (e.type == Event::kNoteOnEvent) {
      if (e.noteOn.pitch < 0 || e.noteOn.pitch > 127) continue;
      ProcessMidiMessage(IMidiMessage(offset, static_cast<uint8>(0x90 | (e.noteOn.channel & 0x0F)),
                                      static_cast<uint8>(e.noteOn.pitch), VelocityByte(e.noteOn.velocity)));
    } else if (e.type == Event::kNoteOffEvent) {
      if (e.noteOff.pitch < 0 || e.noteOff.pitch > 127) continue;
      ProcessMidiMessage(IMidiMessage(offset, static_cast<uint8>(0x80 | (e.noteOff.channel & 0x0F)),
                                      static_cast<uint8>(e.noteOff.pitch), 0));
    }
  }
}

template <typename T>
tresult IPlugVST3::ProcessAudio(ProcessData& data)
{
  const int32 nFrames = data.numSamples;
  const int32 nHostIns = data.inputs ? std::max(data.numInputs, 0) : 0;
  const int32 nHostOuts = data.outputs ? std::max(data.numOutputs, 0) : 0;

  // Inputs: the main bus's channels the host supplies, then the aux bus's
  // while it is active.
  std::vector<T*>& ins = Flat<T>(mInputs32, mInputs64);
  int nIns = 0;
  {
    const int nMain = NInChannels() - mAuxInputs;
    int taken = 0;
    if (nHostIns > 0 && nMain > 0) {
      T** arrays = ChannelArrays<T>(data.inputs[0]);
      taken = arrays ? std::max(0, std::min(data.inputs[0].numChannels, nMain)) : 0;
      for (int c = 0; c < taken; ++c) ins[static_cast<size_t>(nIns++)] = arrays[c];
    }
    ConnectInputChannels(0, taken, true);
    ConnectInputChannels(taken, NInChannels() - taken, false);
    mSideChainConnected = false;
    if (mAuxInputs > 0 && audioInputs.size() > 1 && audioInputs.back()->isActive() && nHostIns > 1) {
      T** arrays = ChannelArrays<T>(data.inputs[1]);
      const int nAux = arrays ? std::max(0, std::min(data.inputs[1].numChannels, mAuxInputs)) : 0;
      ConnectInputChannels(nMain, nAux, true);
      for (int c = 0; c < nAux; ++c) ins[static_cast<size_t>(nIns++)] = arrays[c];
      mSideChainConnected = nAux > 0;
    }
  }

  // Outputs: bus by bus, each taking the host's channels that follow the
  // previous bus's. Host channels we have no channel for are silenced.
  std::vector<T*>& outs = Flat<T>(mOutputs32, mOutputs64);
  int nOuts = 0;
  int first = 0;
  for (size_t b = 0; b < audioOutputs.size(); ++b) {
    int n = 0;
    T** arrays = nullptr;
    if (static_cast<int32>(b) < nHostOuts) {
      arrays = ChannelArrays<T>(data.outputs[b]);
      n = arrays ? std::max(0, std::min(data.outputs[b].numChannels, NOutChannels() - first)) : 0;
      data.outputs[b].silenceFlags = 0;
    }
    const bool active = audioOutputs[b]->isActive() != 0;
    ConnectOutputChannels(first, n, active);
    ConnectOutputChannels(first + n, NOutChannels() - first - n, false);
    for (int c = 0; c < n; ++c) {
      if (active) {
        outs[static_cast<size_t>(nOuts++)] = arrays[c];
      } else if (arrays[c]) {
        std::memset(arrays[c], 0, sizeof(T) * static_cast<size_t>(nFrames));
      }
    }
    if (arrays) {
      for (int32 c = n; c < data.outputs[b].numChannels; ++c) {
        if (arrays[c]) std::memset(arrays[c], 0, sizeof(T) * static_cast<size_t>(nFrames));
      }
    }
    first += n;
  }
  ZeroHostBuses<T>(data.outputs, nHostOuts, static_cast<int32>(audioOutputs.size()), nFrames);

  if (GetBlockSize() <= 0 && nFrames > 0) {
    // Processing before setupProcessing: nothing to render with.
    for (int c = 0; c < nOuts; ++c) {
      T* out = outs[static_cast<size_t>(c)];
      if (out) std::memset(out, 0, sizeof(T) * static_cast<size_t>(nFrames));
    }
    return kNotInitialized;
  }
  if (IsBypassed()) {
    PassThrough<T>(nIns, nOuts, nFrames);
  } else {
    BindInputBuffers(nIns, ins.data(), nFrames);
    BindOutputBuffers(nOuts, outs.data());
    RunBlock(nFrames);
  }
  return kResultOk;
}

template <typename T>
void IPlugVST3::PassThrough(int nInputs, int nOutputs, int32 nFrames)
{
  const std::vector<T*>& ins = Flat<T>(mInputs32, mInputs64);
  const std::vector<T*>& outs = Flat<T>(mOutputs32, mOutputs64);
  for (int c = 0; c < nOutputs; ++c) {
    T* out = outs[static_cast<size_t>(c)];
    if (!out) continue;
    const T* in = c < nInputs ? ins[static_cast<size_t>(c)] : nullptr;
    if (in) {
      std::memmove(out, in, sizeof(T) * static_cast<size_t>(nFrames));
    } else {
      std::memset(out, 0, sizeof(T) * static_cast<size_t>(nFrames));
    }
  }
}

// ---------------------------------------------------------------------------
// State: the plug-in's own state, then the bypass flag as a 32-bit integer.

tresult PLUGIN_API IPlugVST3::getState(IBStream* stream)
{
  if (!stream) return kInvalidArgument;
  MutexLock lock(Mutex());
  IStateChunk chunk;
  if (!SerializeState(chunk)) return kResultFalse;
  const uint32 bypass = IsBypassed() ? 1 : 0;
  const uint8 bytes[4] = {static_cast<uint8>(bypass), 0, 0, 0};
  if (!chunk.PutBytes(bytes, 4)) return kResultFalse;
  // A stream that refuses bytes holds no usable state: say so.
  return WriteAll(stream, chunk.Data(), chunk.Size()) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API IPlugVST3::setState(IBStream* stream)
{
  if (!stream) return kInvalidArgument;
  MutexLock lock(Mutex());
  // A state is as long as ours, then the bypass word. All of it is read and
  // checked before anything changes: a short or damaged stream leaves the
  // sound and the bypass exactly as they were.
  IStateChunk chunk;
  if (!SerializeState(chunk) || chunk.Size() <= 0) return kResultFalse;
  const int stateSize = chunk.Size();
  chunk.Resize(stateSize + 4);
  if (ReadUpTo(stream, chunk.Data(), chunk.Size()) != chunk.Size()) return kResultFalse;
  if (UnserializeState(chunk, 0) < 0) return kResultFalse;
  const uint8* bytes = chunk.Data() + stateSize;
  const uint32 bypass = static_cast<uint32>(bytes[0]) | static_cast<uint32>(bytes[1]) << 8 |
                        static_cast<uint32>(bytes[2]) << 16 | static_cast<uint32>(bytes[3]) << 24;
  SetBypassed(bypass != 0);
  RedrawParameterControls();
  return kResultOk;
}
