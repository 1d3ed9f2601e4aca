// The VST3 component as a host drives it: setState with any stream (the
// first byte sets how many bytes each read delivers), and process calls with
// any note events, offsets and block sizes. A refused state leaves the state
// exactly as it was.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "adapters/vst3/VST3Module.h"
#include "fuzz/FuzzCheck.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
// A memory stream that hands out at most `piece` bytes per read.
class MemoryStream : public IBStream {
public:
  MemoryStream(const uint8_t* data, size_t size, int32 piece) : mBytes(data, data + size), mPiece(piece) {}
  MemoryStream() = default;
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
  {
    if (numBytesRead) *numBytesRead = 0;
    if (!buffer || numBytes < 0) return kInvalidArgument;
    const size_t n = std::min({mBytes.size() - mCursor, static_cast<size_t>(numBytes), static_cast<size_t>(mPiece)});
    if (n) std::memcpy(buffer, mBytes.data() + mCursor, n);
    mCursor += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return kResultOk;
  }
  tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override
  {
    if (!buffer || numBytes < 0) return kInvalidArgument;
    const auto* p = static_cast<const uint8_t*>(buffer);
    mBytes.insert(mBytes.end(), p, p + numBytes);
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
  }
  tresult PLUGIN_API seek(int64, int32, int64*) override { return kNotImplemented; }
  tresult PLUGIN_API tell(int64* pos) override
  {
    if (pos) *pos = static_cast<int64>(mCursor);
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    if (obj) *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
  const std::vector<uint8_t>& Bytes() const { return mBytes; }

private:
  std::vector<uint8_t> mBytes;
  size_t mCursor = 0;
  int32 mPiece = 1 << 30;
};

class Events : public IEventList {
public:
  int32 PLUGIN_API getEventCount() override { return static_cast<int32>(mEvents.size()); }
  tresult PLUGIN_API getEvent(int32 index, Event& e) override
  {
    if (index < 0 || index >= getEventCount()) return kInvalidArgument;
    e = mEvents[static_cast<size_t>(index)];
    return kResultOk;
  }
  tresult PLUGIN_API addEvent(Event& e) override
  {
    mEvents.push_back(e);
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    if (obj) *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
  std::vector<Event> mEvents;
};

IPlugVST3* Instance()
{
  static IPlugVST3* plug = [] {
    IPlugVST3* p = MakeVST3Plug(IPlugInstanceInfo{});
    p->initialize(nullptr);
    ProcessSetup setup{kRealtime, kSample32, 8192, 44100.0};
    p->setupProcessing(setup);
    p->activateBus(kAudio, kOutput, 0, true);
    p->setActive(true);
    return p;
  }();
  return plug;
}

std::vector<uint8_t> State(IPlugVST3* p)
{
  MemoryStream s;
  FUZZ_CHECK(p->getState(&s) == kResultOk);
  return s.Bytes();
}

// Renders `frames` with the given events; every sample must be finite.
void Process(IPlugVST3* p, int32 frames, Events* events)
{
  static std::vector<float> left(8192), right(8192);
  float* channels[2] = {left.data(), right.data()};
  AudioBusBuffers out{};
  out.numChannels = 2;
  out.channelBuffers32 = channels;
  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = kSample32;
  data.numSamples = frames;
  data.numOutputs = 1;
  data.outputs = &out;
  data.inputEvents = events;
  p->process(data);
  for (int32 i = 0; i < frames; ++i) FUZZ_CHECK(std::isfinite(left[static_cast<size_t>(i)]) && std::isfinite(right[static_cast<size_t>(i)]));
}

Event Note(bool on, int32 offset, int16 pitch, float velocity)
{
  Event e{};
  e.sampleOffset = offset;
  if (on) {
    e.type = Event::kNoteOnEvent;
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
  } else {
    e.type = Event::kNoteOffEvent;
    e.noteOff.pitch = pitch;
    e.noteOff.velocity = velocity;
  }
  return e;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1 || size > 1 << 20) return 0;
  IPlugVST3* p = Instance();
  if (data[0] & 0x80) {
    // Process calls: per block two bytes of size, one of event count, then
    // eight bytes per event (kind, offset, pitch, velocity).
    size_t at = 1;
    auto byte = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    for (int blocks = 0; at < size && blocks < 8; ++blocks) {
      const int32 frames = (byte() | byte() << 8) % 8193;
      Events events;
      const int n = byte() % 16;
      for (int k = 0; k < n && at < size; ++k) {
        const bool on = byte() & 1;
        const int32 offset = static_cast<int16_t>(byte() | byte() << 8);
        const int16 pitch = static_cast<int16>(static_cast<int8_t>(byte()) * 2);
        uint32_t bits = static_cast<uint32_t>(byte()) | static_cast<uint32_t>(byte()) << 8 |
                        static_cast<uint32_t>(byte()) << 16 | static_cast<uint32_t>(byte()) << 24;
        float velocity;
        std::memcpy(&velocity, &bits, sizeof velocity);
        events.mEvents.push_back(Note(on, offset, pitch, velocity));
      }
      Process(p, frames, &events);
    }
  } else {
    const std::vector<uint8_t> before = State(p);
    MemoryStream stream(data + 1, size - 1, 1 + data[0] % 64);
    const tresult r = p->setState(&stream);
    if (r != kResultOk) FUZZ_CHECK(State(p) == before);
  }
  // A note renders finite audio, and the state restores to the same bytes.
  Events notes;
  notes.mEvents.push_back(Note(true, 0, 60, 0.8f));
  Process(p, 512, &notes);
  notes.mEvents[0] = Note(false, 0, 60, 0.0f);
  Process(p, 512, &notes);
  const std::vector<uint8_t> saved = State(p);
  MemoryStream replay(saved.data(), saved.size(), 1 << 30);
  FUZZ_CHECK(p->setState(&replay) == kResultOk);
  FUZZ_CHECK(State(p) == saved);
  return 0;
}
