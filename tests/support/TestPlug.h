#pragma once
// A plug-in on the offline adapter with the instrument's parameter set and the
// instrument's state layout (version word, then the parameter values), for
// tests of the framework that do not need the engine.
#include <cstring>
#include <vector>

#include "plugin/ParamTable.h"
#include "framework/IPlugOffline.h"

inline IPlugConfig InstrumentConfig(int nPresets = 1)
{
  IPlugConfig c;
  c.nParams = kParamCount;
  c.channelIOStr = "0-1 0-2";
  c.nPresets = nPresets;
  c.effectName = "Vorblex";
  c.makerName = "Tessolar";
  c.version = 0x00010001;
  c.uniqueID = MakeFourCC('s', 'p', 'g', 'p');
  c.makerID = MakeFourCC('P', 'q', 'x', 'r');
  c.isInstrument = true;
  c.midiIn = true;
  return c;
}

class TestPlug : public IPlugOffline {
public:
  explicit TestPlug(int nPresets = 1) : IPlugOffline(InstrumentConfig(nPresets)) { InitParameters(*this); }

  bool SerializeState(IStateChunk& chunk) override
  {
    MutexLock lock(Mutex());
    return chunk.PutInt(GetEffectVersion()) && SerializeParams(chunk);
  }
  int UnserializeState(const IStateChunk& chunk, int pos) override
  {
    MutexLock lock(Mutex());
    if (pos < 0 || static_cast<long long>(pos) + 4 > chunk.Size()) pos = -1;
    else pos += 4;
    return UnserializeParams(chunk, pos);
  }
  int CheckState(const IStateChunk& chunk, int pos) override
  {
    if (pos < 0 || static_cast<long long>(pos) + 4 > chunk.Size()) return -1;
    return CheckParams(chunk, pos + 4);
  }
  void OnParameterChange(int idx) override { changes.push_back(idx); }
  void OnPresetsChanged() override { ++presetsChanged; }
  void ProcessBlockDouble(double** inputs, double** outputs, int nFrames) override
  {
    ++blocks;
    lastFrames = nFrames;
    // A ramp that continues across blocks shows how blocks were cut.
    for (int i = 0; i < nFrames; ++i) {
      outputs[0][i] = static_cast<double>(ramp++);
      if (outputs[1]) outputs[1][i] = -outputs[0][i];
    }
    (void)inputs;
  }

  std::vector<int> changes;
  int presetsChanged = 0;
  int blocks = 0;
  int lastFrames = 0;
  long ramp = 0;
};
