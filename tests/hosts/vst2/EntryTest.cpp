// The module's exports and the entry structure it publishes, and the identity
// it reports through the dispatcher.
#include "tests/hosts/vst2/Fixtures.h"

#include <cstring>

namespace vst2host {
namespace {

void ExpectPublishedEntry(const vst2::Entry& e)
{
  EXPECT_EQ(e.magic, 0x56737450);
  EXPECT_NE(e.dispatcher, nullptr);
  EXPECT_NE(e.processAccumulating, nullptr);
  EXPECT_NE(e.setParameter, nullptr);
  EXPECT_NE(e.getParameter, nullptr);
  EXPECT_NE(e.processReplacing, nullptr);
  EXPECT_NE(e.processDoubleReplacing, nullptr);
  EXPECT_EQ(e.programCount, 1);
  EXPECT_EQ(e.parameterCount, 60);
  EXPECT_EQ(e.inputCount, 0);
  EXPECT_EQ(e.outputCount, 2);
  EXPECT_EQ(e.flags, kPublishedFlags);
  EXPECT_EQ(e.flags & vst2::kFlagProgramChunks, 0) << "the plug-in does not ask for opaque chunks";
  EXPECT_EQ(e.reserved1, 0);
  EXPECT_EQ(e.reserved2, 0);
  EXPECT_EQ(e.initialDelay, 0);
  EXPECT_EQ(e.deprecatedRealQualities, 0);
  EXPECT_EQ(e.deprecatedOffQualities, 0);
  EXPECT_EQ(e.ioRatio, 1.0f);
  EXPECT_NE(e.object, nullptr);
  EXPECT_EQ(e.user, nullptr);
  EXPECT_EQ(e.uniqueId, kUniqueId);
  EXPECT_EQ(e.uniqueId, vst2::FourCharCode('s', 'p', 'g', 'p'));
  EXPECT_EQ(e.version, kVersionDecimal);
  for (char c : e.future)
    EXPECT_EQ(c, 0);
}

TEST(Vst2Entry, ModuleExportsBothEntryNames)
{
  EXPECT_NE(ModuleEntry("VSTPluginMain"), nullptr);
  EXPECT_NE(ModuleEntry("main"), nullptr);
}

TEST(Vst2Entry, StructureHoldsThePublishedValues)
{
  Host host;
  auto plugin = Plugin::Create(host);
  ASSERT_NE(plugin, nullptr);
  {
    SCOPED_TRACE("before open");
    ExpectPublishedEntry(*plugin->Entry());
  }
  plugin->Start();
  {
    SCOPED_TRACE("after open");
    ExpectPublishedEntry(*plugin->Entry());
  }
}

TEST(Vst2Entry, MainIsTheSameEntryUnderASecondName)
{
  Host host;
  auto a = Plugin::Create(host, "VSTPluginMain");
  auto b = Plugin::Create(host, "main");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ExpectPublishedEntry(*b->Entry());
  EXPECT_NE(a->Entry(), b->Entry()) << "each call creates its own instance";
  EXPECT_NE(a->Entry()->object, b->Entry()->object);
  EXPECT_EQ(a->Entry()->dispatcher, b->Entry()->dispatcher);
  EXPECT_EQ(a->Entry()->processReplacing, b->Entry()->processReplacing);
  b->Start();
  EXPECT_EQ(b->Name(0), "Output Gain");
}

TEST(Vst2Entry, IdentityThroughTheDispatcher)
{
  Host host;
  auto plugin = Plugin::Create(host);
  ASSERT_NE(plugin, nullptr);
  plugin->Start();

  struct {
    std::int32_t opcode;
    const char* text;
  } const names[] = {{vst2::op::kGetEffectName, "Vorblex"},
                     {vst2::op::kGetVendorString, "Tessolar"},
                     {vst2::op::kGetProductString, ""}};
  for (const auto& n : names) {
    SCOPED_TRACE(n.opcode);
    MarkedBuffer buf;
    EXPECT_EQ(plugin->Dispatch(n.opcode, 0, 0, buf.data()), 1);
    EXPECT_EQ(buf.Text(), n.text);
    EXPECT_TRUE(buf.UntouchedFrom(64)) << "wrote past 64 bytes";
    EXPECT_EQ(plugin->Dispatch(n.opcode, 0, 0, nullptr), 0) << "no buffer";
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetVendorVersion), 10001);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetVstVersion), 2400);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kIdentify), 0x4E764566);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetPlugCategory), vst2::kCategorySynth);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetTailSize), 0);
}

TEST(Vst2Entry, OpenIdentifiesTheHostOnce)
{
  Host host;
  host.SetProductString("Some Host 3");
  auto plugin = Plugin::Create(host);
  ASSERT_NE(plugin, nullptr);
  plugin->Dispatch(vst2::op::kOpen);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kGetProductString), 1u);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kGetVendorVersion), 1u) << "a product string was given";
  plugin->Dispatch(vst2::op::kOpen);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kGetProductString), 1u) << "the host kind is kept once known";

  Host silent;
  silent.SetProductString("");
  auto other = Plugin::Create(silent);
  ASSERT_NE(other, nullptr);
  other->Dispatch(vst2::op::kOpen);
  EXPECT_EQ(silent.CountCalls(vst2::hostop::kGetProductString), 1u);
  EXPECT_EQ(silent.CountCalls(vst2::hostop::kGetVendorVersion), 0u) << "no version asked without a product";
  EXPECT_EQ(Host::StrayCalls(), 0);
}

TEST(Vst2Entry, CreatedWithoutHostCallbackStillRuns)
{
  vst2::ModuleEntryProc entry = ModuleEntry("VSTPluginMain");
  ASSERT_NE(entry, nullptr);
  vst2::Entry* e = entry(nullptr);
  if (!e)
    GTEST_SKIP() << "the module refuses a missing host callback";
  e->dispatcher(e, vst2::op::kOpen, 0, 0, nullptr, 0);
  e->dispatcher(e, vst2::op::kSetSampleRate, 0, 0, nullptr, 44100.0f);
  e->dispatcher(e, vst2::op::kSetBlockSize, 0, 64, nullptr, 0);
  e->dispatcher(e, vst2::op::kMainsChanged, 0, 1, nullptr, 0);
  vst2::MidiEvent note{};
  note.type = vst2::kEventMidi;
  note.byteSize = sizeof note;
  note.midiData[0] = 0x90;
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  std::intptr_t raw[4] = {};
  auto* list = reinterpret_cast<vst2::EventList*>(raw);
  list->count = 1;
  list->events[0] = reinterpret_cast<vst2::Event*>(&note);
  EXPECT_EQ(e->dispatcher(e, vst2::op::kProcessEvents, 0, 0, list, 0), 1);
  float left[64], right[64], silence[64] = {};
  float* outs[2] = {left, right};
  float* ins[2] = {silence, silence};
  e->processReplacing(e, ins, outs, 64);
  bool sound = false;
  for (float v : left)
    sound = sound || v != 0.0f;
  EXPECT_TRUE(sound);
  e->dispatcher(e, vst2::op::kClose, 0, 0, nullptr, 0);
}

}  // namespace
}  // namespace vst2host
