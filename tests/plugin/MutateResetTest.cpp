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

namespace {
// The host saw only whole edits: begin, one value, end, each of one
// parameter; returns the parameters in the order they were sent.
std::vector<int> WholeEdits(const std::vector<IPlugOffline::HostEvent>& events)
{
  std::vector<int> params;
  EXPECT_EQ(events.size() % 3, 0u);
  for (size_t k = 0; k + 2 < events.size(); k += 3) {
    EXPECT_EQ(events[k].kind, IPlugOffline::HostEvent::kBeginEdit) << k;
    EXPECT_EQ(events[k + 1].kind, IPlugOffline::HostEvent::kValue) << k;
    EXPECT_EQ(events[k + 2].kind, IPlugOffline::HostEvent::kEndEdit) << k;
    EXPECT_EQ(events[k].paramIdx, events[k + 1].paramIdx) << k;
    EXPECT_EQ(events[k + 2].paramIdx, events[k + 1].paramIdx) << k;
    params.push_back(events[k + 1].paramIdx);
  }
  return params;
}
}  // namespace

TEST(HostEdits, EveryToolSendsWholeEditsOfWhatItChanged)
{
  ToolsHarness h;
  RandomSeed(21);
  h.mPlug.ClearHostEvents();
  h.mPlug.GenerateRandom();
  EXPECT_FALSE(WholeEdits(h.mPlug.HostEvents()).empty());
  h.Press(ToolsHarness::kPickupButton);  // through the mouse: the button's own press is no edit
  h.mPlug.ClearHostEvents();
  h.Press(ToolsHarness::kPickupButton);
  EXPECT_FALSE(WholeEdits(h.mPlug.HostEvents()).empty());

  h.mPlug.ClearHostEvents();
  h.mPlug.Mutate();
  const std::vector<int> mutated = WholeEdits(h.mPlug.HostEvents());
  EXPECT_FALSE(mutated.empty());
  EXPECT_LE(mutated.size(), 29u);

  // Back through the history: every parameter that differs comes as a whole edit.
  const std::vector<double> shown = Normalized(h.mPlug);
  h.mPlug.ClearHostEvents();
  h.Press(ToolsHarness::kPreviousButton);
  const std::vector<int> back = WholeEdits(h.mPlug.HostEvents());
  EXPECT_FALSE(back.empty());
  for (int p : back) EXPECT_NE(shown[static_cast<size_t>(p)], h.mPlug.GetParameter(p)->GetNormalized()) << p;

  // Reset tells the host every value it moved, and only those, with the value
  // the parameter now has.
  const std::vector<double> before = Normalized(h.mPlug);
  h.mPlug.ClearHostEvents();
  h.mPlug.ResetSound();
  const std::vector<int> reset = WholeEdits(h.mPlug.HostEvents());
  int moved = 0;
  for (int i = 0; i < kParamCount; ++i) moved += before[static_cast<size_t>(i)] != h.mPlug.GetParameter(i)->GetNormalized();
  EXPECT_EQ(static_cast<int>(reset.size()), moved);
  EXPECT_GT(moved, 0);
  for (size_t k = 1; k < h.mPlug.HostEvents().size(); k += 3) {
    const auto& e = h.mPlug.HostEvents()[k];
    EXPECT_EQ(e.value, h.mPlug.GetParameter(e.paramIdx)->GetNormalized()) << e.paramIdx;
  }
}
