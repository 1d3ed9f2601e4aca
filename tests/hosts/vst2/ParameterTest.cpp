// Parameters as a host sees them: names, labels and displays, the normalised
// values it reads and writes, and text typed into the host.
#include "tests/hosts/vst2/Fixtures.h"

#include <climits>
#include <cmath>

namespace vst2host {
namespace {

using Vst2Parameters = StartedPlugin;

// The real value a parameter holds, read from the program chunk.
double RealValue(Plugin& plugin, int index)
{
  std::vector<unsigned char> chunk = plugin.GetChunk(false);
  if (chunk.size() != static_cast<std::size_t>(kProgramChunkSize)) {
    ADD_FAILURE() << "program chunk of " << chunk.size() << " bytes";
    return NAN;
  }
  return ReadDouble(chunk, kChunkHeaderSize + 4 + 8 * static_cast<std::size_t>(index));
}

// True when printing v at the parameter's precision is an exact tie, where C
// runtimes may round either way.
bool IsRoundingTie(int index, double v)
{
  double scaled = std::fabs(v) * std::pow(10.0, Precision(kParams[index].step));
  return kParams[index].kind == Kind::kContinuous && scaled - std::floor(scaled) == 0.5;
}

TEST_F(Vst2Parameters, NamesLabelsAndDefaultDisplays)
{
  const char* const displays[kParamCount] = {
      "-6.0",  "Triangle", "Off",   "Off",   "0.0",   "-96.0", "-96.0", "-96.0", "-96.0", "0",
      "0",     "0",        "0",     "0",     "0",     "0",     "0",     "0",     "0.50",  "0.50",
      "0.50",  "0.000",    "0.000", "0.000", "1.00",  "1.00",  "1.00",  "1.00",  "1.00",  "0.010",
      "0.001", "0.001",    "1.000", "0.200", "96",    "12",    "1.000", "0.000", "0.000", "1.000",
      "22050.0", "0.707",  "0.0",   "0.0",   "0.707", "0.0",   "0.300", "0",     "0.000", "0.500",
      "On NoteOn", "0.010", "0.001", "0.001", "1.000", "0.200", "Off",  "44100.0", "24.00", "5.0",
  };
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plugin->Name(i), kParams[i].name);
    EXPECT_EQ(plugin->Label(i), LabelOf(i, kParams[i].defaultValue));
    EXPECT_EQ(plugin->Display(i), displays[i]);
    EXPECT_EQ(plugin->Display(i), DisplayOf(i, kParams[i].defaultValue)) << "the model agrees";
    EXPECT_NEAR(plugin->Get(i), NormalizedFromReal(i, kParams[i].defaultValue), 1e-6);
  }
  // Spot checks of the table as published.
  EXPECT_EQ(plugin->Name(27), "Whiite EnvDepth");
  EXPECT_EQ(plugin->Label(57), "") << "the crusher rate has no unit label";
  EXPECT_EQ(plugin->Label(0), "dB");
  EXPECT_EQ(plugin->Label(1), "") << "a value shown by its text has no label";
  EXPECT_NEAR(plugin->Get(39), 0.5f, 1e-6) << "Pitch Curve 1 sits in the middle";
}

TEST_F(Vst2Parameters, TextsFitTheHostBuffers)
{
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    for (std::int32_t opcode : {vst2::op::kGetParamName, vst2::op::kGetParamLabel, vst2::op::kGetParamDisplay}) {
      MarkedBuffer buf;
      plugin->Dispatch(opcode, i, 0, buf.data());
      EXPECT_LT(buf.Text().size(), 32u);
      EXPECT_TRUE(buf.UntouchedFrom(64)) << "opcode " << opcode << " wrote past 64 bytes";
    }
  }
}

TEST_F(Vst2Parameters, InvalidIndicesAreIgnored)
{
  std::vector<unsigned char> before = ProgramChunk();
  for (int index : {60, 61, -1, 1000, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(index);
    for (std::int32_t opcode : {vst2::op::kGetParamName, vst2::op::kGetParamLabel, vst2::op::kGetParamDisplay}) {
      MarkedBuffer buf;
      EXPECT_EQ(plugin->Dispatch(opcode, index, 0, buf.data()), 0);
      EXPECT_TRUE(buf.UntouchedFrom(0)) << "opcode " << opcode << " wrote for an invalid index";
    }
    EXPECT_EQ(plugin->Get(index), 0.0f);
    plugin->Set(index, 0.5f);
    char text[] = "1";
    EXPECT_EQ(plugin->StringToParameter(index, text), 0);
  }
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(i);
    for (std::int32_t opcode : {vst2::op::kGetParamName, vst2::op::kGetParamLabel, vst2::op::kGetParamDisplay})
      EXPECT_EQ(plugin->Dispatch(opcode, i, 0, nullptr), 0) << "no buffer";
  }
  EXPECT_EQ(ProgramChunk(), before);
}

TEST_F(Vst2Parameters, AutomationRoundTrips)
{
  const float points[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.1f, 0.9f};
  for (int i = 0; i < kParamCount; ++i) {
    for (float x : points) {
      SCOPED_TRACE(testing::Message() << kParams[i].name << " at " << x);
      plugin->Set(i, x);
      double real = RealFromNormalized(i, x);
      EXPECT_NEAR(plugin->Get(i), NormalizedFromReal(i, real), 2e-6);
      if (!IsRoundingTie(i, real)) {
        EXPECT_EQ(plugin->Display(i), DisplayOf(i, real));
      }
      EXPECT_EQ(plugin->Label(i), LabelOf(i, real));
      double stored = RealValue(*plugin, i);
      EXPECT_NEAR(stored, real, 1e-9 * std::max(1.0, std::fabs(real)));
    }
  }
}

TEST_F(Vst2Parameters, SteppedParametersRoundToTheirStep)
{
  plugin->Set(1, 0.5f);  // 3.5 rounds half up
  EXPECT_EQ(plugin->Display(1), "Saw");
  EXPECT_NEAR(plugin->Get(1), 4.0f / 7.0f, 1e-6);
  plugin->Set(1, 0.0625f);  // 0.4375 rounds down
  EXPECT_EQ(plugin->Display(1), "Off");
  plugin->Set(9, 0.55f);  // 0.6 octave rounds to 1
  EXPECT_EQ(plugin->Display(9), "1");
  plugin->Set(0, 0.501f);  // continuous values are not rounded
  EXPECT_NEAR(RealValue(*plugin, 0), -48 + 60 * static_cast<double>(0.501f), 1e-9);
}

TEST_F(Vst2Parameters, HostIsNotToldBack)
{
  host.ClearRecords();
  for (int i = 0; i < kParamCount; ++i)
    plugin->Set(i, 0.3f);
  char text[] = "2";
  plugin->StringToParameter(0, text);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kAutomate), 0u);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kBeginEdit), 0u);
  EXPECT_EQ(host.CountCalls(vst2::hostop::kEndEdit), 0u);
}

TEST_F(Vst2Parameters, StringToParameter)
{
  struct {
    int param;
    const char* text;
    std::intptr_t result;
    const char* display;
  } const cases[] = {
      {0, "3.5", 1, "3.5"},
      {0, "100", 1, "12.0"},  // clamped to the range
      {0, "-1000", 1, "-48.0"},
      {0, "abc", 1, "0.0"},  // unparsable text reads as 0
      {0, "", 1, "0.0"},
      {0, "-7.26", 1, "-7.3"},
      {40, "1000", 1, "1000.0"},
      {9, "3", 1, "3"},
      {9, "-9", 1, "-6"},
      {1, "Saw", 1, "Saw"},
      {1, "Whistle", 1, "Whistle"},
      {1, "saw", 0, "Whistle"},  // texts match exactly
      {1, "3", 0, "Whistle"},    // an enumeration takes only its texts
      {1, "Saw ", 0, "Whistle"},
      {50, "Both", 1, "Both"},
      {56, "Inside", 1, "Inside"},
      {56, "Nope", 0, "Inside"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.param << " \"" << c.text << "\"");
    EXPECT_EQ(plugin->StringToParameter(c.param, c.text), c.result);
    EXPECT_EQ(plugin->Display(c.param), c.display);
  }
  EXPECT_NEAR(RealValue(*plugin, 40), 1000.0, 1e-9);
  EXPECT_NEAR(plugin->Get(0), NormalizedFromReal(0, -7.26), 1e-6) << "the host reads the typed value";

  std::vector<unsigned char> before = ProgramChunk();
  EXPECT_EQ(plugin->StringToParameter(0, nullptr), 1) << "no text: nothing to do";
  EXPECT_EQ(plugin->StringToParameter(60, "1"), 0);
  EXPECT_EQ(plugin->StringToParameter(-1, "1"), 0);
  EXPECT_EQ(ProgramChunk(), before);
}

TEST_F(Vst2Parameters, ChangesReachTheSound)
{
  // Output gain from -6 dB to +6 dB doubles the level of a held note.
  const std::vector<Midi> note = {{0, kNoteOn, 81, 127}};
  Rendered quiet = Render(*plugin, note, 8192);
  double quietPeak = PeakAbs(quiet.left, 4096);
  plugin->StringToParameter(0, "6");
  Render(*plugin, {}, 2048);  // let the gain smoothing settle
  Rendered loud = Render(*plugin, {}, 4096);
  double loudPeak = PeakAbs(loud.left);
  EXPECT_NEAR(loudPeak / quietPeak, std::pow(10.0, 12.0 / 20.0), 0.08);
  // Oscillator 1 off silences the default sound once the decimation filter
  // has rung out. While the note is held the voice's filters keep a residue
  // of about 1e-14 circulating, which the compression curve lifts to about
  // -130 dB: silence for any listener, but not exact zeros.
  plugin->StringToParameter(1, "Off");
  Rendered off = Render(*plugin, {}, 4096);
  EXPECT_LT(PeakAbs(off.left, 2048), 1e-6 * loudPeak);
}

}  // namespace
}  // namespace vst2host
