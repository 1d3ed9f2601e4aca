#pragma once
// A small VST3 host: takes the factory of the module under test, makes
// instances through it and drives them through the published interfaces only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/hosts/vst3/HostObjects.h"
#include "tests/hosts/vst3/Module.h"

namespace vst3host {

using Steinberg::Vst::kSample32;
using Steinberg::Vst::kSample64;

constexpr ParamID kPresetID = 0x70727374;  // 'prst'
constexpr ParamID kBypassID = 0x62706173;  // 'bpas'
constexpr int kParamCount = 60;
constexpr int kStateSize = 488;

// ---- The module under test (set by main) ----
void SetModuleUnderTest(std::unique_ptr<Module> module, bool probe);
void UnloadModuleUnderTest();
Module& ModuleUnderTest();
// The probe module's plug-in renders predictable audio (ProbeSynth.cpp); the
// deliverable's does not, so exact audio checks run on the probe only.
bool IsProbe();
// The module's factory, with a reference held by the host until unload.
Steinberg::IPluginFactory* Factory();
// The class id of the module's one class.
const Steinberg::TUID& ClassID();

struct Note {
  int32 offset;
  bool on;
  int pitch;
  float velocity;
  int channel = 0;
};

struct Point {
  ParamID id;
  int32 offset;
  double value;
};

struct BlockSpec {
  int32 frames = 512;
  std::vector<Note> notes;
  std::vector<std::vector<Point>> queues;  // one queue per entry, points in order
  int32 sampleSize = kSample32;
  int32 channels = 2;  // host channels of the output bus
};

struct BlockResult {
  tresult result = Steinberg::kResultFalse;
  std::vector<std::vector<double>> out;  // per host channel
  // Samples the plug-in left as the host filled them (a marker value).
  int untouched = 0;
};

class Plugin {
public:
  // A fresh instance from the factory, not initialised; null on failure.
  static std::unique_ptr<Plugin> Create();
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  tresult Initialize();  // with our host application as context
  // Initialises if needed, connects the handler, activates the main buses and
  // sets processing up and going.
  void Start(double sampleRate = 44100.0, int32 maxBlock = 1024, int32 sampleSize = kSample32);
  tresult Setup(double sampleRate, int32 maxBlock, int32 sampleSize);

  BlockResult Process(const BlockSpec& block);
  // Renders frames in blocks of blockSize with the notes given (offsets from
  // the start of the render); output 1 only.
  std::vector<double> Render(int64_t frames, int32 blockSize, const std::vector<Note>& notes,
                             int32 sampleSize = kSample32);

  std::vector<uint8> GetState(tresult* result = nullptr);
  tresult SetState(ByteStream& stream);
  tresult SetState(const std::vector<uint8>& bytes);

  std::string ParamString(ParamID id, double normalized);
  double Normalized(ParamID id) { return controller->getParamNormalized(id); }
  // Normalised values of parameters 0..59.
  std::vector<double> AllNormalized();

  Steinberg::Vst::IComponent* component = nullptr;
  Steinberg::Vst::IAudioProcessor* processor = nullptr;
  Steinberg::Vst::IEditController* controller = nullptr;
  Steinberg::Vst::IUnitInfo* units = nullptr;
  HostApplication app;
  ComponentHandler handler;

private:
  Plugin() = default;
  bool mInitialized = false;
  bool mActive = false;
};

}  // namespace vst3host
