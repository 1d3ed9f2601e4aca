#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "platform/Random.h"
#include "tests/plugin/ToolsHarness.h"

namespace {
// The state after n draws from s.
uint32_t Advance(uint32_t s, int n)
{
  for (int i = 0; i < n; ++i) s = s * 214013u + 2531011u;
  return s;
}

// The state from which the (k+1)-th draw returns `value`.
uint32_t StateBeforeDraw(int value, int k)
{
  // 214013 is odd, so the generator can be run backwards.
  uint32_t inverse = 1;
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  uint32_t s = (static_cast<uint32_t>(value) << 16) | 0x1234u;
  for (int i = 0; i <= k; ++i) s = (s - 2531011u) * inverse;
  return s;
}

using Generator = void (Vorblex::*)();
struct Category {
  const char* name;
  Generator run;
  int draws;
};
const Category kCategories[] = {
    {"Pickup", &Vorblex::GeneratePickup, 22}, {"Shoot", &Vorblex::GenerateShoot, 21},
    {"Powerup", &Vorblex::GeneratePowerup, 27}, {"Hit", &Vorblex::GenerateHit, 23},
    {"Jump", &Vorblex::GenerateJump, 19},     {"Blip", &Vorblex::GenerateBlip, 22},
    {"Blade", &Vorblex::GenerateBlade, 25},
};
}  // namespace

TEST(Generators, EachTakesItsNumberOfDrawsOnEveryBranch)
{
  ToolsHarness h;
  for (const Category& c : kCategories) {
    for (uint32_t seed : {1u, 7u, 12345u, 99999u, 0xDEADBEEFu, 424242u}) {
      RandomSeed(seed);
      (h.mPlug.*c.run)();
      EXPECT_EQ(RandomState(), Advance(seed, c.draws)) << c.name << " seed " << seed;
    }
  }
  // Random: 27 draws with an oscillator, 26 for noise only (remainders 7, 8).
  int noiseOnly = 0;
  for (uint32_t seed = 1; seed < 60; ++seed) {
    RandomSeed(seed);
    const int remainder = RandomNext() % 9;
    RandomSeed(seed);
    h.mPlug.GenerateRandom();
    const int draws = (remainder == 7 || remainder == 8) ? 26 : 27;
    noiseOnly += draws == 26;
    EXPECT_EQ(RandomState(), Advance(seed, draws)) << "seed " << seed;
  }
  EXPECT_GT(noiseOnly, 0);
}

TEST(Generators, IntegerRangesWeighTheirEndsByHalf)
{
  ToolsHarness h;
  // Shoot's first draw picks the waveform from 2..4.
  const std::pair<int, int> cases[] = {{8190, 2}, {8192, 3}, {24573, 3}, {24575, 4}, {32767, 4}, {0, 2}};
  for (auto [value, waveform] : cases) {
    RandomSeed(StateBeforeDraw(value, 0));
    h.mPlug.GenerateShoot();
    EXPECT_EQ(h.mPlug.GetParameter(kOsc1Type)->Value(), waveform) << "draw " << value;
  }
  // Pickup's jump trigger 0..2: weights 1/4, 1/2, 1/4.
  std::map<int, int> counts;
  RandomSeed(2024);
  const int runs = 2000;
  for (int i = 0; i < runs; ++i) {
    h.mPlug.GeneratePickup();
    ++counts[h.mPlug.GetParameter(kPitchJumpTrigger)->IntValue()];
  }
  EXPECT_NEAR(counts[0] / double(runs), 0.25, 0.04);
  EXPECT_NEAR(counts[1] / double(runs), 0.50, 0.04);
  EXPECT_NEAR(counts[2] / double(runs), 0.25, 0.04);
}

TEST(Generators, TheLargestDrawOvershootsAnInnerBound)
{
  ToolsHarness h;
  // Hit: step 1 and step 5 draw before the attack at step 9.
  RandomSeed(StateBeforeDraw(32767, 2));
  h.mPlug.GenerateHit();
  const IParameter* attack = h.mPlug.GetParameter(kAmpEnvAttack);
  const double r = 32767.0 / 32766.0;
  EXPECT_DOUBLE_EQ(attack->Value(), attack->FromNormalized(r * attack->ToNormalized(0.2)));
  EXPECT_GT(attack->Value(), 0.2);
  EXPECT_LT(attack->Value(), 0.2 + 0.2 / 32766.0 * 4);
}

TEST(Generators, CategoryRecipesSetTheirSources)
{
  ToolsHarness h;
  RandomSeed(5);
  h.mPlug.GenerateBlade();
  EXPECT_EQ(h.mPlug.GetParameter(kOsc1Type)->Value(), 0.0);
  EXPECT_EQ(h.mPlug.GetParameter(kWhiteLevel)->Value(), 0.0);
  EXPECT_EQ(h.mPlug.GetParameter(kOsc1Level)->Value(), -96.0);
  for (Generator g : {&Vorblex::GenerateShoot, &Vorblex::GenerateHit, &Vorblex::GenerateJump, &Vorblex::GenerateBlip}) {
    (h.mPlug.*g)();
    EXPECT_EQ(h.mPlug.GetParameter(kPitchJumpDelay)->Value(), 0.0);
    EXPECT_EQ(h.mPlug.GetParameter(kOsc1Level)->Value(), 0.0);
    EXPECT_EQ(h.mPlug.GetParameter(kWhiteLevel)->Value(), -96.0);
  }
  h.mPlug.GeneratePowerup();
  EXPECT_EQ(h.mPlug.GetParameter(kPitchJumpTrigger)->Value(), 2.0);
  EXPECT_EQ(h.mPlug.GetParameter(kPitchJumpTranspose)->Value(), 0.0);
  // The engine follows every step at once.
  EXPECT_EQ(h.mPlug.Voices().GetVoice(0).Level(0), 1.0);
}

TEST(Generators, UntouchedParametersStayPut)
{
  ToolsHarness h;
  const int untouched[] = {kOutputGain,      kOsc2Type,       kOsc3Type,       kOsc2Level,      kOsc3Level,
                           kOsc1Octave,      kOsc2Octave,     kOsc3Octave,     kOsc1Transpose,  kOsc2Transpose,
                           kOsc3Transpose,   kOsc1Cents,      kOsc2Cents,      kOsc3Cents,      kOsc2SquareDuty,
                           kOsc3SquareDuty,  kOsc1Phase,      kOsc2Phase,      kOsc3Phase,      kOsc2EnvDepth,
                           kOsc3EnvDepth,    kPitchHighNote,  kPitchLowNote,   kBitCrushPosition, kBitCrushSampleRate,
                           kBitCrushBitDepth, kMutationPercent};
  for (int i : untouched) h.mGraphics->SetControlsFromUserValue(i, 0.37);
  std::vector<double> before;
  for (int i : untouched) before.push_back(h.mPlug.GetParameter(i)->Value());
  RandomSeed(77);
  for (const Category& c : kCategories) (h.mPlug.*c.run)();
  for (int k = 0; k < 10; ++k) h.mPlug.GenerateRandom();
  for (size_t k = 0; k < before.size(); ++k) EXPECT_EQ(h.mPlug.GetParameter(untouched[k])->Value(), before[k]) << untouched[k];
  // Random keeps the filter of the previous sound.
  const double cutoff = h.mPlug.GetParameter(kFilterLPCutoff)->Value();
  h.mPlug.GenerateRandom();
  EXPECT_EQ(h.mPlug.GetParameter(kFilterLPCutoff)->Value(), cutoff);
}

TEST(Generators, HostHearsOneValuePerChangedParameterInStepOrder)
{
  ToolsHarness h;
  h.mPlug.ClearHostEvents();
  RandomSeed(31);
  h.mPlug.GeneratePickup();
  const auto& events = h.mPlug.HostEvents();
  ASSERT_FALSE(events.empty());
  const int stepOrder[] = {1,  4,  7,  8,  18, 24, 27, 28, 29, 30, 31, 32, 33, 36, 37, 38, 39,
                           42, 45, 40, 41, 43, 44, 51, 52, 53, 54, 55, 46, 47, 48, 49, 50};
  size_t pos = 0;
  // Every value comes inside a begin and end edit of its own parameter.
  ASSERT_EQ(events.size() % 3, 0u);
  for (size_t k = 0; k < events.size(); k += 3) {
    EXPECT_EQ(events[k].kind, IPlugOffline::HostEvent::kBeginEdit);
    EXPECT_EQ(events[k + 1].kind, IPlugOffline::HostEvent::kValue);
    EXPECT_EQ(events[k + 2].kind, IPlugOffline::HostEvent::kEndEdit);
    EXPECT_EQ(events[k].paramIdx, events[k + 1].paramIdx);
    EXPECT_EQ(events[k + 2].paramIdx, events[k + 1].paramIdx);
  }
  for (const auto& e : events) {
    if (e.kind != IPlugOffline::HostEvent::kValue) continue;
    while (pos < std::size(stepOrder) && stepOrder[pos] != e.paramIdx) ++pos;
    ASSERT_LT(pos, std::size(stepOrder)) << "out of order: " << e.paramIdx;
    EXPECT_DOUBLE_EQ(h.mPlug.GetParameter(e.paramIdx)->GetNormalized(),
                     h.mPlug.GetParameter(e.paramIdx)->ToNormalized(h.mPlug.GetParameter(e.paramIdx)->Value()));
    ++pos;
  }
  // The fixed steps that equal the defaults change nothing and are not sent.
  for (const auto& e : events) EXPECT_NE(e.paramIdx, kOsc1Level);
}

TEST(Generators, ReproducibleFromTheRandomState)
{
  ToolsHarness a, b;
  RandomSeed(4711);
  a.mPlug.GeneratePowerup();
  RandomSeed(4711);
  b.mPlug.GeneratePowerup();
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(a.mPlug.GetParameter(i)->Value(), b.mPlug.GetParameter(i)->Value());
  b.mPlug.GeneratePowerup();
  bool differs = false;
  for (int i = 0; i < kParamCount; ++i) differs |= a.mPlug.GetParameter(i)->Value() != b.mPlug.GetParameter(i)->Value();
  EXPECT_TRUE(differs);
}

TEST(Generators, WithoutAnEditorNothingHappens)
{
  ToolsHarness h(false);
  RandomSeed(9);
  h.mPlug.GeneratePickup();
  h.mPlug.GenerateRandom();
  h.mPlug.Mutate();
  h.mPlug.SaveData();
  EXPECT_EQ(RandomState(), 9u);
  EXPECT_TRUE(h.mPlug.DataList().empty());
  EXPECT_EQ(h.mPlug.GetParameter(kOsc1Type)->Value(), 1.0);
}
