// What the adapter tells and asks its host: automation and edit gestures,
// display updates, the time record and its validity flags, the process
// level, MIDI and system-exclusive events out, and host identification.
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/hosts/vst2/adapter/AdapterProbe.h"

namespace vst2adapter {
namespace {

TEST(Vst2HostCalls, EditorGesturesReachTheHost)
{
  ProbeInstance probe;
  ProbePlug& plug = *probe.plug;
  plug.BeginHostParameterEdit(1);
  plug.SetParameterFromEditor(0, 0.3);
  plug.EndHostParameterEdit(1);
  plug.InformHostPresetChange();
  const std::vector<HostCall>& c = probe.host.calls;
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].opcode, vst2::hostop::kBeginEdit);
  EXPECT_EQ(c[0].index, 1);
  EXPECT_EQ(c[1].opcode, vst2::hostop::kAutomate);
  EXPECT_EQ(c[1].index, 0);
  EXPECT_EQ(c[1].opt, 0.3f);
  EXPECT_EQ(c[2].opcode, vst2::hostop::kEndEdit);
  EXPECT_EQ(c[2].index, 1);
  EXPECT_EQ(c[3].opcode, vst2::hostop::kUpdateDisplay);
}

TEST(Vst2HostCalls, OfflineRenderIsProcessLevelFour)
{
  ProbeInstance probe;
  probe.host.processLevel = 4;
  EXPECT_TRUE(probe.plug->IsOfflineRender());
  for (std::intptr_t level : {0, 1, 2, 3, 5}) {
    probe.host.processLevel = level;
    EXPECT_FALSE(probe.plug->IsOfflineRender()) << level;
  }
  EXPECT_EQ(probe.host.Count(vst2::hostop::kGetCurrentProcessLevel), 6u);
}

TEST(Vst2HostCalls, SamplePositionIsRoundedAndKeptInRange)
{
  ProbeInstance probe;
  vst2::TimeInfo& t = probe.host.time;
  const struct {
    double position;
    int expected;
  } cases[] = {{0.0, 0}, {1234.4, 1234}, {1234.5, 1235}, {-5.0, 0}, {-0.4, 0}, {1e12, INT_MAX},
               {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), INT_MAX}};
  for (const auto& c : cases) {
    t.samplePosition = c.position;
    EXPECT_EQ(probe.plug->GetSamplePosition(), c.expected) << c.position;
  }
  EXPECT_EQ(probe.host.calls.back().opcode, vst2::hostop::kGetTime);
  EXPECT_EQ(probe.host.calls.back().value, 0);
  probe.host.timeAvailable = false;
  EXPECT_EQ(probe.plug->GetSamplePosition(), 0);
}

TEST(Vst2HostCalls, TempoAndTimeSignatureOnlyWhenValid)
{
  ProbeInstance probe;
  vst2::TimeInfo& t = probe.host.time;
  t.tempo = 140.0;
  t.timeSignatureNumerator = 3;
  t.timeSignatureDenominator = 8;
  t.flags = vst2::kTempoValid | vst2::kTimeSignatureValid;
  EXPECT_EQ(probe.plug->GetTempo(), 140.0);
  EXPECT_EQ(probe.host.calls.back().value, vst2::kTempoValid);
  int num = -1, den = -1;
  probe.plug->GetTimeSignature(&num, &den);
  EXPECT_EQ(probe.host.calls.back().value, vst2::kTimeSignatureValid);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(den, 8);

  t.flags = 0;
  EXPECT_EQ(probe.plug->GetTempo(), 0.0);
  probe.plug->GetTimeSignature(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);

  t.flags = vst2::kTempoValid | vst2::kTimeSignatureValid;
  t.tempo = -1.0;
  t.timeSignatureDenominator = -4;
  EXPECT_EQ(probe.plug->GetTempo(), 0.0);
  t.tempo = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(probe.plug->GetTempo(), 0.0);
  probe.plug->GetTimeSignature(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);
  probe.plug->GetTimeSignature(nullptr, nullptr);  // no place to write: no crash

  probe.host.timeAvailable = false;
  EXPECT_EQ(probe.plug->GetTempo(), 0.0);
}

TEST(Vst2HostCalls, TransportInfoTakesOnlyValidFields)
{
  ProbeInstance probe;
  vst2::TimeInfo& t = probe.host.time;
  t = vst2::TimeInfo{};
  t.samplePosition = 4410.0;
  t.quarterNotePosition = 8.5;
  t.tempo = 90.0;
  t.barStartPosition = 8.0;
  t.cycleStartPosition = 4.0;
  t.cycleEndPosition = 12.0;
  t.timeSignatureNumerator = 6;
  t.timeSignatureDenominator = 8;

  // None of the requested fields valid: nothing changes, not even the position.
  ITransportInfo info;
  t.flags = vst2::kTransportPlaying;
  probe.plug->GetTransportInfo(&info);
  EXPECT_EQ(probe.host.calls.back().value, vst2::kTransportInfoRequest);
  EXPECT_EQ(info.mSamplePos, 0.0);
  EXPECT_FALSE(info.mTransportIsRunning);

  // Tempo and cycle valid: those, the position and the two states.
  t.flags = vst2::kTempoValid | vst2::kCyclePositionValid | vst2::kTransportPlaying;
  probe.plug->GetTransportInfo(&info);
  EXPECT_EQ(info.mSamplePos, 4410.0);
  EXPECT_EQ(info.mTempo, 90.0);
  EXPECT_EQ(info.mCycleStart, 4.0);
  EXPECT_EQ(info.mCycleEnd, 12.0);
  EXPECT_EQ(info.mPPQPos, 0.0) << "not marked valid";
  EXPECT_EQ(info.mLastBar, 0.0);
  EXPECT_EQ(info.mNumerator, 4);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);

  // Everything valid, with one bad value per check.
  t.flags = vst2::kTransportInfoRequest | vst2::kTransportCycleActive;
  t.tempo = 0.0;  // must be above 0
  t.cycleEndPosition = -1.0;
  probe.plug->GetTransportInfo(&info);
  EXPECT_EQ(info.mPPQPos, 8.5);
  EXPECT_EQ(info.mLastBar, 8.0);
  EXPECT_EQ(info.mTempo, 90.0) << "kept";
  EXPECT_EQ(info.mCycleEnd, 12.0) << "kept: both cycle ends must be valid";
  EXPECT_EQ(info.mNumerator, 6);
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_FALSE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoopEnabled);

  probe.host.timeAvailable = false;
  ITransportInfo untouched;
  probe.plug->GetTransportInfo(&untouched);
  EXPECT_EQ(untouched.mTempo, 120.0);
  probe.plug->GetTransportInfo(nullptr);
}

TEST(Vst2HostCalls, MidiAndSysExOut)
{
  ProbeInstance probe;
  EXPECT_TRUE(probe.plug->SendMidiMessage(IMidiMessage(17, 0x91, 60, 99)));
  uint8_t dump[] = {0xF0, 0x01, 0xF7};
  ISysExMessage sysex;
  sysex.mOffset = 5;
  sysex.mSize = 3;
  sysex.mData = dump;
  EXPECT_TRUE(probe.plug->SendSysEx(sysex));
  ASSERT_EQ(probe.host.midiSent.size(), 1u);
  const vst2::MidiEvent& m = probe.host.midiSent[0];
  EXPECT_EQ(m.byteSize, 32);
  EXPECT_EQ(m.deltaFrames, 17);
  EXPECT_EQ(m.flags, 0);
  EXPECT_EQ(m.noteLength, 0);
  EXPECT_EQ(m.midiData[0], 0x91);
  EXPECT_EQ(m.midiData[1], 60);
  EXPECT_EQ(m.midiData[2], 99);
  EXPECT_EQ(m.midiData[3], 0);
  ASSERT_EQ(probe.host.sysexSent.size(), 1u);
  EXPECT_EQ(probe.host.sysexSent[0].deltaFrames, 5);
  EXPECT_EQ(probe.host.sysexSent[0].dumpBytes, 3);
  EXPECT_EQ(probe.host.sysexSent[0].sysexDump, reinterpret_cast<char*>(dump));
  EXPECT_EQ(probe.host.sentListCounts, (std::vector<std::int32_t>{1, 1}));

  probe.host.eventsAnswer = 0;
  EXPECT_FALSE(probe.plug->SendMidiMessage(IMidiMessage(0, 0x80, 60, 0)));
  EXPECT_FALSE(probe.plug->SendSysEx(sysex));
}

TEST(Vst2HostCalls, HostIdentifiedOnceWithItsVersion)
{
  ProbeInstance probe;
  probe.host.product = "REAPER";
  EXPECT_EQ(probe.plug->GetHostKind(), kHostReaper);
  EXPECT_EQ(probe.plug->GetHostVersion(), 0x00010203);
  probe.host.product = "Cubase";
  EXPECT_EQ(probe.plug->GetHostKind(), kHostReaper) << "kept once known";
  EXPECT_EQ(probe.host.Count(vst2::hostop::kGetProductString), 1u);
  EXPECT_EQ(probe.host.Count(vst2::hostop::kGetVendorVersion), 1u);

  ProbeInstance silent;
  silent.host.product = "";
  EXPECT_EQ(silent.plug->GetHostKind(), kHostUnknown);
  EXPECT_EQ(silent.plug->GetHostVersion(), 0);
  EXPECT_EQ(silent.host.Count(vst2::hostop::kGetVendorVersion), 0u);

  // A host that fills the whole buffer without a terminator.
  ProbeInstance noisy;
  noisy.host.productFillsWholeBuffer = true;
  EXPECT_EQ(noisy.plug->GetHostKind(), kHostUnknown);
}

TEST(Vst2HostCalls, NoHostCallbackAnswersNothing)
{
  struct NoHost : IPlugVST {
    explicit NoHost(const IPlugConfig& c) : IPlugVST(IPlugInstanceInfo{}, c) {}
  };
  NoHost none(ProbeConfig());
  EXPECT_FALSE(none.IsOfflineRender());
  EXPECT_EQ(none.GetTempo(), 0.0);
  EXPECT_EQ(none.GetSamplePosition(), 0);
  ITransportInfo info;
  none.GetTransportInfo(&info);
  EXPECT_EQ(info.mTempo, 120.0);
  EXPECT_FALSE(none.SendMidiMessage(IMidiMessage(0, 0x90, 1, 1)));
  EXPECT_EQ(none.GetHostKind(), kHostUnknown);
  none.InformHostParameterValue(0, 0.5);
  none.InformHostPresetChange();
}

}  // namespace
}  // namespace vst2adapter
