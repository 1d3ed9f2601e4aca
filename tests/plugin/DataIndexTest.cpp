#include <gtest/gtest.h>

#include "platform/Random.h"
#include "tests/plugin/ToolsHarness.h"

TEST(DataIndex, SaveAndNextOnAFreshInstance)
{
  ToolsHarness h;
  h.Press(ToolsHarness::kNextButton);
  EXPECT_TRUE(h.mPlug.DataList().empty());
  EXPECT_EQ(h.mText->GetDisplayText(), "0");
  h.Press(ToolsHarness::kSaveButton);
  ASSERT_EQ(h.mPlug.DataList().size(), 1u);
  EXPECT_EQ(h.mPlug.DataIndex(), 0);
  EXPECT_EQ(h.mText->GetDisplayText(), "0");
  for (int i = 0; i < kParamCount; ++i)
    EXPECT_EQ(h.mPlug.DataList()[0][i], h.mPlug.GetParameter(i)->GetNormalized());
}

TEST(DataIndex, StepsBackAndForthThroughGeneratedSounds)
{
  ToolsHarness h;
  RandomSeed(100);
  std::vector<std::vector<double>> sounds;
  for (int i = 0; i < 3; ++i) {
    h.Press(ToolsHarness::kPickupButton);  // the real path: mouse, button, tool
    sounds.push_back(Normalized(h.mPlug));
  }
  EXPECT_EQ(h.mText->GetDisplayText(), "2");
  h.Press(ToolsHarness::kPreviousButton);
  EXPECT_EQ(h.mText->GetDisplayText(), "1");
  ExpectSameSound(Normalized(h.mPlug), sounds[1]);
  for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(h.mGraphics->GetControl(18 + i)->GetValue(), sounds[1][i]);
  h.Press(ToolsHarness::kPreviousButton);
  EXPECT_EQ(h.mText->GetDisplayText(), "0");
  ExpectSameSound(Normalized(h.mPlug), sounds[0]);
  h.Press(ToolsHarness::kPreviousButton);
  EXPECT_EQ(h.mPlug.DataIndex(), 0);

  // A new sound goes to the end, not after the entry shown.
  h.Press(ToolsHarness::kRandomButton);
  EXPECT_EQ(h.mPlug.DataList().size(), 4u);
  EXPECT_EQ(h.mText->GetDisplayText(), "3");
  EXPECT_EQ(std::vector<double>(h.mPlug.DataList()[1].begin(), h.mPlug.DataList()[1].end()), sounds[1]);
  h.Press(ToolsHarness::kNextButton);
  EXPECT_EQ(h.mPlug.DataIndex(), 3);
}

TEST(DataIndex, SaveOverwritesOnlyTheEntryShown)
{
  ToolsHarness h;
  RandomSeed(55);
  h.mPlug.GenerateJump();
  h.mPlug.GenerateJump();
  h.mPlug.PreviousData();
  const auto second = h.mPlug.DataList()[1];
  h.mGraphics->SetControlsFromUserValue(kOutputGain, 0.25);
  EXPECT_NE(h.mPlug.DataList()[0][kOutputGain], 0.25);  // not stored until saved
  h.Press(ToolsHarness::kSaveButton);
  EXPECT_EQ(h.mPlug.DataList()[0][kOutputGain], 0.25);
  EXPECT_EQ(h.mPlug.DataList()[1], second);
  EXPECT_EQ(h.mText->GetDisplayText(), "0");
}

TEST(DataIndex, LoadingRestoresUntouchedParametersAndSkipsEqualValues)
{
  ToolsHarness h;
  h.mGraphics->SetControlsFromUserValue(kBitCrushBitDepth, 0.5);
  RandomSeed(66);
  h.mPlug.GenerateHit();
  h.mGraphics->SetControlsFromUserValue(kBitCrushBitDepth, 0.9);
  h.mPlug.GenerateHit();
  h.mPlug.PreviousData();
  EXPECT_EQ(h.mPlug.GetParameter(kBitCrushBitDepth)->GetNormalized(), 0.5);
  // Loading the entry that is already the sound sends nothing.
  h.mPlug.ClearHostEvents();
  h.mPlug.LoadData();
  EXPECT_TRUE(h.mPlug.HostEvents().empty());
}
