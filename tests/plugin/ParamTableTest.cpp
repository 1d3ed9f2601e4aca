#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plugin/ParamTable.h"
#include "framework/IPlugOffline.h"

namespace {
IPlugConfig InstrumentConfig()
{
  IPlugConfig c;
  c.nParams = kParamCount;
  c.channelIOStr = "0-1 0-2";
  c.effectName = "Vorblex";
  c.makerName = "Tessolar";
  c.version = 0x00010001;
  return c;
}

class TablePlug : public IPlugOffline {
public:
  TablePlug() : IPlugOffline(InstrumentConfig()) { InitParameters(*this); }
};

std::string TextAt(const IParameter& p, double normalized)
{
  char buf[kParamTextSize];
  p.FormatDisplay(true, buf, true, normalized);
  return buf;
}
}  // namespace

TEST(ParamTable, KindsRangesAndDefaults)
{
  TablePlug plug;
  ASSERT_EQ(plug.NParams(), 60);
  EXPECT_EQ(plug.GetParameter(60), nullptr);
  EXPECT_EQ(plug.GetParameter(-1), nullptr);

  const IParameter* lowNote = plug.GetParameter(kPitchLowNote);
  EXPECT_EQ(lowNote->Kind(), kTypeInt);
  EXPECT_EQ(lowNote->Min(), 12);
  EXPECT_EQ(lowNote->Step(), 1);
  EXPECT_EQ(plug.GetParameter(kAmpEnvSustain)->Min(), 0.000001);
  EXPECT_EQ(plug.GetParameter(kFilterEnvSustain)->Min(), 0.001);
  for (int i : {kFilterLPResonance, kFilterHPResonance}) {
    EXPECT_EQ(plug.GetParameter(i)->Min(), 0.7071067811865476);
    EXPECT_EQ(plug.GetParameter(i)->Default(), plug.GetParameter(i)->Min());
  }
  EXPECT_STREQ(plug.GetParameter(kBitCrushSampleRate)->Label(), "");
  EXPECT_STREQ(plug.GetParameter(kWhiteEnvDepth)->Name(), "Whiite EnvDepth");
  EXPECT_STREQ(GetParamDesc(kWhiteEnvDepth)->tooltip, "White EnvDepth");
  EXPECT_STREQ(GetParamDesc(kOutputGain)->tooltip, "Output Gain");
  EXPECT_EQ(plug.GetParameter(kOsc1Type)->Value(), 1);
  EXPECT_EQ(plug.GetParameter(kOsc2Type)->Kind(), kTypeEnum);
  EXPECT_EQ(plug.GetParameter(kPitchJumpTrigger)->Max(), 2);
  EXPECT_EQ(plug.GetParameter(kAmpEnvAttack)->Shape(), 3);
  EXPECT_EQ(plug.GetParameter(kFilterLPResonance)->Shape(), 2);
}

TEST(ParamTable, ShapesPutOneAtTheMiddle)
{
  TablePlug plug;
  EXPECT_NEAR(plug.GetParameter(kPitchCurve)->Shape(), 3.169925, 1e-6);
  EXPECT_NEAR(plug.GetParameter(kPitchJumpDelay)->Shape(), 2.321928, 1e-6);
  EXPECT_EQ(TextAt(*plug.GetParameter(kPitchCurve), 0.5), "1.000");
  EXPECT_EQ(TextAt(*plug.GetParameter(kPitchJumpDelay), 0.5), "1.000");
}

TEST(ParamTable, DisplayTextsAtZeroHalfAndOne)
{
  TablePlug plug;
  struct Case {
    int idx;
    const char* at0;
    const char* atHalf;
    const char* at1;
  };
  const Case cases[] = {
      {kOutputGain, "-48.0", "-18.0", "12.0"},
      {kOsc1Type, "Off", "Square", "Whistle"},
      {kOsc2Level, "-96.0", "-48.0", "0.0"},
      {kOsc1Octave, "-6", "0", "6"},
      {kOsc3Transpose, "-12", "0", "12"},
      {kOsc2Cents, "-100", "0", "100"},
      {kOsc1SquareDuty, "0.01", "0.26", "0.50"},
      {kOsc3Phase, "0.000", "0.500", "1.000"},
      {kAmpEnvAttack, "0.001", "1.251", "10.000"},
      {kAmpEnvSustain, "0.000", "0.250", "1.000"},
      {kPitchHighNote, "12", "69", "127"},
      {kPitchStart, "-1.000", "0.000", "1.000"},
      {kPitchCurve, "0.125", "1.000", "8.000"},
      {kFilterHPCutoff, "0.0", "2756.2", "22050.0"},
      {kCompressionFactor, "0.000", "0.500", "1.000"},
      {kPitchJumpTranspose, "-48", "0", "48"},
      {kPitchJumpTime, "0.010", "1.005", "2.000"},
      {kPitchJumpTrigger, "On NoteOn", "On NoteOff", "Both"},
      {kBitCrushPosition, "Off", "Inside", "After"},
      {kBitCrushSampleRate, "200.0", "22150.0", "44100.0"},
      {kBitCrushBitDepth, "1.00", "12.50", "24.00"},
      {kMutationPercent, "0.0", "5.0", "10.0"},
  };
  for (const Case& c : cases) {
    const IParameter& p = *plug.GetParameter(c.idx);
    EXPECT_EQ(TextAt(p, 0.0), c.at0) << p.Name();
    EXPECT_EQ(TextAt(p, 0.5), c.atHalf) << p.Name();
    EXPECT_EQ(TextAt(p, 1.0), c.at1) << p.Name();
  }
  // Labels: units, or nothing where a display text stands for the value.
  EXPECT_STREQ(plug.GetParameter(kOutputGain)->LabelForHost(), "dB");
  EXPECT_STREQ(plug.GetParameter(kOsc1Type)->LabelForHost(), "");
  EXPECT_STREQ(plug.GetParameter(kFilterLPCutoff)->LabelForHost(), "Hz");
  EXPECT_STREQ(plug.GetParameter(kPitchJumpDelay)->LabelForHost(), "s");
}

TEST(ParamTable, EveryParameterHasSaneDescription)
{
  TablePlug plug;
  for (int i = 0; i < kParamCount; ++i) {
    const ParamDesc* d = GetParamDesc(i);
    const IParameter* p = plug.GetParameter(i);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(p->Name(), d->name);
    EXPECT_GE(p->Max(), p->Min() + p->Step()) << i;
    EXPECT_GE(p->Default(), p->Min()) << i;
    EXPECT_LE(p->Default(), p->Max()) << i;
    EXPECT_NE(p->Shape(), 0.0);
    EXPECT_GT(d->width, 0);
    EXPECT_LE(d->x + d->width, 846);
    EXPECT_LE(d->y + d->height, 768);
  }
  EXPECT_EQ(GetParamDesc(60), nullptr);
  // Integer kinds are whole numbers whatever the table says.
  for (int i : {kOsc1Octave, kOsc3Cents, kPitchHighNote, kPitchLowNote, kPitchJumpTranspose}) {
    EXPECT_EQ(plug.GetParameter(i)->Kind(), kTypeInt) << i;
    EXPECT_EQ(plug.GetParameter(i)->Shape(), 1.0) << i;
  }
}
