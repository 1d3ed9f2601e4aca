// State chunks and preset lists, as the framework reads them for every
// adapter: any bytes at any start position. A load either succeeds or leaves
// the sound and the presets exactly as they were.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static Vorblex* plug = new Vorblex();
  if (size < 1 || size > 1 << 20) return 0;
  const bool presetList = data[0] & 1;
  const int start = (data[0] >> 1) % 12;  // a few positions past the first byte
  IStateChunk chunk;
  chunk.PutBytes(data + 1, static_cast<int>(size - 1));

  IStateChunk stateBefore, presetsBefore;
  FUZZ_CHECK(plug->SerializeState(stateBefore));
  FUZZ_CHECK(plug->SerializePresets(presetsBefore));
  const int end = presetList ? plug->UnserializePresets(chunk, start) : plug->UnserializeState(chunk, start);
  FUZZ_CHECK(end == -1 || (end > start && end <= chunk.Size()));
  if (end < 0) {
    IStateChunk stateAfter, presetsAfter;
    plug->SerializeState(stateAfter);
    plug->SerializePresets(presetsAfter);
    FUZZ_CHECK(SameBytes(stateBefore, stateAfter));
    FUZZ_CHECK(SameBytes(presetsBefore, presetsAfter));
  } else {
    // What the check accepts is what the load accepted.
    FUZZ_CHECK((presetList ? plug->CheckPresets(chunk, start) : plug->CheckState(chunk, start)) == end);
  }
  CheckRendersFinite(*plug);
  CheckStateRoundTrips(*plug);
  return 0;
}
