#include <gtest/gtest.h>

#include <cmath>

#include "platform/Random.h"
#include "tests/plugin/ToolsHarness.h"

namespace {
const int kMutated[] = {18, 24, 27, 28, 29, 30, 31, 32, 33, 36, 37, 38, 39, 42, 45,
                        40, 41, 43, 44, 51, 52, 53, 54, 55, 46, 47, 48, 49, 50};

}  // namespace

TEST(Mutate, MovesByAtMostTheAmountAndTakes29Draws)
{
  ToolsHarness h;
  RandomSeed(3);
  h.mPlug.GenerateHit();
  for (int round = 0; round < 20; ++round) {
    const std::vector<double> before = Normalized(h.mPlug);
    const uint32_t seed = RandomState();
    h.mPlug.Mutate();
    EXPECT_EQ(RandomState(), [&] {
      uint32_t s = seed;
      for (int i = 0; i < 29; ++i) s = s * 214013u + 2531011u;
      return s;
    }());
    const std::vector<double> after = Normalized(h.mPlug);
    for (int i = 0; i < kParamCount; ++i) {
      const IParameter* p = h.mPlug.GetParameter(i);
      double limit = 0.0;
      for (int m : kMutated) {
        if (m == i) limit = i == kPitchJumpTrigger ? 0.5 : 0.05;
      }
      // Whole-number parameters then round to their nearest step.
      if (limit > 0.0 && p->Kind() != kTypeDouble) limit += 0.5 / ((p->Max() - p->Min()) / p->Step());
      EXPECT_LE(std::fabs(after[i] - before[i]), limit + 1e-12) << p->Name();
    }
  }
  EXPECT_EQ(h.mPlug.DataList().size(), 21u);
}

TEST(Mutate, ZeroAmountChangesNothingButStillAppends)
{
  ToolsHarness h;
  h.mGraphics->SetControlsFromUserValue(kMutationPercent, 0.0);
  EXPECT_EQ(h.mPlug.MutationAmount(), 0.0);
  RandomSeed(8);
  h.mPlug.GeneratePickup();
  const std::vector<double> before = Normalized(h.mPlug);
  h.mPlug.ClearHostEvents();
  h.mPlug.Mutate();
  ExpectSameSound(Normalized(h.mPlug), before);
  EXPECT_EQ(h.mPlug.DataList().size(), 2u);
  EXPECT_EQ(h.mPlug.DataIndex(), 1);
}

TEST(Reset, GivesExactlyTheDefaultsAfterAnyGenerations)
{
  ToolsHarness h;
  RandomSeed(12);
  for (int i = 0; i < 5; ++i) {
    h.mPlug.GenerateRandom();
    h.mPlug.GenerateBlade();
    h.mPlug.Mutate();
  }
  h.mGraphics->SetControlsFromUserValue(kOutputGain, 0.1);
  h.mGraphics->SetControlsFromUserValue(kBitCrushBitDepth, 0.2);
  const size_t entries = h.mPlug.DataList().size();
  const int index = h.mPlug.DataIndex();
  h.mPlug.ResetSound();
  for (int i = 0; i < kParamCount; ++i) {
    EXPECT_EQ(h.mPlug.GetParameter(i)->Value(), h.mPlug.GetParameter(i)->Default()) << h.mPlug.GetParameter(i)->Name();
    // The knobs follow.
    EXPECT_DOUBLE_EQ(h.mGraphics->GetControl(18 + i)->GetValue(), h.mPlug.GetParameter(i)->GetNormalized());
  }
  EXPECT_EQ(h.mPlug.MutationAmount(), 0.05);
  EXPECT_EQ(h.mPlug.DataList().size(), entries);
  EXPECT_EQ(h.mPlug.DataIndex(), index);
  EXPECT_EQ(h.mText->GetDisplayText(), std::to_string(index));
}
