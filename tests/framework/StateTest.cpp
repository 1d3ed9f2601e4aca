#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "support/TestPlug.h"

namespace {
IStateChunk StateOf(TestPlug& plug)
{
  IStateChunk chunk;
  EXPECT_TRUE(plug.SerializeState(chunk));
  return chunk;
}
}  // namespace

TEST(StateChunk, LittleEndianLayout)
{
  IStateChunk c;
  c.PutInt(0x01020304);
  c.PutDouble(1.0);
  c.PutBool(true);
  c.PutString("ab");
  ASSERT_EQ(c.Size(), 4 + 8 + 1 + 4 + 2);
  const uint8_t expected[] = {4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1, 2, 0, 0, 0, 'a', 'b'};
  EXPECT_EQ(0, std::memcmp(c.Data(), expected, sizeof expected));
}

TEST(StateChunk, ReadRules)
{
  IStateChunk c;
  c.PutInt(7);
  c.PutBool(false);
  int32_t v = 99;
  EXPECT_EQ(c.GetInt(&v, 0), 4);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(c.GetInt(&v, 2), -1);
  EXPECT_EQ(v, 7);  // failed read leaves the destination alone
  EXPECT_EQ(c.GetInt(&v, -1), -1);
  uint8_t raw[2] = {0xFF, 0xFF};
  c.PutBytes(raw, 1);
  bool b = false;
  EXPECT_EQ(c.GetBool(&b, 5), 6);
  EXPECT_TRUE(b);  // any non-zero byte is true
  EXPECT_EQ(c.GetBytes(raw, 0, c.Size()), c.Size());
  EXPECT_EQ(c.GetBytes(raw, 1, c.Size()), -1);
}

TEST(StateChunk, StringReadRules)
{
  IStateChunk c;
  c.PutInt(5);
  c.PutBytes("ab", 2);  // length says 5, only 2 bytes follow
  char out[16] = "keep";
  EXPECT_EQ(c.GetString(out, sizeof out, 0), 9);  // position advances anyway
  EXPECT_STREQ(out, "keep");                       // but the text is not replaced

  IStateChunk empty;
  empty.PutInt(0);
  EXPECT_EQ(empty.GetString(out, sizeof out, 0), 4);
  EXPECT_STREQ(out, "keep");  // n = 0 keeps the old text

  IStateChunk negative;
  negative.PutInt(-4);
  EXPECT_EQ(negative.GetString(out, sizeof out, 0), -1);

  IStateChunk huge;
  huge.PutInt(std::numeric_limits<int32_t>::max());
  EXPECT_EQ(huge.GetString(out, sizeof out, 0), -1);  // would overflow the position

  IStateChunk ok;
  ok.PutString("a longer text than fits");
  EXPECT_EQ(ok.GetString(out, 6, 0), 4 + 23);
  EXPECT_STREQ(out, "a lon");
}

TEST(StateChunk, Header)
{
  IStateChunk c;
  c.PutInt(123);
  WriteChunkHeader(c);
  ASSERT_EQ(c.Size(), 8);
  const uint8_t magic[] = {0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0};
  EXPECT_EQ(0, std::memcmp(c.Data(), magic, 8));
  int pos = 0;
  EXPECT_EQ(ReadChunkHeader(c, &pos), kChunkHeaderVersion);
  EXPECT_EQ(pos, 8);

  IStateChunk bare;
  bare.PutInt(0x00010001);
  pos = 0;
  EXPECT_EQ(ReadChunkHeader(bare, &pos), 0);
  EXPECT_EQ(pos, 0);

  IStateChunk cut;
  cut.PutInt(kChunkMagic);
  pos = 0;
  EXPECT_EQ(ReadChunkHeader(cut, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(State, FullStateRestoresEveryParameter)
{
  TestPlug a, b;
  for (int i = 0; i < kParamCount; ++i) a.GetParameter(i)->SetNormalized(0.37 + 0.005 * i);
  IStateChunk chunk = StateOf(a);
  ASSERT_EQ(chunk.Size(), 484);
  b.changes.clear();
  EXPECT_EQ(b.UnserializeState(chunk, 0), 484);
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(b.GetParameter(i)->Value(), a.GetParameter(i)->Value()) << i;
  EXPECT_EQ(b.changes.size(), 60u);
}

TEST(State, CutOrDamagedStateChangesNothingAndFails)
{
  TestPlug a;
  for (int i = 0; i < kParamCount; ++i) a.GetParameter(i)->SetNormalized(0.9);
  const IStateChunk full = StateOf(a);
  for (int cut : {483, 480, 245, 4, 3, 0}) {
    TestPlug b;
    b.GetParameter(kOutputGain)->Set(2.5);
    const IStateChunk before = StateOf(b);
    IStateChunk chunk = full;
    chunk.Resize(cut);
    b.changes.clear();
    EXPECT_EQ(b.UnserializeState(chunk, 0), -1) << cut;
    EXPECT_EQ(0, std::memcmp(StateOf(b).Data(), before.Data(), 484)) << cut;
    EXPECT_TRUE(b.changes.empty()) << cut;
  }
  // A value that is not a finite number anywhere, even the last, refuses the
  // whole state.
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    for (int at : {0, kParamCount - 1}) {
      IStateChunk chunk = full;
      std::memcpy(chunk.Data() + 4 + 8 * at, &bad, 8);
      TestPlug b;
      const IStateChunk before = StateOf(b);
      EXPECT_EQ(b.UnserializeState(chunk, 0), -1) << at;
      EXPECT_EQ(0, std::memcmp(StateOf(b).Data(), before.Data(), 484)) << at;
    }
  }
}

TEST(State, ValuesAreClampedAsTheyAlwaysWere)
{
  TestPlug plug;
  IStateChunk chunk;
  chunk.PutInt(0x00010001);
  for (int i = 0; i < kParamCount; ++i) chunk.PutDouble(i == kOutputGain ? -1e9 : 1e9);
  EXPECT_EQ(plug.UnserializeState(chunk, 0), 484);
  EXPECT_EQ(plug.GetParameter(kOutputGain)->Value(), -48.0);
  EXPECT_EQ(plug.GetParameter(kFilterLPCutoff)->Value(), 22050.0);
  EXPECT_EQ(plug.GetParameter(kPitchLowNote)->Value(), 127.0);
}

TEST(Presets, RecallAndNaming)
{
  TestPlug plug(3);
  plug.FillEmptyPresets("-", 1);
  EXPECT_STREQ(plug.PresetName(0), "-");
  EXPECT_STREQ(plug.PresetName(1), "empty");
  EXPECT_STREQ(plug.PresetName(3), "");
  EXPECT_FALSE(plug.RecallPreset(3));
  EXPECT_FALSE(plug.RecallPreset(-1));
  EXPECT_EQ(plug.CurrentPresetIdx(), 0);

  plug.GetParameter(kOutputGain)->Set(3.0);
  EXPECT_TRUE(plug.RecallPreset(2));  // never initialised: captures the current sound
  EXPECT_STREQ(plug.PresetName(2), "user preset 1");
  EXPECT_EQ(plug.CurrentPresetIdx(), 2);
  EXPECT_EQ(plug.presetsChanged, 1);
  EXPECT_TRUE(plug.RecallPreset(1));
  EXPECT_STREQ(plug.PresetName(1), "user preset 2");

  EXPECT_TRUE(plug.RecallPreset(0));
  EXPECT_EQ(plug.GetParameter(kOutputGain)->Value(), -6.0);
  EXPECT_TRUE(plug.RecallPreset(2));
  EXPECT_EQ(plug.GetParameter(kOutputGain)->Value(), 3.0);

  plug.GetParameter(kOutputGain)->Set(-12.0);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ(plug.PresetName(2), "user preset 1");  // empty name keeps the old one
  plug.ModifyCurrentPreset("Laser");
  EXPECT_STREQ(plug.PresetName(2), "Laser");
  plug.RecallPreset(0);
  plug.RecallPreset(2);
  EXPECT_EQ(plug.GetParameter(kOutputGain)->Value(), -12.0);
}

TEST(Presets, ListRoundTripAndRepeatedNames)
{
  TestPlug a(3);
  a.FillEmptyPresets("-", 1);
  a.GetParameter(kOsc1Type)->Set(4);
  a.RecallPreset(1);  // "user preset 1", saw
  a.ModifyCurrentPreset("Saw");
  IStateChunk list;
  ASSERT_TRUE(a.SerializePresets(list));
  // "-" + flag + 484, "Saw" + flag + 484, "empty" + flag
  EXPECT_EQ(list.Size(), (4 + 1 + 1 + 484) + (4 + 3 + 1 + 484) + (4 + 5 + 1));

  TestPlug b(3);
  EXPECT_EQ(b.UnserializePresets(list, 0), list.Size());
  EXPECT_STREQ(b.PresetName(0), "-");
  EXPECT_STREQ(b.PresetName(1), "Saw");
  EXPECT_STREQ(b.PresetName(2), "empty");
  EXPECT_FALSE(b.IsPresetInitialized(2));
  b.RecallPreset(1);
  EXPECT_EQ(b.GetParameter(kOsc1Type)->Value(), 4.0);

  // An empty stored name repeats the previous preset's name.
  IStateChunk names;
  names.PutString("First");
  names.PutBool(false);
  names.PutString("");
  names.PutBool(false);
  names.PutString("");
  names.PutBool(false);
  TestPlug c(3);
  c.UnserializePresets(names, 0);
  EXPECT_STREQ(c.PresetName(1), "First");
  EXPECT_STREQ(c.PresetName(2), "First");
}

TEST(Presets, CutOrDamagedListChangesNoPresetAndNoSound)
{
  TestPlug a(3);
  a.FillEmptyPresets("-", 1);
  a.GetParameter(kOsc1Type)->Set(4);
  a.RecallPreset(1);
  a.ModifyCurrentPreset("Saw");
  IStateChunk list;
  ASSERT_TRUE(a.SerializePresets(list));

  TestPlug b(3);
  b.FillEmptyPresets("keep", 3);
  b.GetParameter(kOutputGain)->Set(1.5);
  b.ModifyCurrentPreset("mine");
  IStateChunk before;
  ASSERT_TRUE(b.SerializePresets(before));
  const IStateChunk sound = StateOf(b);
  auto unchanged = [&](const char* what) {
    IStateChunk now;
    ASSERT_TRUE(b.SerializePresets(now));
    ASSERT_EQ(now.Size(), before.Size()) << what;
    EXPECT_EQ(0, std::memcmp(now.Data(), before.Data(), static_cast<size_t>(now.Size()))) << what;
    EXPECT_EQ(0, std::memcmp(StateOf(b).Data(), sound.Data(), 484)) << what;
  };
  // Cut inside the second preset's state, inside its name, and before the last flag.
  for (int cut : {490 + 4 + 3 + 1 + 100, 490 + 2, list.Size() - 1}) {
    IStateChunk c = list;
    c.Resize(cut);
    EXPECT_EQ(b.UnserializePresets(c, 0), -1) << cut;
    unchanged("cut");
  }
  // A non-finite value in the second preset.
  IStateChunk nan = list;
  const double bad = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(nan.Data() + 490 + 4 + 3 + 1 + 4 + 8 * 5, &bad, 8);
  EXPECT_EQ(b.UnserializePresets(nan, 0), -1);
  unchanged("NaN");
  // A name longer than any preset name can be.
  IStateChunk longName;
  longName.PutString(std::string(300, 'x').c_str());
  longName.PutBool(false);
  for (int i = 0; i < 2; ++i) {
    longName.PutString("");
    longName.PutBool(false);
  }
  EXPECT_EQ(b.UnserializePresets(longName, 0), -1);
  unchanged("long name");
  // The whole list still loads.
  EXPECT_EQ(b.UnserializePresets(list, 0), list.Size());
  EXPECT_STREQ(b.PresetName(1), "Saw");
}

// Found by fuzzing: a slot loaded as empty kept the bytes of the state it
// held before, and recalling it appended the current state to them, so the
// next preset list held a preset twice as long as a state.
TEST(Presets, EmptiedSlotRecallsToOneState)
{
  TestPlug plug(1);
  plug.FillEmptyPresets("-", 1);
  IStateChunk empty;
  empty.PutString("empty");
  empty.PutBool(false);
  ASSERT_EQ(plug.UnserializePresets(empty, 0), empty.Size());
  IStateChunk list;
  ASSERT_TRUE(plug.SerializePresets(list));
  EXPECT_EQ(list.Size(), 4 + 13 + 1 + 484);  // "user preset 1", initialised, one state
  EXPECT_EQ(plug.UnserializePresets(list, 0), list.Size());
}

// Every reader of host data, fed random, truncated and oversized chunks:
// nothing may crash and every failure must come back as -1.
TEST(State, RandomChunksNeverCrashAndFailCleanly)
{
  std::mt19937 rng(1234);
  TestPlug reference(2);
  reference.FillEmptyPresets("-", 2);
  IStateChunk valid = StateOf(reference);
  IStateChunk validList;
  reference.SerializePresets(validList);

  TestPlug plug(2);
  for (int iter = 0; iter < 3000; ++iter) {
    IStateChunk c;
    const IStateChunk& base = (iter % 2) ? valid : validList;
    switch (iter % 4) {
      case 0: {  // truncated
        c = base;
        c.Resize(static_cast<int>(rng() % (base.Size() + 1)));
        break;
      }
      case 1: {  // corrupted bytes
        c = base;
        for (int k = 0; k < 8; ++k) c.Data()[rng() % c.Size()] = static_cast<uint8_t>(rng());
        break;
      }
      case 2: {  // random garbage
        int n = static_cast<int>(rng() % 700);
        c.Resize(n);
        for (int k = 0; k < n; ++k) c.Data()[k] = static_cast<uint8_t>(rng());
        break;
      }
      default: {  // oversized
        c = base;
        int extra = static_cast<int>(rng() % 2000);
        for (int k = 0; k < extra; ++k) c.PutBool(rng() & 1);
        break;
      }
    }
    int start = static_cast<int>(rng() % 12) - 2;
    int r1 = plug.UnserializeState(c, start);
    EXPECT_TRUE(r1 == -1 || (r1 >= 4 && r1 <= c.Size()));
    int r2 = plug.UnserializePresets(c, start);
    EXPECT_TRUE(r2 == -1 || (r2 >= 0 && r2 <= c.Size())) << r2;
    int pos = start;
    ReadChunkHeader(c, &pos);
    EXPECT_TRUE(pos == -1 || pos == start || pos == start + 8);
    char name[kPresetNameSize];
    int r3 = c.GetString(name, sizeof name, start);
    EXPECT_TRUE(r3 == -1 || r3 >= start + 4);
    for (int i = 0; i < kParamCount; ++i) {
      const IParameter* p = plug.GetParameter(i);
      ASSERT_TRUE(std::isfinite(p->Value()));
      ASSERT_GE(p->Value(), p->Min());
      ASSERT_LE(p->Value(), p->Max());
    }
  }
}
