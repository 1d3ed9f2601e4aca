// Every dispatcher opcode the plug-in answers, with valid and invalid indices
// and with and without the pointers they take; and the opcodes it does not
// answer.
#include "tests/hosts/vst2/Fixtures.h"
#include "tests/hosts/vst2/Module.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace vst2host {
namespace {

using Vst2Programs = StartedPlugin;
using Vst2Editor = StartedPlugin;
using Vst2CanDo = StartedPlugin;
using Vst2VendorSpecific = StartedPlugin;
using Vst2Pins = StartedPlugin;
using Vst2Dispatcher = StartedPlugin;

TEST_F(Vst2Programs, OneProgramNamedDash)
{
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgram), 0);
  EXPECT_EQ(plugin->ProgramName(), "-");

  MarkedBuffer buf;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgramNameIndexed, 0, 0, buf.data()), 1);
  EXPECT_EQ(buf.Text(), "-");
  for (int index : {1, 2, -1, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(index);
    MarkedBuffer other;
    EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgramNameIndexed, index, 0, other.data()), 0);
    EXPECT_EQ(other.Text(), "") << "an index beyond the list gives the empty text";
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgramNameIndexed, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgramName, 0, 0, nullptr), 0);
}

TEST_F(Vst2Programs, RenamingTheCurrentProgram)
{
  char name[] = "Boing";
  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, name), 0);
  EXPECT_EQ(plugin->ProgramName(), "Boing");
  char indexed[64] = {};
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgramNameIndexed, 0, 0, indexed), 1);
  EXPECT_STREQ(indexed, "Boing");

  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->ProgramName(), "Boing") << "no text, no change";

  char empty[] = "";
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, empty);
  EXPECT_EQ(plugin->ProgramName(), "Boing") << "an empty name keeps the old one";

  std::string longName(400, 'x');
  plugin->Dispatch(vst2::op::kSetProgramName, 0, 0, &longName[0]);
  // The host's buffer holds 24 bytes: nothing is written past them.
  char buf[64];
  std::memset(buf, '#', sizeof buf);
  plugin->Dispatch(vst2::op::kGetProgramName, 0, 0, buf);
  EXPECT_EQ(std::string(buf), std::string(23, 'x'));
  EXPECT_EQ(buf[24], '#');
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgramNameIndexed, 0, 0, buf), 1);
  EXPECT_EQ(buf[24], '#');
  // The name itself is kept to 255 characters and saved with the bank.
  const std::vector<unsigned char> bank = plugin->GetChunk(true);
  int32_t length = 0;
  ASSERT_GE(bank.size(), 12u);
  std::memcpy(&length, bank.data() + 8, sizeof length);
  EXPECT_EQ(length, 255) << "names are cut to 255 characters";
}

TEST_F(Vst2Programs, SetProgramKeepsTheCurrentSound)
{
  plugin->Set(0, 0.25f);
  plugin->Set(1, 1.0f);
  std::vector<float> before = AllParameters(*plugin);
  for (std::intptr_t value : {std::intptr_t(-1), std::intptr_t(0), std::intptr_t(1), std::intptr_t(7),
                              std::intptr_t(INT_MAX), std::intptr_t(INT_MIN)}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(plugin->Dispatch(vst2::op::kSetProgram, 0, value), 0);
    EXPECT_EQ(plugin->Dispatch(vst2::op::kGetProgram), 0);
    EXPECT_EQ(AllParameters(*plugin), before) << "the current values are stored first, then recalled";
  }
  EXPECT_EQ(plugin->Entry()->programCount, 1);
}

TEST_F(Vst2Programs, RecallAfterStateRestoreUsesTheStoredValues)
{
  // A program chunk stores the restored sound into the current program.
  std::vector<double> values = DefaultValues();
  values[0] = 6.0;
  ASSERT_EQ(plugin->SetChunk(false, MakeState(values, true)), 1);
  plugin->Dispatch(vst2::op::kSetProgram, 0, 0);
  EXPECT_EQ(plugin->Display(0), "6.0");
}

TEST_F(Vst2Editor, RectangleIsTheEditorSize)
{
  if (!kModuleHasEditor)
    GTEST_SKIP() << "this module offers no editor (see NoEditorOffered)";
  vst2::EditRect* rect = nullptr;
  ASSERT_EQ(plugin->Dispatch(vst2::op::kEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, kEditorHeight);
  EXPECT_EQ(rect->right, kEditorWidth);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditGetRect, 0, 0, nullptr), 0);
}

TEST_F(Vst2Editor, CloseAndIdleWithoutAWindow)
{
  if (kModuleHasEditor) {
    EXPECT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1) << "an editor exists even with no window";
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditIdle), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kIdle), 0);
}

// A module without an editor window on its platform says so everywhere: no
// flag, no rectangle, nothing to open or close.
TEST_F(Vst2Editor, NoEditorOffered)
{
  if (kModuleHasEditor)
    GTEST_SKIP() << "this module offers an editor";
  EXPECT_EQ(plugin->Entry()->flags & vst2::kFlagHasEditor, 0);
  vst2::EditRect* rect = nullptr;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(rect, nullptr) << "nothing stored";
  int parent = 0;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditClose), 0);
  EXPECT_EQ(plugin->Entry()->flags & vst2::kFlagHasEditor, 0);
}

TEST_F(Vst2Editor, OpenWithoutParentFails)
{
  if (!HostWindowsAvailable() || !kModuleHasEditor)
    GTEST_SKIP() << "no native windows on this platform, or no editor in this module";
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, nullptr), 0) << "a child window needs a parent";
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1);
}

// Opens real windows; needs a display (run under Xvfb with Wine).
TEST_F(Vst2Editor, OpenInsideAHostWindow)
{
  if (!HostWindowsAvailable() || !kModuleHasEditor || !std::getenv("VORBLEX_VST2_EDITOR_TESTS"))
    GTEST_SKIP() << "set VORBLEX_VST2_EDITOR_TESTS=1 on a platform with windows and a display";
  void* parent = CreateHostWindow(kEditorWidth + 40, kEditorHeight + 60);
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, parent), 1);
  auto pump = [] {
    for (int i = 0; i < 10; ++i) {
      PumpHostWindowMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  pump();
  plugin->Set(0, 0.1f);
  plugin->Dispatch(vst2::op::kEditIdle);
  pump();
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, parent), 1) << "reopening replaces the window";
  pump();
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1);
  pump();
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, parent), 1) << "a closed editor opens again";
  pump();
  plugin->Close();  // destroying with the window open
  DestroyHostWindow(parent);
}

TEST_F(Vst2CanDo, Answers)
{
  struct {
    const char* text;
    std::intptr_t answer;
  } const cases[] = {
      {"receiveVstTimeInfo", 1},
      {"sendVstEvents", 1},
      {"sendVstMidiEvent", 1},
      {"receiveVstEvents", 1},
      {"receiveVstMidiEvent", 1},
      {"hasCockosExtensions", vst2::kCanDoVendorAnswer},
      {"hasCockosViewAsConfig", vst2::kCanDoVendorAnswer},
      {"bypass", 0},
      {"offline", 0},
      {"", 0},
      {"receivevstmidievent", 0},
      {"receiveVstMidiEvents", 0},
      {"receiveVstMidiEven", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(plugin->Dispatch(vst2::op::kCanDo, 0, 0, const_cast<char*>(c.text)), c.answer);
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kCanDo, 0, 0, nullptr), 0);
}

TEST_F(Vst2VendorSpecific, DisplayOfAGivenValue)
{
  const std::int32_t kDisplay = 7;
  struct {
    int param;
    float value;
    const char* text;
  } const cases[] = {
      {0, 0.5f, "-18.0"}, {0, 0.0f, "-48.0"}, {0, 1.0f, "12.0"},
      {39, 0.5f, "1.000"},  // the mid-point shape puts 1 in the middle
      {48, 0.5f, "1.000"},  {1, 4.0f / 7.0f, "Saw"}, {56, 1.0f, "After"}, {34, 0.0f, "12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.param);
    MarkedBuffer buf;
    EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kDisplay, c.param, buf.data(), c.value),
              vst2::kVendorSpecificAnswer);
    EXPECT_EQ(buf.Text(), c.text);
    EXPECT_TRUE(buf.UntouchedFrom(64));
  }
  MarkedBuffer invalid;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kDisplay, 60, invalid.data(), 0.5f),
            vst2::kVendorSpecificAnswer);
  EXPECT_TRUE(invalid.UntouchedFrom(0)) << "nothing written for an invalid parameter";
  EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kDisplay, -1, invalid.data(), 0.5f),
            vst2::kVendorSpecificAnswer);
  EXPECT_TRUE(invalid.UntouchedFrom(0));
  EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kDisplay, 0, nullptr, 0.5f), 0);
  EXPECT_EQ(plugin->Display(0), "-6.0") << "the request does not change the parameter";
}

TEST_F(Vst2VendorSpecific, SteppedParameterQuery)
{
  const std::int32_t kStepped = 8;
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(kParams[i].name);
    std::intptr_t expected = kParams[i].kind == Kind::kContinuous ? 0 : vst2::kVendorSpecificAnswer;
    EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kStepped, i), expected);
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kStepped, 60), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, kStepped, -1), 0);
  char buf[64] = {};
  for (std::int32_t index : {0, 1, 6, 9, 100, -1}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(plugin->Dispatch(vst2::op::kVendorSpecific, index, 1, buf, 0.5f), 0);
  }
}

TEST_F(Vst2Pins, OutputPairAndNoInputs)
{
  vst2::PinProperties pin;
  std::memset(&pin, 0x5A, sizeof pin);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(pin.flags, vst2::kPinIsActive | vst2::kPinIsStereo);

  std::memset(&pin, 0x5A, sizeof pin);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(pin.flags, vst2::kPinIsActive);

  for (int index : {2, -1, 100, INT_MIN}) {
    SCOPED_TRACE(index);
    std::memset(&pin, 0x5A, sizeof pin);
    EXPECT_EQ(plugin->Dispatch(vst2::op::kGetOutputProperties, index, 0, &pin), 0);
    EXPECT_EQ(static_cast<unsigned char>(pin.label[0]), 0x5A) << "nothing written";
    EXPECT_EQ(plugin->Dispatch(vst2::op::kGetInputProperties, index, 0, &pin), 0);
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetInputProperties, 0, 0, &pin), 0) << "no inputs";
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetOutputProperties, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(Vst2Pins, SpeakerArrangementsReported)
{
  vst2::SpeakerArrangement* in = nullptr;
  vst2::SpeakerArrangement* out = nullptr;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&in), &out), 1);
  ASSERT_NE(in, nullptr);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(in->type, vst2::kSpeakerArrangementEmpty);
  EXPECT_EQ(in->channelCount, 0);
  EXPECT_EQ(out->type, vst2::kSpeakerArrangementStereo);
  EXPECT_EQ(out->channelCount, 2);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetSpeakerArrangement, 0, 0, nullptr), 1) << "both pointers optional";
}

TEST_F(Vst2Pins, SetSpeakerArrangementConnectsOutputs)
{
  vst2::SpeakerArrangement in{}, mono{}, stereo{}, none{};
  in.type = vst2::kSpeakerArrangementEmpty;
  mono.type = vst2::kSpeakerArrangementMono;
  mono.channelCount = 1;
  stereo.type = vst2::kSpeakerArrangementStereo;
  stereo.channelCount = 2;
  none.type = vst2::kSpeakerArrangementEmpty;
  const std::vector<Midi> note = {{10, kNoteOn, 81, 127}};
  RenderSetup one;
  one.outputs = 1;

  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&in), &mono), 1);
  Rendered r = Render(*plugin, note, 2048, one);
  EXPECT_EQ(FirstNonZero(r.left), 10);
  EXPECT_TRUE(r.secondOutputUntouched) << "a disconnected output is not written";

  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, 0, &none), 1);
  r = Render(*plugin, {}, 1024, one);
  EXPECT_TRUE(std::isnan(r.left[0]) && std::isnan(r.left[1023])) << "no output connected, none written";

  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&in), &stereo), 1);
  r = Render(*plugin, {}, 2048);
  EXPECT_TRUE(AllFinite(r.left));
  EXPECT_EQ(r.left, r.right);
  EXPECT_GT(PeakAbs(r.left), 0.1) << "the held note still sounds";

  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, 0, nullptr), 1);
}

TEST_F(Vst2Pins, SetSpeakerArrangementWithBogusCounts)
{
  for (std::int32_t count : {-5, -1, INT_MIN, 3, 100, INT_MAX}) {
    SCOPED_TRACE(count);
    vst2::SpeakerArrangement bogus{};
    bogus.type = vst2::kSpeakerArrangementUserDefined;
    bogus.channelCount = count;
    EXPECT_EQ(plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&bogus), &bogus),
              1);
  }
  vst2::SpeakerArrangement stereo{};
  stereo.type = vst2::kSpeakerArrangementStereo;
  stereo.channelCount = 2;
  plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, 0, &stereo);
  Rendered r = Render(*plugin, {{0, kNoteOn, 81, 127}}, 1024);
  EXPECT_TRUE(AllFinite(r.left));
  EXPECT_EQ(r.left, r.right);
  EXPECT_EQ(FirstNonZero(r.left), 0);
}

TEST_F(Vst2Dispatcher, FixedAnswers)
{
  for (int index : {0, 59, 60, -1}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(plugin->Dispatch(vst2::op::kCanBeAutomated, index), 1);
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kProcessVarIo, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kMainsChanged, 0, 0), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kMainsChanged, 0, 1), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kSetBlockSize, 0, 512), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kOpen), 0);
}

TEST_F(Vst2Dispatcher, MidiKeyNameIsEmpty)
{
  vst2::MidiKeyName key;
  std::memset(&key, 0x5A, sizeof key);
  key.programIndex = 0;
  key.keyNumber = 60;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_EQ(key.keyName[0], 0) << "the name is cleared";
  key.keyNumber = 1000;
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kGetMidiKeyName, 0, 0, nullptr), 0);
}

TEST_F(Vst2Dispatcher, UnlistedOpcodesAnswerZero)
{
  const std::int32_t unlisted[] = {9,  16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39, 40,  43,     44,     46,
                                   54, 55, 56, 57, 59, 60, 61, 62, 63, 64, 65, 67, 68, 70, 71,  72,     73,     74,
                                   75, 76, 77, 78, 79, 80, 99, -1, -2, 1000, INT_MAX, INT_MIN};
  std::vector<std::intptr_t> zeroes(1024, 0);
  std::vector<float> before = AllParameters(*plugin);
  for (std::int32_t opcode : unlisted) {
    SCOPED_TRACE(opcode);
    EXPECT_EQ(plugin->Dispatch(opcode, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(plugin->Dispatch(opcode, 1, 1, zeroes.data(), 1.0f), 0);
  }
  EXPECT_EQ(AllParameters(*plugin), before);
  EXPECT_EQ(plugin->ProgramName(), "-");
}

TEST_F(Vst2Dispatcher, MissingObjectAnswersZero)
{
  // A copy of the entry structure whose object field is empty.
  vst2::Entry copy = *plugin->Entry();
  copy.object = nullptr;
  char buf[256] = {};
  for (std::int32_t opcode : {vst2::op::kOpen, vst2::op::kGetEffectName, vst2::op::kIdentify, vst2::op::kGetVstVersion,
                              vst2::op::kGetParamName, vst2::op::kGetProgram, vst2::op::kCanDo,
                              vst2::op::kGetVendorVersion, vst2::op::kClose}) {
    SCOPED_TRACE(opcode);
    EXPECT_EQ(copy.dispatcher(&copy, opcode, 0, 0, buf, 0.0f), 0);
  }
  EXPECT_EQ(plugin->Dispatch(vst2::op::kIdentify), 0x4E764566) << "the real instance is unaffected";
}

}  // namespace
}  // namespace vst2host
