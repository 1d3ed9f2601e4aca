#include "tests/hosts/vst2/adapter/AdapterProbe.h"

#include <algorithm>
#include <cstring>

namespace vst2adapter {

std::intptr_t VORBLEX_VST_CALL FakeHost::Callback(vst2::Entry* entry, std::int32_t opcode, std::int32_t index,
                                                   std::intptr_t value, void* ptr, float opt)
{
  FakeHost* host = entry ? static_cast<FakeHost*>(entry->user) : nullptr;
  if (!host)
    return 0;
  host->calls.push_back({opcode, index, value, opt});
  switch (opcode) {
  case vst2::hostop::kProcessEvents: {
    const auto* list = static_cast<const vst2::EventList*>(ptr);
    if (!list)
      return 0;
    host->sentListCounts.push_back(list->count);
    for (std::int32_t i = 0; i < list->count; ++i) {
      const vst2::Event* e = vst2::EventAt(list, i);
      if (e && e->type == vst2::kEventMidi)
        host->midiSent.push_back(*reinterpret_cast<const vst2::MidiEvent*>(e));
      else if (e && e->type == vst2::kEventSysEx)
        host->sysexSent.push_back(*reinterpret_cast<const vst2::SysExEvent*>(e));
    }
    if (vst2::EventAt(list, list->count) != nullptr)
      ADD_FAILURE() << "event list not terminated";
    return host->eventsAnswer;
  }
  case vst2::hostop::kGetCurrentProcessLevel:
    return host->processLevel;
  case vst2::hostop::kGetTime:
    return host->timeAvailable ? reinterpret_cast<std::intptr_t>(&host->time) : 0;
  case vst2::hostop::kGetProductString:
    if (host->productFillsWholeBuffer)
      std::memset(ptr, 'x', 256);
    else
      std::strcpy(static_cast<char*>(ptr), host->product.c_str());
    return 1;
  case vst2::hostop::kGetVendorVersion:
    return host->vendorVersion;
  default:
    return 0;
  }
}

std::size_t FakeHost::Count(std::int32_t opcode) const
{
  return static_cast<std::size_t>(
      std::count_if(calls.begin(), calls.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

IPlugConfig ProbeConfig(const char* channelIO, bool instrument, bool stateChunks)
{
  IPlugConfig c;
  c.nParams = 3;
  c.channelIOStr = channelIO;
  c.nPresets = 2;
  c.effectName = "Probe";
  c.makerName = "Probe Maker";
  c.version = 0x00020304;
  c.uniqueID = MakeFourCC('p', 'r', 'o', 'b');
  c.stateChunks = stateChunks;
  c.isInstrument = instrument;
  c.midiIn = true;
  return c;
}

ProbePlug::ProbePlug(FakeHost* host, const IPlugConfig& config)
    : IPlugVST(IPlugInstanceInfo{&FakeHost::Callback}, config)
{
  GetParameter(0)->InitContinuous("Gain", "dB", 0.0, -48.0, 12.0, 0.1, 1.0);
  GetParameter(1)->InitEnumeration("Wave", 0, 3, "");
  GetParameter(1)->AddDisplayText(0, "Sine");
  GetParameter(1)->AddDisplayText(1, "Square");
  GetParameter(1)->AddDisplayText(2, "Noise");
  GetParameter(2)->InitInteger("Depth", 0, -10, 10, "st");
  GetParameter(2)->SetNegateDisplay(true);
  FillEmptyPresets("-", 1);
  mEntryForHost = EntryForHost();
  mEntryForHost->user = host;
}

}  // namespace vst2adapter
