// What an initialised instance declares (buses, parameters, units, presets,
// views) and how the controller answers queries about parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plugin/ParamTable.h"
#include "pluginterfaces/gui/iplugview.h"
#include "tests/hosts/vst3/Probe.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

class Initialised : public testing::Test {
protected:
  void SetUp() override
  {
    plugin = Plugin::Create();
    ASSERT_NE(plugin, nullptr);
    ASSERT_EQ(plugin->Initialize(), kResultOk);
  }
  std::unique_ptr<Plugin> plugin;
};

bool IsList(int idx)
{
  return idx == kOsc1Type || idx == kOsc2Type || idx == kOsc3Type || idx == kPitchJumpTrigger ||
         idx == kBitCrushPosition;
}

TEST_F(Initialised, SecondInitializeIsRefused)
{
  EXPECT_EQ(plugin->component->initialize(&plugin->app), kResultFalse);
  EXPECT_EQ(plugin->controller->getParameterCount(), 61) << "nothing was built twice";
}

TEST_F(Initialised, KeepsTheHostContextUntilTerminate)
{
  EXPECT_EQ(plugin->app.Refs(), 2) << "the context is kept; the application interface asked of it is not";
  plugin->component->terminate();
  EXPECT_EQ(plugin->app.Refs(), 1);
  EXPECT_EQ(plugin->Initialize(), kResultOk);
}

TEST_F(Initialised, BusesAreOneStereoOutputAndOneEventInput)
{
  IComponent* c = plugin->component;
  EXPECT_EQ(c->getBusCount(kAudio, kInput), 0);
  EXPECT_EQ(c->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(c->getBusCount(kEvent, kInput), 1);
  EXPECT_EQ(c->getBusCount(kEvent, kOutput), 0);

  BusInfo out = {};
  ASSERT_EQ(c->getBusInfo(kAudio, kOutput, 0, out), kResultOk);
  EXPECT_EQ(out.mediaType, kAudio);
  EXPECT_EQ(out.direction, kOutput);
  EXPECT_EQ(out.channelCount, 2);
  EXPECT_EQ(Narrow(out.name), "Output 1");
  EXPECT_EQ(out.busType, kMain);
  EXPECT_EQ(out.flags, static_cast<uint32>(BusInfo::kDefaultActive));

  BusInfo midi = {};
  ASSERT_EQ(c->getBusInfo(kEvent, kInput, 0, midi), kResultOk);
  EXPECT_EQ(midi.channelCount, 1);
  EXPECT_EQ(Narrow(midi.name), "MIDI Input");
  EXPECT_EQ(midi.busType, kMain);
  EXPECT_EQ(midi.flags, static_cast<uint32>(BusInfo::kDefaultActive));

  SpeakerArrangement arr = 0;
  ASSERT_EQ(plugin->processor->getBusArrangement(kOutput, 0, arr), kResultOk);
  EXPECT_EQ(arr, static_cast<SpeakerArrangement>(0x3));

  BusInfo none = {};
  EXPECT_NE(c->getBusInfo(kAudio, kOutput, 1, none), kResultOk);
  EXPECT_NE(c->getBusInfo(kAudio, kOutput, -1, none), kResultOk);
  EXPECT_NE(c->getBusInfo(kAudio, kInput, 0, none), kResultOk);
  EXPECT_NE(c->getBusInfo(7, kInput, 0, none), kResultOk);
  EXPECT_EQ(c->getBusCount(7, 9), 0);
  EXPECT_NE(c->activateBus(kAudio, kOutput, 3, true), kResultOk);
  EXPECT_NE(plugin->processor->getBusArrangement(kInput, 0, arr), kResultOk);
}

TEST_F(Initialised, PresetThenTheSixtyParametersAndNoBypass)
{
  IEditController* ec = plugin->controller;
  ASSERT_EQ(ec->getParameterCount(), 61);
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    const ParamDesc* d = GetParamDesc(i);
    ParameterInfo info = {};
    ASSERT_EQ(ec->getParameterInfo(i + 1, info), kResultOk);
    EXPECT_EQ(info.id, static_cast<ParamID>(i));
    EXPECT_EQ(Narrow(info.title), d->name);
    EXPECT_EQ(info.unitId, kRootUnitId);
    if (IsList(i)) {
      EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);
      EXPECT_EQ(info.stepCount, static_cast<int32>(d->maximum - d->minimum));
      EXPECT_EQ(Narrow(info.units), "") << "the value shows as a text";
    } else {
      EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
      EXPECT_EQ(info.stepCount, 0);
      EXPECT_EQ(Narrow(info.units), d->label);
      EXPECT_NEAR(info.defaultNormalizedValue, (d->defaultValue - d->minimum) / (d->maximum - d->minimum), 1e-12);
    }
  }
  ParameterInfo preset = {};
  ASSERT_EQ(ec->getParameterInfo(0, preset), kResultOk) << "declared first";
  EXPECT_EQ(preset.id, kPresetID);
  EXPECT_EQ(Narrow(preset.title), "Preset");
  EXPECT_EQ(Narrow(preset.units), "");
  EXPECT_EQ(preset.stepCount, 1);
  EXPECT_EQ(preset.defaultNormalizedValue, 0.0);
  EXPECT_EQ(preset.flags, ParameterInfo::kIsProgramChange);
  EXPECT_EQ(preset.unitId, kRootUnitId);

  ParameterInfo none = {};
  EXPECT_NE(ec->getParameterInfo(61, none), kResultOk);
  EXPECT_NE(ec->getParameterInfo(-1, none), kResultOk);
  EXPECT_NE(ec->getParameterInfo(std::numeric_limits<int32>::min(), none), kResultOk);
}

TEST_F(Initialised, DisplayStrings)
{
  EXPECT_EQ(plugin->ParamString(kOutputGain, 0.7), "-6.0");
  EXPECT_EQ(plugin->ParamString(kOutputGain, 0.0), "-48.0");
  EXPECT_EQ(plugin->ParamString(kOsc1Type, 1.5 / 7.0), "Triangle");
  EXPECT_EQ(plugin->ParamString(kOsc2Type, 1.0), "Whistle");
  EXPECT_EQ(plugin->ParamString(kPitchJumpTrigger, 0.5), "On NoteOff");
  EXPECT_EQ(plugin->ParamString(kBitCrushPosition, 1.0), "After");
  EXPECT_EQ(plugin->ParamString(kOsc1Octave, 0.5), "0");
  EXPECT_EQ(plugin->ParamString(kFilterLPCutoff, 1.0), "22050.0");
  EXPECT_EQ(plugin->ParamString(kAmpEnvAttack, 0.5), "1.251") << "shape 3: 0.001 + 9.999 * 0.125";
  // Ids that are not one of the sixty have no strings.
  EXPECT_EQ(plugin->ParamString(kPresetID, 0.0), "<none>");
  EXPECT_EQ(plugin->ParamString(kBypassID, 0.0), "<none>");
  EXPECT_EQ(plugin->ParamString(60, 0.0), "<none>");
  // Values outside 0..1 or not finite still give a text and nothing worse.
  for (double v : {-1e300, 1e300, std::nan(""), std::numeric_limits<double>::infinity()}) {
    for (ParamID id : {0u, 1u, 9u, 50u, 59u}) plugin->ParamString(id, v);
  }
  String128 text;
  EXPECT_NE(plugin->controller->getParamStringByValue(0, 0.5, nullptr), kResultOk);
  EXPECT_EQ(plugin->controller->getParamStringByValue(0, 0.5, text), kResultOk);
}

TEST_F(Initialised, PlainValuesFollowTheShapeLaw)
{
  IEditController* ec = plugin->controller;
  EXPECT_NEAR(ec->plainParamToNormalized(kOutputGain, -6.0), 0.7, 1e-12);
  EXPECT_EQ(ec->plainParamToNormalized(kOutputGain, -100.0), 0.0) << "clamped";
  EXPECT_EQ(ec->plainParamToNormalized(kOutputGain, 100.0), 1.0) << "clamped";
  EXPECT_NEAR(ec->plainParamToNormalized(kAmpEnvAttack, 0.001 + 9.999 * 0.125), 0.5, 1e-12);
  EXPECT_NEAR(ec->plainParamToNormalized(kOsc1Type, 3.0), 3.0 / 7.0, 1e-12);
  EXPECT_EQ(ec->plainParamToNormalized(kPresetID, 5.5), 5.5) << "not one of the sixty: unchanged";
  EXPECT_EQ(ec->plainParamToNormalized(1000, -2.0), -2.0);
  // The SDK's own conversion back, for completeness; it must not trip on odd values.
  for (double v : {-1.0, 0.0, 0.5, 1.0, 2.0, std::nan("")}) {
    for (ParamID id : {0u, 1u, 50u, kPresetID, 999u}) ec->normalizedParamToPlain(id, v);
  }
}

TEST_F(Initialised, NormalisedValuesSetAndRead)
{
  IEditController* ec = plugin->controller;
  EXPECT_NEAR(ec->getParamNormalized(kOutputGain), 0.7, 1e-12) << "-6 dB by default";
  ASSERT_EQ(ec->setParamNormalized(kOutputGain, 0.25), kResultOk);
  EXPECT_DOUBLE_EQ(ec->getParamNormalized(kOutputGain), 0.25);

  ASSERT_EQ(ec->setParamNormalized(kOsc1Octave, 0.52), kResultOk);
  EXPECT_DOUBLE_EQ(ec->getParamNormalized(kOsc1Octave), 0.5) << "integers are rounded to their step";

  EXPECT_EQ(ec->setParamNormalized(kOutputGain, std::nan("")), kResultOk);
  EXPECT_DOUBLE_EQ(ec->getParamNormalized(kOutputGain), 0.25) << "a value that is not finite is ignored";
  ec->setParamNormalized(kOutputGain, std::numeric_limits<double>::infinity());
  EXPECT_DOUBLE_EQ(ec->getParamNormalized(kOutputGain), 0.25);

  EXPECT_NE(ec->setParamNormalized(kPresetID, 0.5), kResultOk);
  EXPECT_NE(ec->setParamNormalized(60, 0.5), kResultOk);
  EXPECT_NE(ec->setParamNormalized(0xFFFFFFFFu, 0.5), kResultOk);
  EXPECT_EQ(ec->getParamNormalized(60), 0.0);
  EXPECT_EQ(ec->getParamNormalized(kBypassID), 0.0) << "not bypassed";
}

TEST_F(Initialised, TextToValueGoesThroughTheDeclaredParameters)
{
  IEditController* ec = plugin->controller;
  TChar whistle[] = {'W', 'h', 'i', 's', 't', 'l', 'e', 0};
  ParamValue v = -1.0;
  ASSERT_EQ(ec->getParamValueByString(kOsc1Type, whistle, v), kResultOk);
  EXPECT_DOUBLE_EQ(v, 1.0);
  EXPECT_NE(ec->getParamValueByString(kOsc1Type, nullptr, v), kResultOk);
  TChar junk[] = {'?', 0};
  EXPECT_NE(ec->getParamValueByString(kOsc1Type, junk, v), kResultOk);
  EXPECT_NE(ec->getParamValueByString(4242, whistle, v), kResultOk);
}

TEST_F(Initialised, OneRootUnitAndTheFactoryPresetList)
{
  IUnitInfo* u = plugin->units;
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->getUnitCount(), 1);
  UnitInfo root = {};
  ASSERT_EQ(u->getUnitInfo(0, root), kResultOk);
  EXPECT_EQ(root.id, kRootUnitId);
  EXPECT_EQ(root.parentUnitId, kNoParentUnitId);
  EXPECT_EQ(Narrow(root.name), "Root Unit");
  EXPECT_EQ(root.programListId, kNoProgramListId);
  UnitInfo none = {};
  EXPECT_NE(u->getUnitInfo(1, none), kResultOk);
  EXPECT_NE(u->getUnitInfo(-1, none), kResultOk);

  EXPECT_EQ(u->getProgramListCount(), 0);
  ProgramListInfo list = {};
  ASSERT_EQ(u->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(list.id, static_cast<ProgramListID>(kPresetID));
  EXPECT_EQ(Narrow(list.name), "Factory Presets");
  EXPECT_EQ(list.programCount, 1);
  EXPECT_NE(u->getProgramListInfo(1, list), kResultOk);

  String128 name = {};
  ASSERT_EQ(u->getProgramName(kPresetID, 0, name), kResultOk);
  EXPECT_EQ(Narrow(name), "-") << "preset 0 holds the initial sound";
  ASSERT_EQ(u->getProgramName(kPresetID, 5, name), kResultOk);
  EXPECT_EQ(Narrow(name), "");
  EXPECT_NE(u->getProgramName(1234, 0, name), kResultOk);
  EXPECT_NE(u->getProgramName(kPresetID, 0, nullptr), kResultOk);
  EXPECT_EQ(u->getSelectedUnit(), kRootUnitId);
}

TEST_F(Initialised, ComponentAndProcessorAnswers)
{
  TUID cid;
  EXPECT_EQ(plugin->component->getControllerClassId(cid), kNotImplemented);
  EXPECT_EQ(plugin->component->setIoMode(kSimple), kNotImplemented);
  EXPECT_EQ(plugin->controller->setComponentState(nullptr), kNotImplemented);
  EXPECT_EQ(plugin->processor->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(plugin->processor->canProcessSampleSize(kSample64), kResultTrue);
  EXPECT_EQ(plugin->processor->canProcessSampleSize(2), kResultFalse);
  EXPECT_EQ(plugin->processor->canProcessSampleSize(-1), kResultFalse);
  EXPECT_EQ(plugin->processor->getLatencySamples(), 0u);
  EXPECT_EQ(plugin->processor->getTailSamples(), 0u);
  FUnknownPtr<IEditController2> ec2(plugin->controller);
  ASSERT_TRUE(ec2);
  EXPECT_EQ(ec2->openHelp(false), kResultFalse);
  EXPECT_EQ(ec2->openAboutBox(true), kResultFalse);
}

TEST_F(Initialised, BusArrangements)
{
  IAudioProcessor* p = plugin->processor;
  SpeakerArrangement stereo = 0x3, mono = 0x80000, surround = 0x3F, none = 0;
  // No input arrangement given: the answer is no, the stereo bus stays.
  EXPECT_EQ(p->setBusArrangements(nullptr, 0, &stereo, 1), kResultFalse);
  SpeakerArrangement arr = 0;
  ASSERT_EQ(p->getBusArrangement(kOutput, 0, arr), kResultOk);
  EXPECT_EQ(arr, stereo);
  // One empty input arrangement and stereo out is what the plug-in does.
  EXPECT_EQ(p->setBusArrangements(&none, 1, &stereo, 1), kResultOk);
  // Six outputs are not a legal configuration.
  EXPECT_EQ(p->setBusArrangements(&none, 1, &surround, 1), kResultFalse);
  ASSERT_EQ(p->getBusArrangement(kOutput, 0, arr), kResultOk);
  EXPECT_EQ(arr, stereo);
  // Mono out is legal: the bus becomes a mono "Output".
  EXPECT_EQ(p->setBusArrangements(&none, 1, &mono, 1), kResultOk);
  BusInfo info = {};
  ASSERT_EQ(plugin->component->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
  EXPECT_EQ(info.channelCount, 1);
  EXPECT_EQ(Narrow(info.name), "Output");
  EXPECT_EQ(p->setBusArrangements(&none, 1, &stereo, 1), kResultOk);
  ASSERT_EQ(plugin->component->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
  EXPECT_EQ(info.channelCount, 2);

  EXPECT_NE(p->setBusArrangements(nullptr, -1, &stereo, 1), kResultOk);
  EXPECT_NE(p->setBusArrangements(&none, 1, nullptr, -5), kResultOk);
  EXPECT_NE(p->setBusArrangements(nullptr, 3, nullptr, 3), kResultOk);
}

TEST_F(Initialised, ViewsOnlyByTheEditorName)
{
  EXPECT_EQ(plugin->controller->createView("Editor"), nullptr);
  EXPECT_EQ(plugin->controller->createView("wrong"), nullptr);
  EXPECT_EQ(plugin->controller->createView(""), nullptr);
  EXPECT_EQ(plugin->controller->createView(nullptr), nullptr);

  IPlugView* view = plugin->controller->createView("editor");
  if (!IsProbe() && !view) return;  // no editor window on this platform
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kNativeViewType), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kForeignViewType), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.left, 0);
  EXPECT_EQ(size.top, 0);
  EXPECT_EQ(size.getWidth(), probe::kEditorWidth);
  EXPECT_EQ(size.getHeight(), probe::kEditorHeight);
  EXPECT_NE(view->getSize(nullptr), kResultOk);
  EXPECT_EQ(view->canResize(), kResultFalse) << "the host may not resize it";
  EXPECT_EQ(view->checkSizeConstraint(&size), kResultFalse);
  EXPECT_EQ(view->onWheel(1.0f), kResultFalse);
  EXPECT_EQ(view->onKeyDown('a', 0, 0), kResultFalse);
  EXPECT_EQ(view->onFocus(true), kResultFalse);
  if (!IsProbe()) {
    // A real editor would open a window inside the parent: leave that to hosts.
    view->release();
    return;
  }

  PlugFrame frame;
  EXPECT_EQ(view->setFrame(&frame), kResultOk);
  EXPECT_NE(view->attached(nullptr, kNativeViewType), kResultOk);
  int parent = 0;
  EXPECT_EQ(view->attached(&parent, kNativeViewType), kResultOk);
  ViewRect host(0, 0, 100, 100);
  EXPECT_EQ(view->onSize(&host), kResultOk);
  EXPECT_NE(view->onSize(nullptr), kResultOk);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(view->setFrame(nullptr), kResultOk);
  EXPECT_EQ(frame.resizes, 0) << "the plug-in never asked";
  view->release();
}

TEST(Vst3Controller, ViewOutlivesItsPluginReference)
{
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  ASSERT_EQ(plugin->Initialize(), kResultOk);
  IPlugView* view = plugin->controller->createView("editor");
  if (!view) return;
  // The host lets go of the plug-in first; the view still holds it.
  plugin.reset();
  ViewRect size;
  EXPECT_EQ(view->getSize(&size), kResultOk);
  view->release();
}

TEST(Vst3Controller, TerminateDropsDeclarationsAndInitializeRebuildsThem)
{
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  ASSERT_EQ(plugin->Initialize(), kResultOk);
  plugin->controller->setComponentHandler(&plugin->handler);
  EXPECT_GT(plugin->handler.Refs(), 1) << "the plug-in keeps the handler it was given";
  ASSERT_EQ(plugin->component->terminate(), kResultOk);
  EXPECT_EQ(plugin->handler.Refs(), 1) << "and lets it go on terminate";
  EXPECT_EQ(plugin->controller->getParameterCount(), 0);
  EXPECT_EQ(plugin->component->getBusCount(kAudio, kOutput), 0);
  ASSERT_EQ(plugin->Initialize(), kResultOk);
  EXPECT_EQ(plugin->controller->getParameterCount(), 61);
  EXPECT_EQ(plugin->component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(plugin->component->getBusCount(kEvent, kInput), 1);
}

TEST(Vst3Controller, InitializeWithoutAHostApplication)
{
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  ParameterChanges notAHost;
  ASSERT_EQ(plugin->component->initialize(&notAHost), kResultOk);
  EXPECT_EQ(plugin->controller->getParameterCount(), 61);
  plugin->component->terminate();

  auto other = Plugin::Create();
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(other->component->initialize(nullptr), kResultOk);
  EXPECT_EQ(other->controller->getParameterCount(), 61);
  other->component->terminate();
}

}  // namespace
}  // namespace vst3host
