// The adapter from the plug-in's side, linked in directly: the calls the
// plug-in base makes to the host (edits, latency, menus, resizing), what the
// host's process context and views hand the plug-in, and the effect variant
// (audio input, bypass parameter) the instrument does not exercise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/vst3/IEditorWindow.h"
#include "adapters/vst3/IPlugVST3.h"
#include "plugin/ParamTable.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "tests/hosts/vst3/HostObjects.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using vst3host::ComponentHandler;

namespace {

struct Editor : IEditorLink, IEditorWindow {
  void SetParameterFromHost(int idx, double value, bool normalized) override
  {
    moves.push_back({idx, value, normalized, plug && plug->GetParameter(idx)->GetNormalized() == value});
  }
  void CreateDrawBitmaps() override {}
  int WindowWidth() const override { return 846; }
  int WindowHeight() const override { return 768; }
  void* OpenWindow(void* parent) override
  {
    openedIn = parent;
    return parent;
  }
  void CloseWindow() override { ++closes; }

  struct Move {
    int idx;
    double value;
    bool normalized;
    bool valueAlreadySet;
  };
  IPlugBase* plug = nullptr;
  std::vector<Move> moves;
  void* openedIn = nullptr;
  int closes = 0;
};

IPlugConfig Config(bool instrument)
{
  IPlugConfig c;
  c.nParams = kParamCount;
  c.channelIOStr = instrument ? "0-1 0-2" : "2-2";
  c.effectName = "Vorblex";
  c.makerName = "Tessolar";
  c.version = 0x00010001;
  c.isInstrument = instrument;
  c.midiIn = instrument;
  return c;
}

class Plug : public IPlugVST3 {
public:
  explicit Plug(bool instrument = true, bool withEditor = true) : IPlugVST3({}, Config(instrument))
  {
    InitParameters(*this);
    if (withEditor) {
      editor = new Editor;
      editor->plug = this;
      AttachEditor(editor);
    }
    FillEmptyPresets("-", 1);
  }
  ~Plug() override { DeleteEditor(); }

  void OnEditorOpen() override { ++opens; }
  void OnEditorClose() override { ++closes; }
  void OnEditorResize() override { ++resizes; }
  void OnHostIdentified() override { ++identified; }
  void OnActivate(bool active) override { activations.push_back(active); }
  void ProcessBlockDouble(double** inputs, double** outputs, int nFrames) override
  {
    tempo = GetTempo();
    GetTimeSignature(&numerator, &denominator);
    GetTransportInfo(&transport);
    samplePosition = GetSamplePosition();
    offline = IsOfflineRender();
    for (int c = 0; c < NOutChannels(); ++c)
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = c < NInChannels() ? 0.5 * inputs[c][i] : 0.0;
  }

  Editor* editor = nullptr;
  int opens = 0, closes = 0, resizes = 0, identified = 0, numerator = 0, denominator = 0, samplePosition = 0;
  double tempo = 0.0;
  bool offline = false;
  ITransportInfo transport;
  std::vector<bool> activations;
};

// Owns one reference to a plug-in made the way the module makes them.
struct Held {
  explicit Held(Plug* p) : plug(p) {}
  ~Held()
  {
    plug->terminate();
    plug->release();
  }
  Plug* operator->() const { return plug; }
  Plug* plug;
};

TEST(Vst3Adapter, HostIsIdentifiedByItsName)
{
  vst3host::HostApplication app("VST3PluginTestHost 3.7");
  vst3host::HostApplication chatty(std::string(500, 'x') + "reaper");
  Held plug(new Plug);
  ASSERT_EQ(plug->initialize(&app), kResultOk);
  EXPECT_EQ(plug->GetHostKind(), kHostVST3TestHost);
  EXPECT_EQ(plug->GetHostVersion(), 0);
  EXPECT_EQ(plug->GetInterfaceKind(), 1);
  EXPECT_EQ(plug->identified, 1);

  Held unnamed(new Plug);
  ASSERT_EQ(unnamed->initialize(nullptr), kResultOk);
  EXPECT_EQ(unnamed->GetHostKind(), kHostUninit) << "no host application to ask";
  EXPECT_EQ(unnamed->identified, 1);

  Held longName(new Plug);
  ASSERT_EQ(longName->initialize(&chatty), kResultOk);
  EXPECT_EQ(longName->GetHostKind(), kHostUnknown) << "only the first 127 characters count";
}

TEST(Vst3Adapter, ConstructionNamesBusesAndConnectsChannels)
{
  Held plug(new Plug);
  EXPECT_EQ(plug->InputBusNames(), std::vector<std::string>{"Main Input"});
  EXPECT_EQ(plug->OutputBusNames(), std::vector<std::string>{"Output 1"});
  EXPECT_TRUE(plug->IsOutChannelConnected(0));
  EXPECT_TRUE(plug->IsOutChannelConnected(1));
}

TEST(Vst3Adapter, ParameterGroupsBecomeUnits)
{
  Held plug(new Plug);
  plug->GetParameter(kOsc1Level)->SetGroup("Levels");
  plug->GetParameter(kWhiteLevel)->SetGroup("Noise");
  plug->GetParameter(kOsc2Level)->SetGroup("Levels");
  ASSERT_EQ(plug->initialize(nullptr), kResultOk);
  ASSERT_EQ(plug->getUnitCount(), 3);
  UnitInfo unit = {};
  ASSERT_EQ(plug->getUnitInfo(2, unit), kResultOk);
  EXPECT_EQ(unit.id, 2);
  EXPECT_EQ(unit.parentUnitId, kRootUnitId);
  EXPECT_EQ(vst3host::Narrow(unit.name), "Noise");
  EXPECT_EQ(unit.programListId, kNoProgramListId);
  EXPECT_NE(plug->getUnitInfo(3, unit), kResultOk);
  // Declared after "Preset": parameter i is at index i + 1.
  ParameterInfo info = {};
  for (auto [idx, unitId] : {std::pair<int, int>{kOsc1Level, 1}, {kOsc2Level, 1}, {kWhiteLevel, 2}, {0, 0}}) {
    ASSERT_EQ(plug->getParameterInfo(idx + 1, info), kResultOk);
    EXPECT_EQ(info.unitId, unitId) << idx;
  }
}

TEST(Vst3Adapter, EditsLatencyAndActivationReachTheHost)
{
  ComponentHandler handler;
  Held plug(new Plug);
  plug->BeginHostParameterEdit(5);  // no handler yet: nothing, and no harm
  plug->initialize(nullptr);
  plug->setComponentHandler(&handler);
  plug->BeginHostParameterEdit(5);
  plug->SetParameterFromEditor(5, 0.33);
  plug->EndHostParameterEdit(5);
  plug->BeginHostParameterEdit(60);
  plug->InformHostParameterValue(-1, 0.5);
  plug->SetLatencySamples(64);
  EXPECT_EQ(plug->getLatencySamples(), 64u);
  plug->setActive(true);
  plug->setActive(false);

  std::vector<ComponentHandler::Call> calls = handler.Calls();
  ASSERT_EQ(calls.size(), 4u) << "edits of parameters that do not exist are not passed on";
  EXPECT_EQ(calls[0].kind, ComponentHandler::Call::kBegin);
  EXPECT_EQ(calls[0].id, 5u);
  EXPECT_EQ(calls[1].kind, ComponentHandler::Call::kPerform);
  EXPECT_EQ(calls[1].value, 0.33) << "the value given, not the stored one";
  EXPECT_EQ(calls[2].kind, ComponentHandler::Call::kEnd);
  EXPECT_EQ(calls[3].kind, ComponentHandler::Call::kRestart);
  EXPECT_EQ(calls[3].value, 8.0) << "latency changed";
  EXPECT_EQ(plug->activations, (std::vector<bool>{true, false}));
}

TEST(Vst3Adapter, ViewsOpenCloseResizeAndAskForMenus)
{
  // Host objects outlive the plug-in, which lets go of them on terminate.
  ComponentHandler handler;
  ComponentHandler plain(false);
  vst3host::PlugFrame frame;
  Held plug(new Plug);
  plug->initialize(nullptr);
  plug->setComponentHandler(&handler);
  plug->ShowHostParameterMenu(7, 1, 2);  // no view yet
  EXPECT_TRUE(handler.Calls().empty());

  IPlugView* view = plug->createView("editor");
  ASSERT_NE(view, nullptr);
  int parent = 0;
  ASSERT_EQ(view->attached(&parent, vst3host::kNativeViewType), kResultOk);
  EXPECT_EQ(plug->editor->openedIn, &parent);
  EXPECT_EQ(plug->opens, 1);
  EXPECT_NE(view->attached(&parent, vst3host::kNativeViewType), kResultOk) << "already open";
  EXPECT_EQ(plug->opens, 1);

  plug->ShowHostParameterMenu(7, 10, 20);
  std::vector<ComponentHandler::Call> calls = handler.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, ComponentHandler::Call::kMenu);
  EXPECT_EQ(calls[0].id, 7u);
  EXPECT_EQ(calls[0].value, 1.0) << "made for the view";
  EXPECT_EQ(calls[1].kind, ComponentHandler::Call::kPopup);
  EXPECT_EQ(calls[1].value, 10 * 10000.0 + 20);

  view->setFrame(&frame);
  plug->ResizeEditor(400, 300);
  EXPECT_EQ(frame.resizes, 1);
  EXPECT_EQ(frame.lastSize.right, 400);
  EXPECT_EQ(frame.lastSize.bottom, 300);
  ViewRect size(0, 0, 400, 300);
  view->onSize(&size);
  view->onSize(&size);
  EXPECT_EQ(plug->resizes, 1) << "only the size the plug-in asked for";

  ASSERT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(plug->closes, 1);
  EXPECT_EQ(plug->editor->closes, 1);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(plug->closes, 1) << "nothing left to close";
  view->setFrame(nullptr);
  view->release();

  // A handler without menus is not asked for one.
  plug->setComponentHandler(&plain);
  IPlugView* again = plug->createView("editor");
  plug->ShowHostParameterMenu(3, 0, 0);
  EXPECT_TRUE(plain.Calls().empty());
  again->release();
}

TEST(Vst3Adapter, NoEditorMeansNoView)
{
  Held plug(new Plug(true, false));
  plug->initialize(nullptr);
  EXPECT_EQ(plug->createView("editor"), nullptr);
  plug->ResizeEditor(10, 10);
}

TEST(Vst3Adapter, ProcessContextAndAutomationReachThePlugin)
{
  Held plug(new Plug);
  plug->initialize(nullptr);
  plug->activateBus(kAudio, kOutput, 0, true);
  ProcessSetup setup = {kOffline, kSample64, 256, 48000.0};
  ASSERT_EQ(plug->setupProcessing(setup), kResultOk);

  std::vector<double> left(64), right(64);
  double* channels[2] = {left.data(), right.data()};
  AudioBusBuffers out;
  out.numChannels = 2;
  out.channelBuffers64 = channels;
  ProcessContext context = {};
  context.state = ProcessContext::kPlaying | ProcessContext::kCycleActive;
  context.tempo = 133.0;
  context.timeSigNumerator = 7;
  context.timeSigDenominator = 8;
  context.projectTimeSamples = (int64(1) << 32) + 5;
  context.projectTimeMusic = 12.5;
  context.barPositionMusic = 12.0;
  context.cycleStartMusic = 8.0;
  context.cycleEndMusic = 16.0;
  vst3host::ParameterChanges changes;
  changes.Add(kOsc1Level, 0, 0.25);
  changes.Add(kOsc1Level, 9, 0.5);
  ProcessData data;
  data.symbolicSampleSize = kSample64;
  data.numSamples = 64;
  data.numOutputs = 1;
  data.outputs = &out;
  data.processContext = &context;
  data.inputParameterChanges = &changes;
  plug->editor->moves.clear();
  ASSERT_EQ(plug->process(data), kResultOk);

  EXPECT_EQ(plug->tempo, 133.0);
  EXPECT_EQ(plug->numerator, 7);
  EXPECT_EQ(plug->denominator, 8);
  EXPECT_EQ(plug->samplePosition, 5) << "the low 32 bits";
  EXPECT_TRUE(plug->offline);
  EXPECT_EQ(plug->transport.mPPQPos, 12.5);
  EXPECT_EQ(plug->transport.mLastBar, 12.0);
  EXPECT_EQ(plug->transport.mCycleStart, 8.0);
  EXPECT_EQ(plug->transport.mCycleEnd, 16.0);
  EXPECT_TRUE(plug->transport.mTransportIsRunning);
  EXPECT_TRUE(plug->transport.mTransportLoopEnabled);
  ASSERT_EQ(plug->editor->moves.size(), 1u);
  EXPECT_EQ(plug->editor->moves[0].idx, kOsc1Level);
  EXPECT_EQ(plug->editor->moves[0].value, 0.5);
  EXPECT_TRUE(plug->editor->moves[0].normalized);
  EXPECT_TRUE(plug->editor->moves[0].valueAlreadySet) << "value first, then the controls";

  // A block without a context keeps what the last one said.
  data.processContext = nullptr;
  data.inputParameterChanges = nullptr;
  plug->tempo = 0.0;
  plug->process(data);
  EXPECT_EQ(plug->tempo, 133.0);
}

TEST(Vst3Adapter, StateRestoreRedrawsTheControls)
{
  Held plug(new Plug);
  plug->initialize(nullptr);
  vst3host::ByteStream saved;
  ASSERT_EQ(plug->getState(&saved), kResultOk);
  plug->editor->moves.clear();
  vst3host::ByteStream replay(saved.Bytes());
  ASSERT_EQ(plug->setState(&replay), kResultOk);
  ASSERT_EQ(plug->editor->moves.size(), static_cast<size_t>(kParamCount));
  for (int i = 0; i < kParamCount; ++i) {
    EXPECT_EQ(plug->editor->moves[static_cast<size_t>(i)].idx, i);
    EXPECT_FALSE(plug->editor->moves[static_cast<size_t>(i)].normalized) << "real values";
  }
}

TEST(Vst3Adapter, EffectHasAnInputAndABypassParameter)
{
  Held plug(new Plug(false));
  ASSERT_EQ(plug->initialize(nullptr), kResultOk);
  EXPECT_EQ(plug->getBusCount(kEvent, kInput), 0) << "no MIDI input";
  BusInfo in = {}, out = {};
  ASSERT_EQ(plug->getBusInfo(kAudio, kInput, 0, in), kResultOk);
  ASSERT_EQ(plug->getBusInfo(kAudio, kOutput, 0, out), kResultOk);
  EXPECT_EQ(vst3host::Narrow(in.name), "Main Input");
  EXPECT_EQ(in.channelCount, 2);
  EXPECT_EQ(vst3host::Narrow(out.name), "Output");
  EXPECT_EQ(out.channelCount, 2);

  ASSERT_EQ(plug->getParameterCount(), 62);
  ParameterInfo bypass = {};
  ASSERT_EQ(plug->getParameterInfo(1, bypass), kResultOk);
  EXPECT_EQ(bypass.id, 0x62706173u);
  EXPECT_EQ(vst3host::Narrow(bypass.title), "Bypass");
  EXPECT_EQ(bypass.flags, 0x10009);
  EXPECT_EQ(bypass.stepCount, 1);
  String128 text;
  ASSERT_EQ(plug->getParamStringByValue(0, 0.0, text), kResultOk);

  plug->activateBus(kAudio, kInput, 0, true);
  plug->activateBus(kAudio, kOutput, 0, true);
  ProcessSetup setup = {kRealtime, kSample32, 64, 44100.0};
  ASSERT_EQ(plug->setupProcessing(setup), kResultOk);
  std::vector<float> inL(16, 0.8f), inR(16, -0.4f), outL(16), outR(16);
  float* ins[2] = {inL.data(), inR.data()};
  float* outs[2] = {outL.data(), outR.data()};
  AudioBusBuffers inBus, outBus;
  inBus.numChannels = outBus.numChannels = 2;
  inBus.channelBuffers32 = ins;
  outBus.channelBuffers32 = outs;
  ProcessData data;
  data.symbolicSampleSize = kSample32;
  data.numSamples = 16;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  ASSERT_EQ(plug->process(data), kResultOk);
  EXPECT_FLOAT_EQ(outL[15], 0.4f) << "processed: half the input";
  EXPECT_FLOAT_EQ(outR[0], -0.2f);

  vst3host::ParameterChanges bypassOn;
  bypassOn.Add(0x62706173u, 0, 1.0);
  data.inputParameterChanges = &bypassOn;
  ASSERT_EQ(plug->process(data), kResultOk);
  EXPECT_EQ(plug->getParamNormalized(0x62706173u), 1.0);
  EXPECT_FLOAT_EQ(outL[15], 0.8f) << "bypassed: the input as it is";
  EXPECT_FLOAT_EQ(outR[0], -0.4f);
}

}  // namespace
