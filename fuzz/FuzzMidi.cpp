// MIDI through the processor: any status and data bytes, any offsets
// (inside, at the end of and far outside the block, negative too), any block
// sizes from 0 to 8192, with parameter moves between blocks.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"

namespace {
struct Reader {
  const uint8_t* p;
  size_t n;
  bool Empty() const { return n == 0; }
  uint8_t Byte()
  {
    if (!n) return 0;
    --n;
    return *p++;
  }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static Vorblex* plug = new Vorblex();
  static std::vector<double> left(8192), right(8192);
  if (size > 4096) return 0;
  Reader in{data, size};
  int blocks = 0;
  while (!in.Empty() && blocks++ < 16) {
    const int frames = in.Word() % 8193;
    const int nEvents = in.Byte() % 16;
    for (int e = 0; e < nEvents && !in.Empty(); ++e) {
      const int32_t offset = static_cast<int16_t>(in.Word());
      const uint8_t status = in.Byte(), d1 = in.Byte(), d2 = in.Byte();
      plug->AddMidi(IMidiMessage(offset, status, d1, d2));
    }
    if (in.Byte() & 1) {
      const int idx = in.Byte() % kParamCount;
      const double v = in.Word() / 65535.0;
      MutexLock lock(plug->Mutex());
      plug->GetParameter(idx)->SetNormalized(v);
      plug->OnParameterChange(idx);
    }
    double* outs[2] = {left.data(), right.data()};
    plug->ProcessBlock(outs, 2, frames);
    FUZZ_CHECK(AllFinite(left.data(), frames));
    FUZZ_CHECK(AllFinite(right.data(), frames));
  }
  CheckRendersFinite(*plug);
  CheckStateRoundTrips(*plug);
  return 0;
}
