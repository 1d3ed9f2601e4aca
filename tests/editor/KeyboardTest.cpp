// The on-screen keyboard: key hit-testing, press heights and velocities,
// holding and releasing keys, MIDI-sounding keys, and drawing.
#include <gtest/gtest.h>

#include <atomic>

#include "editor/IKeyboardControl.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
constexpr int kOffsets[12] = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};
constexpr int kL = 138, kT = 707;
constexpr LICE_pixel kUntouched = 0xFF010203u;
const IMouseMod kLeft(true);

// The velocity processing derives from a press height.
int Velocity(double height) { return static_cast<int>(height * 126 + 0.5) + 1; }

struct KeyboardScene : EditorHarness {
  KeyboardScene() : EditorHarness(846, 768), white(10, 60, 6, 1), black(6, 35, 1, 2)
  {
    for (auto& f : flags) f = false;
    keyboard = new IKeyboardControl(&plug, kL, kT, white.Get(), black.Get(), kOffsets);
    keyboard->SetMidiKeyFlags(flags);
    gfx->AttachControl(keyboard);
    MakeBitmaps();
    FillDrawBitmap(*gfx, kUntouched);
  }
  // x of a key's left edge within octave o, from its semitone.
  static int WhiteX(int whiteIndex) { return kL + 10 * whiteIndex; }

  TestStrip white, black;
  std::atomic<bool> flags[128];
  IKeyboardControl* keyboard;
};
}  // namespace

TEST(KeyboardTest, BlackKeysInTheTopPartWhiteKeysBelowAndBetween)
{
  KeyboardScene s;
  const int yBlack = kT + 10, yWhite = kT + 40;
  // In octave 2 (x origin 138 + 140): each black key over its span only.
  const int origin = kL + 140;
  const int blackSemis[5] = {1, 3, 6, 8, 10};
  for (int s2 : blackSemis) {
    EXPECT_EQ(s.keyboard->KeyAt(origin + kOffsets[s2], yBlack), 24 + s2);
    EXPECT_EQ(s.keyboard->KeyAt(origin + kOffsets[s2] + 5, yBlack), 24 + s2);
  }
  // The same x below the black keys is the white key underneath.
  EXPECT_EQ(s.keyboard->KeyAt(origin + 7, yWhite), 24);       // under C#: C
  EXPECT_EQ(s.keyboard->KeyAt(origin + 17, yWhite), 26);      // under D#: D
  EXPECT_EQ(s.keyboard->KeyAt(origin + 57, yWhite), 33);      // under A#: A
  // Between black keys, even at the top: white.
  EXPECT_EQ(s.keyboard->KeyAt(origin + 14, yBlack), 26);
  EXPECT_EQ(s.keyboard->KeyAt(origin + 13, yBlack), 26);      // C# ends at 7 + 6
  EXPECT_EQ(s.keyboard->KeyAt(origin + 30, yBlack), 29);      // F: no black key at 30
  const int whiteSemis[7] = {0, 2, 4, 5, 7, 9, 11};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(s.keyboard->KeyAt(origin + 10 * k + 2, yWhite), 24 + whiteSemis[k]);
  // The black keys' last row is kT + 34.
  EXPECT_EQ(s.keyboard->KeyAt(origin + 7, kT + 34), 25);
  EXPECT_EQ(s.keyboard->KeyAt(origin + 7, kT + 35), 24);
}

TEST(KeyboardTest, TopKeyAndOutside)
{
  KeyboardScene s;
  EXPECT_EQ(s.keyboard->GetRECT(), IRect(138, 707, 708, 767));
  EXPECT_EQ(s.keyboard->KeyAt(kL, kT), 0);
  EXPECT_EQ(s.keyboard->KeyAt(kL + 560, kT + 50), 96);
  // No black keys past the eighth octave.
  EXPECT_EQ(s.keyboard->KeyAt(kL + 567, kT + 5), 96);
  EXPECT_EQ(s.keyboard->KeyAt(kL + 569, kT + 59), 96);
  EXPECT_EQ(s.keyboard->KeyAt(kL + 570, kT + 5), -1);
  EXPECT_EQ(s.keyboard->KeyAt(kL - 1, kT + 5), -1);
  EXPECT_EQ(s.keyboard->KeyAt(kL + 5, kT + 60), -1);
  EXPECT_EQ(s.keyboard->KeyAt(kL + 5, kT - 1), -1);
}

TEST(KeyboardTest, PressHeightGivesTheVelocity)
{
  KeyboardScene s;
  double h = -1;
  s.keyboard->KeyAt(kL + 2, kT, &h);
  EXPECT_EQ(h, 0.0);
  EXPECT_EQ(Velocity(h), 1);
  s.keyboard->KeyAt(kL + 2, kT + 59, &h);
  EXPECT_DOUBLE_EQ(h, 59.0 / 60);
  EXPECT_EQ(Velocity(h), 125);
  // Black keys measure against their own 35-pixel height.
  s.keyboard->KeyAt(kL + 8, kT + 34, &h);
  EXPECT_DOUBLE_EQ(h, 34.0 / 35);
  EXPECT_EQ(Velocity(h), 123);

  s.gfx->OnMouseDown(kL + 8, kT + 7, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), 1);
  EXPECT_DOUBLE_EQ(s.keyboard->PressHeight(), 7.0 / 35);
}

TEST(KeyboardTest, HoldSlideAndRelease)
{
  KeyboardScene s;
  s.gfx->OnMouseDown(kL + 2, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), 0);
  s.gfx->OnMouseDrag(kL + 22, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), 4);
  // Sliding within the key keeps it, and its press height.
  s.gfx->OnMouseDrag(kL + 23, kT + 10, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), 4);
  EXPECT_DOUBLE_EQ(s.keyboard->PressHeight(), 50.0 / 60);
  // Off the keyboard: let go.
  s.gfx->OnMouseDrag(kL + 23, kT - 30, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
  s.gfx->OnMouseDrag(kL + 32, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), 5);
  s.gfx->OnMouseUp(kL + 32, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
  // The right button plays nothing.
  s.gfx->OnMouseDown(kL + 2, kT + 50, IMouseMod(false, true));
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
  // A double click is a press.
  s.gfx->OnMouseDblClick(kL + 2, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), 0);
}

TEST(KeyboardTest, KeySoundingFromMidiCannotBePressed)
{
  KeyboardScene s;
  s.flags[12 + 5] = true;
  s.gfx->OnMouseDown(kL + 32, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
  s.gfx->OnMouseUp(kL + 32, kT + 50, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
  // Note 11 (what "no key" maps to) sounding does not pin a key held.
  s.flags[11] = true;
  s.gfx->OnMouseDown(kL + 2, kT + 50, kLeft);
  s.gfx->OnMouseDrag(kL + 2, kT - 5, kLeft);
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
}

TEST(KeyboardTest, DrawsHeldAndSoundingKeysWithTheirFrames)
{
  KeyboardScene s;
  // At rest nothing is drawn, though every pass includes the keyboard.
  EXPECT_TRUE(s.gfx->Tick());
  EXPECT_EQ(PixelAt(*s.gfx, kL + 300, kT + 50), kUntouched);
  // Held: E0 (key 4, white frame 3).
  s.gfx->OnMouseDown(KeyboardScene::WhiteX(2) + 5, kT + 50, kLeft);
  ASSERT_EQ(s.keyboard->HeldKey(), 4);
  // Sounding from MIDI: G1 (key 19, frame 4), F#1 (key 18, black), B2 (key
  // 35, frame 3), the top C (key 96, frame 6).
  for (int note : {12 + 19, 12 + 18, 12 + 35, 12 + 96}) s.flags[note] = true;
  s.gfx->Tick();

  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(2), kT), FrameColor(3, 1));
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(2) + 9, kT + 59), FrameColor(3, 1));
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(11), kT + 59), FrameColor(4, 1));     // G1
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(20), kT + 59), FrameColor(3, 1));     // B2
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(56), kT + 30), FrameColor(6, 1));     // top C
  // F#1: black frame at 138 + 70 + 37, 6 x 35.
  EXPECT_EQ(PixelAt(*s.gfx, kL + 107, kT), FrameColor(1, 2));
  EXPECT_EQ(PixelAt(*s.gfx, kL + 112, kT + 34), FrameColor(1, 2));
  // Under and beside it lies F1 (at rest); G1 starts at 138 + 110.
  EXPECT_EQ(PixelAt(*s.gfx, kL + 107, kT + 35), kUntouched);
  EXPECT_EQ(PixelAt(*s.gfx, kL + 106, kT), kUntouched);
  // Keys at rest stay as the background drew them.
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(0), kT + 50), kUntouched);
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(3), kT + 50), kUntouched);

  // A note off shows on the next pass, after the background repaints.
  FillDrawBitmap(*s.gfx, kUntouched);
  s.flags[12 + 19] = false;
  s.gfx->Tick();
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(11), kT + 59), kUntouched);
  EXPECT_EQ(PixelAt(*s.gfx, KeyboardScene::WhiteX(20), kT + 59), FrameColor(3, 1));
}

TEST(KeyboardTest, BlackKeysOfEveryOctaveAreDrawnAtTheirOffsets)
{
  KeyboardScene s;
  for (int k = 0; k <= 96; ++k) s.flags[12 + k] = true;
  s.gfx->Tick();
  // Below each black key lies a white one: C, D, F, G and A.
  const int semis[5] = {1, 3, 6, 8, 10};
  const int whiteFrameBelow[5] = {1, 2, 1, 4, 5};
  for (int octave = 0; octave < 8; ++octave) {
    for (int i = 0; i < 5; ++i) {
      const int x = kL + 70 * octave + kOffsets[semis[i]];
      EXPECT_EQ(PixelAt(*s.gfx, x, kT + 1), FrameColor(1, 2)) << octave << " " << semis[i];
      EXPECT_EQ(PixelAt(*s.gfx, x, kT + 40), FrameColor(whiteFrameBelow[i], 1)) << octave << " " << semis[i];
    }
  }
}
