// The VST2 module's entry and dispatcher as a host drives them: set-chunk of
// programs and banks (with and without the header), and text to parameter
// value. The first byte picks the operation; the rest is the host's data.
// A refused chunk leaves the program and the bank exactly as they were.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "adapters/vst2/VstInterface.h"
#include "fuzz/FuzzCheck.h"

namespace {
std::intptr_t VORBLEX_VST_CALL Host(vst2::Entry*, std::int32_t, std::int32_t, std::intptr_t, void*, float) { return 0; }

std::intptr_t Dispatch(vst2::Entry* e, std::int32_t op, std::int32_t index = 0, std::intptr_t value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
{
  return e->dispatcher(e, op, index, value, ptr, opt);
}

std::vector<uint8_t> GetChunk(vst2::Entry* e, bool bank)
{
  void* data = nullptr;
  const std::intptr_t n = Dispatch(e, vst2::op::kGetChunk, bank ? 0 : 1, 0, &data);
  FUZZ_CHECK(n > 0 && data);
  const auto* p = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(p, p + n);
}

vst2::Entry* Instance()
{
  static vst2::Entry* e = [] {
    // What the module's entry does (its source also defines the module's
    // "main", which the fuzzer's driver needs for itself).
    IPlugInstanceInfo info;
    info.mHostCallback = &Host;
    vst2::Entry* entry = (new Vorblex(info))->EntryForHost();
    Dispatch(entry, vst2::op::kOpen);
    Dispatch(entry, vst2::op::kSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(entry, vst2::op::kSetBlockSize, 0, 256);
    Dispatch(entry, vst2::op::kMainsChanged, 0, 1);
    return entry;
  }();
  return e;
}

void CheckRendersFinite(vst2::Entry* e)
{
  static float left[256], right[256];
  float* outs[2] = {left, right};
  vst2::MidiEvent on{};
  on.type = vst2::kEventMidi;
  on.byteSize = sizeof on;
  on.midiData[0] = 0x90;
  on.midiData[1] = 64;
  on.midiData[2] = 100;
  vst2::EventList list{};
  list.count = 1;
  list.events[0] = reinterpret_cast<vst2::Event*>(&on);
  Dispatch(e, vst2::op::kProcessEvents, 0, 0, &list);
  for (int b = 0; b < 3; ++b) {
    e->processReplacing(e, nullptr, outs, 256);
    for (int i = 0; i < 256; ++i) FUZZ_CHECK(std::isfinite(left[i]) && std::isfinite(right[i]));
  }
  on.midiData[0] = 0x80;
  Dispatch(e, vst2::op::kProcessEvents, 0, 0, &list);
  e->processReplacing(e, nullptr, outs, 256);
}

void CheckChunksRoundTrip(vst2::Entry* e)
{
  for (bool bank : {false, true}) {
    std::vector<uint8_t> saved = GetChunk(e, bank);
    FUZZ_CHECK(Dispatch(e, vst2::op::kSetChunk, bank ? 0 : 1, static_cast<std::intptr_t>(saved.size()), saved.data()) == 1);
    FUZZ_CHECK(GetChunk(e, bank) == saved);
  }
  for (int i = 0; i < e->parameterCount; ++i) {
    const float v = e->getParameter(e, i);
    FUZZ_CHECK(std::isfinite(v) && v >= 0.0f && v <= 1.0f);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1 || size > 1 << 20) return 0;
  vst2::Entry* e = Instance();
  const uint8_t mode = data[0];
  const uint8_t* rest = data + 1;
  const size_t n = size - 1;
  if (mode % 3 < 2) {
    const bool bank = mode % 3 == 1;
    const std::vector<uint8_t> programBefore = GetChunk(e, false);
    const std::vector<uint8_t> bankBefore = GetChunk(e, true);
    // The host's bytes in a buffer of exactly their size, so reads past the
    // end are caught.
    std::vector<uint8_t> bytes(rest, rest + n);
    const std::intptr_t r = Dispatch(e, vst2::op::kSetChunk, bank ? 0 : 1, static_cast<std::intptr_t>(n),
                                     n ? bytes.data() : nullptr);
    FUZZ_CHECK(r == 0 || r == 1);
    if (r == 0) {
      FUZZ_CHECK(GetChunk(e, false) == programBefore);
      FUZZ_CHECK(GetChunk(e, true) == bankBefore);
    }
  } else {
    // Text to parameter value: the parameter from the second byte, the text
    // after it, ended where the host's buffer ends.
    const int idx = n ? rest[0] % e->parameterCount : 0;
    std::string text(reinterpret_cast<const char*>(rest + (n ? 1 : 0)), n ? n - 1 : 0);
    Dispatch(e, vst2::op::kString2Parameter, idx, 0, text.data());
    char display[64] = {};
    Dispatch(e, vst2::op::kGetParamDisplay, idx, 0, display);
    FUZZ_CHECK(std::memchr(display, 0, sizeof display) != nullptr);
    const std::string shown(display);
    FUZZ_CHECK(shown.find("nan") == std::string::npos && shown.find("inf") == std::string::npos);
    // What the display shows reads back as the same display.
    Dispatch(e, vst2::op::kString2Parameter, idx, 0, display);
    char again[64] = {};
    Dispatch(e, vst2::op::kGetParamDisplay, idx, 0, again);
    FUZZ_CHECK(std::strcmp(display, again) == 0);
  }
  CheckRendersFinite(e);
  CheckChunksRoundTrip(e);
  return 0;
}
