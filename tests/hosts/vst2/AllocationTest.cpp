// The audio path allocates nothing: process calls and MIDI intake of a
// running instance, measured from outside the module.
#include "tests/hosts/vst2/AllocationCounter.h"
#include "tests/hosts/vst2/Fixtures.h"

#include <cstring>

namespace vst2host {
namespace {

TEST(Vst2Allocation, AudioPathDoesNotAllocate)
{
  Host host;
  auto plugin = Plugin::Create(host);
  ASSERT_NE(plugin, nullptr);
  plugin->Start(44100.0f, 512);
  long probe = 0;
  {
    // Growing the block size resizes the channel buffers: an allocation in
    // the module that this program must be able to see.
    AllocationScope scope;
    plugin->Dispatch(vst2::op::kSetBlockSize, 0, 2048);
    probe = scope.Count();
  }
  if (probe == 0)
    GTEST_SKIP() << "the module's allocations are not visible to this program (own C++ runtime)";
  plugin->Dispatch(vst2::op::kMainsChanged, 0, 1);
  Render(*plugin, {{0, kNoteOn, 60, 100}}, 4096);  // warm up

  // Event lists built ahead, outside the counted region.
  std::vector<vst2::MidiEvent> events(8);
  std::vector<std::intptr_t> raw(2 + events.size() + 1, 0);
  auto* list = reinterpret_cast<vst2::EventList*>(raw.data());
  auto** slots = reinterpret_cast<vst2::MidiEvent**>(reinterpret_cast<char*>(list) + offsetof(vst2::EventList, events));
  std::vector<float> fl(2048), fr(2048);
  std::vector<double> dl(2048), dr(2048);
  float* fOut[2] = {fl.data(), fr.data()};
  double* dOut[2] = {dl.data(), dr.data()};

  long total = 0;
  vst2::Entry* e = plugin->Entry();
  for (int block = 0; block < 120; ++block) {
    int count = block % 3;
    for (int i = 0; i < count; ++i) {
      vst2::MidiEvent& m = events[static_cast<std::size_t>(i)];
      std::memset(&m, 0, sizeof m);
      m.type = vst2::kEventMidi;
      m.byteSize = sizeof m;
      m.deltaFrames = 10 * i;
      m.midiData[0] = static_cast<unsigned char>((block / 3) % 2 ? kNoteOff : kNoteOn);
      m.midiData[1] = static_cast<unsigned char>(48 + (block + i) % 24);
      m.midiData[2] = 90;
      slots[i] = &m;
    }
    list->count = count;
    int frames = 1 + (block * 37) % 2048;
    AllocationScope scope;
    e->dispatcher(e, vst2::op::kProcessEvents, 0, 0, list, 0.0f);
    switch (block % 3) {
    case 0:
      e->processReplacing(e, fOut, fOut, frames);
      break;
    case 1:
      e->processAccumulating(e, fOut, fOut, frames);
      break;
    default:
      e->processDoubleReplacing(e, dOut, dOut, frames);
      break;
    }
    e->getParameter(e, block % kParamCount);
    e->setParameter(e, block % kParamCount, 0.5f);
    total += scope.Count();
  }
  EXPECT_EQ(total, 0) << "allocations during process, events and automation";
}

}  // namespace
}  // namespace vst2host
