// MIDI in through opcode 25, MIDI thru back to the host, and event lists that
// a host should not send but might.
#include "tests/hosts/vst2/Fixtures.h"

#include <climits>

namespace vst2host {
namespace {

using Vst2Midi = StartedPlugin;

vst2::MidiEvent MidiRecord(std::int32_t delta, unsigned char s, unsigned char d1, unsigned char d2)
{
  vst2::MidiEvent e{};
  e.type = vst2::kEventMidi;
  e.byteSize = sizeof e;
  e.deltaFrames = delta;
  e.midiData[0] = s;
  e.midiData[1] = d1;
  e.midiData[2] = d2;
  return e;
}

TEST_F(Vst2Midi, EveryMidiMessageGoesBackToTheHost)
{
  const std::vector<Midi> in = {
      {5, 0x90, 60, 100}, {6, 0xB0, 7, 64},  {20, 0x80, 60, 0}, {21, 0xE3, 0, 64},
      {22, 0xF8, 0, 0},   {30, 0xC5, 3, 0},  {31, 0xA0, 60, 5}, {32, 0xD1, 40, 0},
      {33, 0x9F, 61, 0},  {40, 0x00, 1, 2},
  };
  host.ClearRecords();
  EXPECT_EQ(plugin->SendMidi(in), 1);
  std::vector<SentEvent> out = host.SentEvents();
  ASSERT_EQ(out.size(), in.size()) << "sent during the events call, one list per message";
  EXPECT_EQ(host.CountCalls(vst2::hostop::kProcessEvents), in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(out[i].listCount, 1);
    EXPECT_TRUE(out[i].listTerminated);
    EXPECT_EQ(out[i].type, vst2::kEventMidi);
    EXPECT_EQ(out[i].byteSize, 32);
    EXPECT_EQ(out[i].deltaFrames, in[i].frame);
    EXPECT_EQ(out[i].bytes[0], in[i].status);
    EXPECT_EQ(out[i].bytes[1], in[i].data1);
    EXPECT_EQ(out[i].bytes[2], in[i].data2);
  }
  Render(*plugin, {}, 1024);
  EXPECT_EQ(host.SentEvents().size(), in.size()) << "nothing more is sent while rendering";
}

TEST_F(Vst2Midi, PitchJumpNotesAreNotPassedOn)
{
  plugin->StringToParameter(48, "0.01");  // Pitch Jump Delay
  plugin->StringToParameter(47, "12");
  host.ClearRecords();
  plugin->SendMidi({{0, kNoteOn, 60, 100}});
  Render(*plugin, {}, 44100);
  plugin->SendMidi({{0, kNoteOff, 60, 0}});
  Render(*plugin, {}, 44100);
  EXPECT_EQ(host.SentEvents().size(), 2u);
}

TEST_F(Vst2Midi, ProcessCallsAskForMidi)
{
  host.ClearRecords();
  RenderSetup setup;
  setup.blockPattern = {100};
  Render(*plugin, {}, 500, setup);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kWantMidi), 5u);
  setup.kind = ProcessKind::kReplacing;
  Render(*plugin, {}, 300, setup);
  setup.kind = ProcessKind::kAccumulating;
  Render(*plugin, {}, 300, setup);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kWantMidi), 11u);
}

TEST_F(Vst2Midi, SysExAndOtherEventsAreAcceptedQuietly)
{
  char dump[] = {char(0xF0), 0x7E, 0x7F, 0x06, 0x01, char(0xF7)};
  vst2::SysExEvent sysex{};
  sysex.type = vst2::kEventSysEx;
  sysex.byteSize = sizeof sysex;
  sysex.deltaFrames = 3;
  sysex.dumpBytes = sizeof dump;
  sysex.sysexDump = dump;
  vst2::SysExEvent emptySysex = sysex;
  emptySysex.dumpBytes = 100;
  emptySysex.sysexDump = nullptr;
  vst2::SysExEvent negativeSysex = sysex;
  negativeSysex.dumpBytes = -5;
  vst2::Event other{};
  other.type = 2;
  other.byteSize = sizeof other;
  vst2::Event strange{};
  strange.type = 12345;
  vst2::MidiEvent note = MidiRecord(7, kNoteOn, 81, 127);

  host.ClearRecords();
  std::vector<void*> list = {&sysex, nullptr, &emptySysex, &other, &negativeSysex, &strange, &note};
  EXPECT_EQ(plugin->SendEventPointers(list, static_cast<std::int32_t>(list.size())), 1);
  std::vector<SentEvent> out = host.SentEvents();
  ASSERT_EQ(out.size(), 1u) << "only MIDI events are passed on";
  EXPECT_EQ(out[0].deltaFrames, 7);
  Rendered r = Render(*plugin, {}, 1024);
  EXPECT_EQ(FirstNonZero(r.left), 7) << "the MIDI event after the others still plays";
}

TEST_F(Vst2Midi, BrokenListsAreSafe)
{
  host.ClearRecords();
  EXPECT_EQ(plugin->Dispatch(vst2::op::kProcessEvents, 0, 0, nullptr), 0);
  vst2::MidiEvent note = MidiRecord(0, kNoteOn, 60, 100);
  EXPECT_EQ(plugin->SendEventPointers({&note}, 0), 1);
  EXPECT_EQ(plugin->SendEventPointers({&note}, -1), 1);
  EXPECT_EQ(plugin->SendEventPointers({&note}, INT_MIN), 1);
  EXPECT_EQ(plugin->SendEventPointers({nullptr, nullptr}, 2), 1);
  EXPECT_TRUE(host.SentEvents().empty());
  Rendered r = Render(*plugin, {}, 1024);
  EXPECT_EQ(PeakAbs(r.left), 0.0) << "no note was taken";
}

TEST_F(Vst2Midi, BytesOutsideTheMidiRange)
{
  // Data bytes above 127 are not MIDI; they must not index note tables.
  const std::vector<Midi> wild = {
      {0, 0x90, 0xFF, 0xFF}, {1, 0xA0, 0xFF, 0x10}, {2, 0x80, 0xFF, 0xFF}, {3, 0x90, 0x80, 0x01},
      {4, 0xB0, 0xFF, 0xFF}, {5, 0xE0, 0xFF, 0xFF}, {6, 0x80, 0x80, 0x00}, {7, 0x90, 200, 0},
  };
  plugin->SendMidi(wild);
  Rendered r = Render(*plugin, {{100, kNoteOn, 81, 127}}, 4096);
  EXPECT_TRUE(AllFinite(r.left));
  EXPECT_LE(PeakAbs(r.left), 2.0);
  EXPECT_GT(PeakAbs(r.left, 2048), 0.1) << "a regular note still plays";

  // Pitch-jump notes transposed beyond 127.
  plugin->StringToParameter(48, "0.001");
  plugin->StringToParameter(47, "48");
  plugin->StringToParameter(50, "Both");
  r = Render(*plugin, {{0, kNoteOn, 120, 127}, {50, kNoteOff, 120, 0}, {60, kNoteOn, 127, 127}}, 8192);
  EXPECT_TRUE(AllFinite(r.left));
}

TEST_F(Vst2Midi, DeltasOutsideTheBlock)
{
  // A message due after the block waits for a later block; one with a
  // negative delta plays at the start of the block.
  plugin->SendMidi({{-20, kNoteOn, 81, 127}});
  Rendered r = Render(*plugin, {}, 256);
  EXPECT_EQ(FirstNonZero(r.left), 0);

  Host otherHost;
  auto other = Plugin::Create(otherHost);
  ASSERT_NE(other, nullptr);
  other->Start(44100.0f, 256);
  other->SendMidi({{700, kNoteOn, 81, 127}});
  RenderSetup setup;
  setup.blockPattern = {256};
  r = Render(*other, {}, 2048, setup);
  EXPECT_EQ(FirstNonZero(r.left), 700);

  other->SendMidi({{INT_MAX, kNoteOn, 70, 127}, {INT_MIN, kNoteOn, 72, 127}});
  r = Render(*other, {}, 1024, setup);
  EXPECT_TRUE(AllFinite(r.left));
}

TEST_F(Vst2Midi, ManyEventsInOneBlock)
{
  std::vector<Midi> burst;
  for (int i = 0; i < 5000; ++i)
    burst.push_back({i % 1024, static_cast<unsigned char>(i % 2 ? kNoteOff : kNoteOn),
                     static_cast<unsigned char>(40 + i % 50), 100});
  host.ClearRecords();
  EXPECT_EQ(plugin->SendMidi(burst), 1);
  EXPECT_EQ(host.SentEvents().size(), burst.size());
  Rendered r = Render(*plugin, {}, 4096);
  EXPECT_TRUE(AllFinite(r.left));
  EXPECT_LE(PeakAbs(r.left), 2.0);
}

}  // namespace
}  // namespace vst2host
