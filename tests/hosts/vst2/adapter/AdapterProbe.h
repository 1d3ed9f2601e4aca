#pragma once
// A small plug-in on the VST2 adapter, with a recording host callback and a
// stand-in editor, for the adapter's own tests: the parts of the binding that
// the instrument never reaches through its host (time queries, automation
// sent to the host, inputs, latency, other flags) are driven from here.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "adapters/vst2/IPlugVST.h"

namespace vst2adapter {

struct HostCall {
  std::int32_t opcode;
  std::int32_t index;
  std::intptr_t value;
  float opt;
};

// Answers the plug-in's callbacks from fields a test sets, and records them.
// It finds itself through the entry's user field.
class FakeHost {
public:
  static std::intptr_t VORBLEX_VST_CALL Callback(vst2::Entry* entry, std::int32_t opcode, std::int32_t index,
                                                 std::intptr_t value, void* ptr, float opt);
  std::size_t Count(std::int32_t opcode) const;

  std::vector<HostCall> calls;
  std::vector<vst2::MidiEvent> midiSent;
  std::vector<vst2::SysExEvent> sysexSent;
  std::vector<std::int32_t> sentListCounts;
  std::intptr_t eventsAnswer = 1;
  std::intptr_t processLevel = 0;
  std::string product = "Probe Host";
  bool productFillsWholeBuffer = false;  // writes 256 letters and no terminator
  std::intptr_t vendorVersion = 10203;
  bool timeAvailable = true;
  vst2::TimeInfo time{};
};

// Records what the base hands the editor.
class FakeEditor : public IEditorLink {
public:
  struct Move {
    int paramIdx;
    double value;
    bool normalized;
  };
  void SetParameterFromHost(int paramIdx, double value, bool normalized) override
  {
    moves.push_back({paramIdx, value, normalized});
  }
  void CreateDrawBitmaps() override { ++bitmapsCreated; }
  std::vector<Move> moves;
  int bitmapsCreated = 0;
};

// Three parameters: a continuous gain, an enumeration with texts and an
// integer shown negated. Channels from the given I/O text.
IPlugConfig ProbeConfig(const char* channelIO = "4-4", bool instrument = true, bool stateChunks = false);

class ProbePlug : public IPlugVST {
public:
  explicit ProbePlug(FakeHost* host, const IPlugConfig& config = ProbeConfig());

  vst2::Entry* Entry() { return mEntryForHost; }
  std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                         float opt = 0.0f)
  {
    return mEntryForHost->dispatcher(mEntryForHost, opcode, index, value, ptr, opt);
  }

  void OnParameterChange(int paramIdx) override
  {
    IPlugVST::OnParameterChange(paramIdx);
    changes.push_back(paramIdx);
  }
  void OnEditorResize() override { ++resizes; }
  void OnHostIdentified() override { ++identified; }

  std::vector<int> changes;
  int resizes = 0;
  int identified = 0;

private:
  vst2::Entry* mEntryForHost = nullptr;
};

// A probe that closes itself through the dispatcher when it goes.
struct ProbeInstance {
  explicit ProbeInstance(const IPlugConfig& config = ProbeConfig()) : plug(new ProbePlug(&host, config)) {}
  ~ProbeInstance() { plug->Dispatch(vst2::op::kClose); }
  ProbeInstance(const ProbeInstance&) = delete;
  ProbeInstance& operator=(const ProbeInstance&) = delete;
  FakeHost host;
  ProbePlug* plug;
};

}  // namespace vst2adapter
