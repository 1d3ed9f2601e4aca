#include "tests/hosts/vst3/TestHost.h"

#include <algorithm>
#include <cstring>

#include "pluginterfaces/vst/ivstprocesscontext.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {
std::unique_ptr<Module> gModule;
bool gProbe = false;
IPluginFactory* gFactory = nullptr;
TUID gClassID = {};

constexpr double kMarker = 12345.0;  // what host buffers hold before a block

template <typename T>
T* QueryAs(FUnknown* unknown)
{
  void* obj = nullptr;
  if (!unknown || unknown->queryInterface(T::iid, &obj) != kResultOk) return nullptr;
  return static_cast<T*>(obj);
}

template <typename T>
void ReleaseAndClear(T*& p)
{
  if (p) p->release();
  p = nullptr;
}
}  // namespace

void SetModuleUnderTest(std::unique_ptr<Module> module, bool probe)
{
  gModule = std::move(module);
  gProbe = probe;
  using GetFactoryProc = IPluginFactory*(PLUGIN_API*)();
  auto getFactory = reinterpret_cast<GetFactoryProc>(gModule->Symbol("GetPluginFactory"));
  gFactory = getFactory ? getFactory() : nullptr;
  PClassInfo info;
  if (gFactory && gFactory->getClassInfo(0, &info) == kResultOk) std::memcpy(gClassID, info.cid, sizeof(TUID));
}

void UnloadModuleUnderTest()
{
  ReleaseAndClear(gFactory);
  gModule.reset();
}

Module& ModuleUnderTest() { return *gModule; }
bool IsProbe() { return gProbe; }
IPluginFactory* Factory() { return gFactory; }
const TUID& ClassID() { return gClassID; }

// ---------------------------------------------------------------------------

std::unique_ptr<Plugin> Plugin::Create()
{
  if (!gFactory) return nullptr;
  std::unique_ptr<Plugin> plugin(new Plugin);
  void* obj = nullptr;
  if (gFactory->createInstance(gClassID, IComponent::iid, &obj) != kResultOk || !obj) return nullptr;
  plugin->component = static_cast<IComponent*>(obj);
  plugin->processor = QueryAs<IAudioProcessor>(plugin->component);
  plugin->controller = QueryAs<IEditController>(plugin->component);
  plugin->units = QueryAs<IUnitInfo>(plugin->component);
  if (!plugin->processor || !plugin->controller) return nullptr;
  return plugin;
}

Plugin::~Plugin()
{
  if (mActive && processor) processor->setProcessing(false);
  if (mActive && component) component->setActive(false);
  if (mInitialized && component) component->terminate();
  ReleaseAndClear(units);
  ReleaseAndClear(controller);
  ReleaseAndClear(processor);
  ReleaseAndClear(component);
}

tresult Plugin::Initialize()
{
  tresult result = component->initialize(&app);
  if (result == kResultOk) mInitialized = true;
  return result;
}

tresult Plugin::Setup(double sampleRate, int32 maxBlock, int32 sampleSize)
{
  ProcessSetup setup = {kRealtime, sampleSize, maxBlock, sampleRate};
  return processor->setupProcessing(setup);
}

void Plugin::Start(double sampleRate, int32 maxBlock, int32 sampleSize)
{
  if (!mInitialized) Initialize();
  controller->setComponentHandler(&handler);
  component->activateBus(kAudio, kOutput, 0, true);
  component->activateBus(kEvent, kInput, 0, true);
  Setup(sampleRate, maxBlock, sampleSize);
  component->setActive(true);
  processor->setProcessing(true);
  mActive = true;
}

BlockResult Plugin::Process(const BlockSpec& block)
{
  BlockResult r;
  const size_t frames = static_cast<size_t>(std::max(block.frames, 0));
  const size_t channels = static_cast<size_t>(std::max(block.channels, 0));
  std::vector<std::vector<float>> buffers32(channels, std::vector<float>(frames, static_cast<float>(kMarker)));
  std::vector<std::vector<double>> buffers64(channels, std::vector<double>(frames, kMarker));
  std::vector<float*> arrays32;
  std::vector<double*> arrays64;
  for (size_t c = 0; c < channels; ++c) {
    arrays32.push_back(buffers32[c].data());
    arrays64.push_back(buffers64[c].data());
  }

  AudioBusBuffers out;
  out.numChannels = block.channels;
  if (block.sampleSize == kSample64) {
    out.channelBuffers64 = arrays64.data();
  } else {
    out.channelBuffers32 = arrays32.data();
  }
  ParameterChanges changes;
  for (const std::vector<Point>& queue : block.queues) {
    for (const Point& p : queue) changes.Add(p.id, p.offset, p.value);
  }
  EventList events;
  for (const Note& n : block.notes) {
    if (n.on) {
      events.NoteOn(n.offset, n.channel, n.pitch, n.velocity);
    } else {
      events.NoteOff(n.offset, n.channel, n.pitch, n.velocity);
    }
  }
  ProcessContext context = {};
  context.sampleRate = 44100.0;
  context.tempo = 120.0;
  context.timeSigNumerator = 4;
  context.timeSigDenominator = 4;

  ProcessData data;
  data.processMode = kRealtime;
  data.symbolicSampleSize = block.sampleSize;
  data.numSamples = block.frames;
  data.numInputs = 0;
  data.numOutputs = 1;
  data.outputs = &out;
  data.inputParameterChanges = &changes;
  data.inputEvents = &events;
  data.processContext = &context;
  r.result = processor->process(data);

  r.out.assign(channels, std::vector<double>(frames));
  for (size_t c = 0; c < channels; ++c) {
    for (size_t i = 0; i < frames; ++i) {
      const double v = block.sampleSize == kSample64 ? buffers64[c][i] : static_cast<double>(buffers32[c][i]);
      if (v == kMarker) ++r.untouched;
      r.out[c][i] = v;
    }
  }
  return r;
}

std::vector<double> Plugin::Render(int64_t frames, int32 blockSize, const std::vector<Note>& notes, int32 sampleSize)
{
  std::vector<double> out;
  for (int64_t start = 0; start < frames; start += blockSize) {
    BlockSpec block;
    block.frames = static_cast<int32>(std::min<int64_t>(blockSize, frames - start));
    block.sampleSize = sampleSize;
    for (const Note& n : notes) {
      if (n.offset >= start && n.offset < start + block.frames) {
        Note local = n;
        local.offset = static_cast<int32>(n.offset - start);
        block.notes.push_back(local);
      }
    }
    BlockResult r = Process(block);
    out.insert(out.end(), r.out[0].begin(), r.out[0].end());
  }
  return out;
}

std::vector<uint8> Plugin::GetState(tresult* result)
{
  ByteStream stream;
  tresult r = component->getState(&stream);
  if (result) *result = r;
  return stream.Bytes();
}

tresult Plugin::SetState(ByteStream& stream) { return component->setState(&stream); }

tresult Plugin::SetState(const std::vector<uint8>& bytes)
{
  ByteStream stream(bytes);
  return component->setState(&stream);
}

std::string Plugin::ParamString(ParamID id, double normalized)
{
  String128 text = {};
  if (controller->getParamStringByValue(id, normalized, text) != kResultOk) return "<none>";
  return Narrow(text);
}

std::vector<double> Plugin::AllNormalized()
{
  std::vector<double> values;
  for (int i = 0; i < kParamCount; ++i) values.push_back(controller->getParamNormalized(static_cast<ParamID>(i)));
  return values;
}

}  // namespace vst3host
