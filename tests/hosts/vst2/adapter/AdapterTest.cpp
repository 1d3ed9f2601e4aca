// The adapter with configurations the instrument does not have (inputs,
// several presets, an effect, opaque chunks, latency) and with a stand-in
// editor attached.
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/hosts/vst2/adapter/AdapterProbe.h"

namespace vst2adapter {
namespace {

TEST(Vst2Adapter, EntryFollowsTheConfiguration)
{
  ProbeInstance synth;
  const vst2::Entry& e = *synth.plug->Entry();
  EXPECT_EQ(e.flags, vst2::kFlagCanReplacing | vst2::kFlagCanDoubleReplacing | vst2::kFlagIsSynth);
  EXPECT_EQ(e.programCount, 2);
  EXPECT_EQ(e.parameterCount, 3);
  EXPECT_EQ(e.inputCount, 4);
  EXPECT_EQ(e.outputCount, 4);
  EXPECT_EQ(e.version, 20304);
  EXPECT_EQ(e.uniqueId, vst2::FourCharCode('p', 'r', 'o', 'b'));
  EXPECT_EQ(synth.plug->Dispatch(vst2::op::kGetPlugCategory), vst2::kCategorySynth);

  ProbeInstance effect(ProbeConfig("1-1 2-2", false, true));
  const vst2::Entry& f = *effect.plug->Entry();
  EXPECT_EQ(f.flags, vst2::kFlagCanReplacing | vst2::kFlagCanDoubleReplacing | vst2::kFlagMonoCapable |
                         vst2::kFlagProgramChunks);
  EXPECT_EQ(effect.plug->Dispatch(vst2::op::kGetPlugCategory), vst2::kCategoryEffect);
  vst2::SpeakerArrangement* in = nullptr;
  vst2::SpeakerArrangement* out = nullptr;
  effect.plug->Dispatch(vst2::op::kGetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&in), &out);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->type, vst2::kSpeakerArrangementStereo);
  EXPECT_EQ(in->channelCount, 2);
}

TEST(Vst2Adapter, EmptyPresetsAreFilledAtCreation)
{
  ProbeInstance probe;
  char name[256] = {};
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "-");
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kGetProgramNameIndexed, 1, 0, name), 1);
  EXPECT_STREQ(name, "Empty");

  probe.plug->Dispatch(vst2::op::kSetProgram, 0, 1);
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kGetProgram), 1);
  probe.plug->Dispatch(vst2::op::kSetProgram, 0, 2);
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kGetProgram), 1) << "no program 2";
  if (sizeof(std::intptr_t) == 8) {
    // A value whose low 32 bits read 0 must not recall program 0.
    probe.plug->Dispatch(vst2::op::kSetProgram, 0, static_cast<std::intptr_t>(std::int64_t(1) << 32));
    EXPECT_EQ(probe.plug->Dispatch(vst2::op::kGetProgram), 1) << "not cut down to a small index";
  }
}

// Renders one block of four inputs with the values 1, 2, 3, 4 through the
// base's default processing, which copies each input to its output.
std::vector<double> PassThrough(ProbePlug& plug, double** inputs = nullptr)
{
  std::vector<double> in[4], out[4];
  double* ins[4];
  double* outs[4];
  for (int c = 0; c < 4; ++c) {
    in[c].assign(8, c + 1.0);
    out[c].assign(8, -1.0);
    ins[c] = in[c].data();
    outs[c] = out[c].data();
  }
  plug.Entry()->processDoubleReplacing(plug.Entry(), inputs ? inputs : ins, outs, 8);
  return {out[0][7], out[1][7], out[2][7], out[3][7]};
}

TEST(Vst2Adapter, SomeHostsGetTwoInputsOnly)
{
  ProbeInstance plain;
  plain.plug->Dispatch(vst2::op::kOpen);
  EXPECT_EQ(PassThrough(*plain.plug), (std::vector<double>{1, 2, 3, 4}));

  for (const char* product : {"Adobe Audition CS6", "Forte 4", "Orion Platinum", "SAWStudio"}) {
    SCOPED_TRACE(product);
    ProbeInstance limited;
    limited.host.product = product;
    limited.plug->Dispatch(vst2::op::kOpen);
    limited.plug->Dispatch(vst2::op::kOpen);
    EXPECT_EQ(limited.plug->identified, 1) << "set up once";
    EXPECT_EQ(PassThrough(*limited.plug), (std::vector<double>{1, 2, 0, 0}));
  }
}

TEST(Vst2Adapter, HostArraysGoToConnectedChannelsInOrder)
{
  ProbeInstance probe;
  vst2::SpeakerArrangement two{};
  two.type = vst2::kSpeakerArrangementStereo;
  two.channelCount = 2;
  probe.plug->Dispatch(vst2::op::kSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&two), nullptr);
  EXPECT_EQ(PassThrough(*probe.plug), (std::vector<double>{1, 2, 0, 0}));
  // No input arrays at all read as silence.
  std::vector<double> out(8, -1.0);
  double* outs[4] = {out.data(), nullptr, nullptr, nullptr};
  probe.plug->Entry()->processDoubleReplacing(probe.plug->Entry(), nullptr, outs, 8);
  EXPECT_EQ(out, std::vector<double>(8, 0.0));
}

TEST(Vst2Adapter, LatencyReachesTheEntry)
{
  ProbeInstance probe;
  probe.plug->SetLatencySamples(64);
  EXPECT_EQ(probe.plug->GetLatency(), 64);
  EXPECT_EQ(probe.plug->Entry()->initialDelay, 64);
}

TEST(Vst2Adapter, VendorExtensionsAreRemembered)
{
  ProbeInstance probe;
  EXPECT_EQ(probe.plug->ExtensionFlags(), 0);
  char view[] = "hasCockosViewAsConfig";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kCanDo, 0, 0, view), vst2::kCanDoVendorAnswer);
  EXPECT_EQ(probe.plug->ExtensionFlags(), IPlugVST::kHostViewAsConfig);
  char ext[] = "hasCockosExtensions";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kCanDo, 0, 0, ext), vst2::kCanDoVendorAnswer);
  EXPECT_EQ(probe.plug->ExtensionFlags(), IPlugVST::kHostViewAsConfig | IPlugVST::kHostExtensions);
}

TEST(Vst2Adapter, EditorWithoutAWindowIsAttachedButNotOffered)
{
  ProbeInstance probe;
  probe.plug->AttachEditor(nullptr);
  EXPECT_EQ(probe.plug->GetEditor(), nullptr);
  probe.plug->GetParameter(0)->Set(6.0);
  auto* editor = new FakeEditor;
  probe.plug->AttachEditor(editor);
  EXPECT_EQ(probe.plug->GetEditor(), editor);
  EXPECT_EQ(editor->bitmapsCreated, 1);
  ASSERT_EQ(editor->moves.size(), 3u);
  EXPECT_EQ(editor->moves[0].paramIdx, 0);
  EXPECT_TRUE(editor->moves[0].normalized);
  EXPECT_DOUBLE_EQ(editor->moves[0].value, 0.9);
  // This editor has no window: the host is not offered one.
  EXPECT_EQ(probe.plug->Entry()->flags & vst2::kFlagHasEditor, 0);
  vst2::EditRect* rect = nullptr;
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kEditGetRect, 0, 0, &rect), 0);
  int parent = 0;
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kEditClose), 0);
  probe.plug->ResizeEditor(100, 100);
  EXPECT_EQ(probe.plug->resizes, 1);
}

TEST(Vst2Adapter, HostValuesMoveTheEditorControls)
{
  ProbeInstance probe;
  auto* editor = new FakeEditor;
  probe.plug->AttachEditor(editor);
  editor->moves.clear();
  probe.plug->changes.clear();
  vst2::Entry* e = probe.plug->Entry();

  e->setParameter(e, 0, 1.5f);
  ASSERT_EQ(editor->moves.size(), 1u);
  EXPECT_EQ(editor->moves[0].value, 1.0) << "held at the end of the range";
  EXPECT_TRUE(editor->moves[0].normalized);
  EXPECT_EQ(probe.plug->GetParameter(0)->Value(), 12.0);
  e->setParameter(e, 0, -3.0f);
  EXPECT_EQ(probe.plug->GetParameter(0)->Value(), -48.0);
  e->setParameter(e, 0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(editor->moves.size(), 2u) << "a value that is no number moves nothing";
  EXPECT_EQ(probe.plug->GetParameter(0)->Value(), -48.0);
  EXPECT_EQ(probe.plug->changes, (std::vector<int>{0, 0}));

  char text[] = "100";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kString2Parameter, 0, 0, text), 1);
  EXPECT_EQ(editor->moves.back().value, 12.0) << "the real value, clamped";
  EXPECT_FALSE(editor->moves.back().normalized);
  char nan[] = "nan";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kString2Parameter, 0, 0, nan), 1);
  EXPECT_EQ(probe.plug->GetParameter(0)->Value(), 0.0) << "read like unparsable text";
  char huge[] = "1e999";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kString2Parameter, 0, 0, huge), 1);
  EXPECT_EQ(probe.plug->GetParameter(0)->Value(), 12.0);
  EXPECT_TRUE(probe.host.calls.empty()) << "the host is not told back";
}

TEST(Vst2Adapter, NegatedDisplaysAreTypedAsShown)
{
  ProbeInstance probe;
  char three[] = "3";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kString2Parameter, 2, 0, three), 1);
  EXPECT_EQ(probe.plug->GetParameter(2)->Value(), -3.0);
  char display[64] = {};
  probe.plug->Dispatch(vst2::op::kGetParamDisplay, 2, 0, display);
  EXPECT_STREQ(display, "3");
  char square[] = "Square";
  EXPECT_EQ(probe.plug->Dispatch(vst2::op::kString2Parameter, 1, 0, square), 1);
  EXPECT_EQ(probe.plug->GetParameter(1)->Value(), 1.0);
}

TEST(Vst2Adapter, DisplayOfAGivenValueKeepsToTheRange)
{
  ProbeInstance probe;
  char text[64];
  for (float x : {-1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(x);
    std::memset(text, 0, sizeof text);
    EXPECT_EQ(probe.plug->Dispatch(vst2::op::kVendorSpecific, 7, 0, text, x), vst2::kVendorSpecificAnswer);
    std::string shown = text;
    EXPECT_TRUE(shown == "-48.0" || shown == "12.0") << shown;
  }
}

}  // namespace
}  // namespace vst2adapter
