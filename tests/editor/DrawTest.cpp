// Dirty-region collection and the draw pass, checked on the pixels of the draw
// bitmap.
#include <gtest/gtest.h>

#include "editor/IBitmapControl.h"
#include "editor/raster/LICE_Blit.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
constexpr LICE_pixel kUntouched = 0xFF123456u;

// A background of frame colour 1 (tag 1) over 200 x 100 and two solid
// controls: A at (10, 10)-(40, 30) and B at (100, 50)-(130, 70).
struct DrawScene : EditorHarness {
  DrawScene() : background(200, 100, 1, 1), a(30, 20, 1, 2), b(30, 20, 1, 3)
  {
    gfx->AttachControl(new IBitmapControl(&plug, 0, 0, -1, background.Get(), IBlend(IBlend::kBlendClobber)));
    ctlA = new IBitmapControl(&plug, 10, 10, -1, a.Get());
    ctlB = new IBitmapControl(&plug, 100, 50, -1, b.Get());
    gfx->AttachControl(ctlA);
    gfx->AttachControl(ctlB);
    MakeBitmaps();
    FillDrawBitmap(*gfx, kUntouched);
  }
  TestStrip background, a, b;
  IControl* ctlA;
  IControl* ctlB;
};
}  // namespace

TEST(DirtyRectTest, UnionOfDirtyControlsThenNothingAfterAPass)
{
  DrawScene s;
  IRect dirty;
  ASSERT_TRUE(s.gfx->CollectDirtyRect(&dirty));  // new controls start dirty
  EXPECT_EQ(dirty, IRect(0, 0, 200, 100));
  s.gfx->Draw(dirty);

  IRect none;
  EXPECT_FALSE(s.gfx->CollectDirtyRect(&none));
  EXPECT_TRUE(none.Empty());

  s.ctlA->MarkDirty(false);
  s.ctlB->MarkDirty(false);
  IRect both;
  ASSERT_TRUE(s.gfx->CollectDirtyRect(&both));
  EXPECT_EQ(both, IRect(10, 10, 130, 70));
  // Collecting does not clean.
  EXPECT_TRUE(s.ctlA->IsDirty());
}

TEST(DirtyRectTest, NoControlsMeansNothingDirtyAndDrawPresentsNothing)
{
  EditorHarness h;
  h.MakeBitmaps();
  IRect r;
  EXPECT_FALSE(h.gfx->CollectDirtyRect(&r));
  EXPECT_TRUE(h.gfx->Draw(IRect(0, 0, 10, 10)));
  EXPECT_TRUE(h.gfx->Presented().empty());
}

TEST(StrictDrawTest, DrawsOnlyIntersectingControlsClippedToTheRect)
{
  DrawScene s;
  s.gfx->Draw(IRect(0, 0, 50, 40));
  EXPECT_EQ(PixelAt(*s.gfx, 5, 5), FrameColor(1, 1));
  EXPECT_EQ(PixelAt(*s.gfx, 10, 10), FrameColor(1, 2));
  EXPECT_EQ(PixelAt(*s.gfx, 39, 29), FrameColor(1, 2));
  EXPECT_EQ(PixelAt(*s.gfx, 49, 39), FrameColor(1, 1));
  // Outside the pass nothing is touched, B included.
  EXPECT_EQ(PixelAt(*s.gfx, 50, 39), kUntouched);
  EXPECT_EQ(PixelAt(*s.gfx, 110, 60), kUntouched);
  ASSERT_EQ(s.gfx->Presented().size(), 1u);
  EXPECT_EQ(s.gfx->Presented()[0], IRect(0, 0, 50, 40));
  // Every control is cleaned, drawn or not.
  EXPECT_FALSE(s.ctlB->IsDirty());

  // An empty rectangle draws nothing, but still cleans.
  s.ctlA->MarkDirty(false);
  FillDrawBitmap(*s.gfx, kUntouched);
  s.gfx->Draw(IRect());
  EXPECT_EQ(PixelAt(*s.gfx, 20, 20), kUntouched);
  EXPECT_FALSE(s.ctlA->IsDirty());
}

TEST(StrictDrawTest, HiddenControlIsNotDrawnButItsAreaIsRepaintedBelow)
{
  DrawScene s;
  s.gfx->Tick();
  EXPECT_EQ(PixelAt(*s.gfx, 20, 20), FrameColor(1, 2));

  s.ctlA->Hide(true);
  IRect dirty;
  ASSERT_TRUE(s.gfx->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, IRect(10, 10, 40, 30));
  s.gfx->Draw(dirty);
  EXPECT_EQ(PixelAt(*s.gfx, 20, 20), FrameColor(1, 1));
  // Hide asked for a second pass too; after it the control rests.
  EXPECT_TRUE(s.gfx->Tick());
  EXPECT_FALSE(s.gfx->Tick());
  // Hidden controls are not hit either.
  EXPECT_EQ(s.gfx->FindControlAt(20, 20), 0);
}

TEST(StrictDrawTest, GreyedControlIsDrawnAtQuarterWeightAndNotHit)
{
  EditorHarness h;
  TestStrip black(10, 10, 1, 0), white(10, 10, 1, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      LICE_Row(black.Raster(), y)[x] = 0xFF000000u;
      LICE_Row(white.Raster(), y)[x] = 0xFFFFFFFFu;
    }
  h.gfx->AttachControl(new IBitmapControl(&h.plug, 0, 0, -1, black.Get(), IBlend(IBlend::kBlendClobber)));
  auto* grey = new IBitmapControl(&h.plug, 0, 0, -1, white.Get());
  h.gfx->AttachControl(grey);
  h.MakeBitmaps();
  grey->SetGreyed(true);
  h.gfx->Tick();
  // Weight 0.25 of an opaque white over black: 64 of each colour byte.
  const LICE_pixel p = PixelAt(*h.gfx, 5, 5);
  EXPECT_EQ(LICE_GETR(p), 64u);
  EXPECT_EQ(LICE_GETG(p), 64u);
  EXPECT_EQ(LICE_GETB(p), 64u);
  EXPECT_EQ(h.gfx->FindControlAt(5, 5), 0);

  grey->SetGreyed(false);
  h.gfx->Tick();
  EXPECT_EQ(PixelAt(*h.gfx, 5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(h.gfx->FindControlAt(5, 5), 1);
}

TEST(NonStrictDrawTest, BackgroundRedrawsAllOtherwiseEachDirtyRectangle)
{
  DrawScene s;
  s.gfx->SetStrictDrawing(false);
  s.gfx->Draw(IRect(0, 0, 1, 1));  // the background is dirty: everything
  EXPECT_EQ(PixelAt(*s.gfx, 199, 99), FrameColor(1, 1));
  EXPECT_EQ(PixelAt(*s.gfx, 110, 60), FrameColor(1, 3));
  EXPECT_FALSE(s.ctlB->IsDirty());

  FillDrawBitmap(*s.gfx, kUntouched);
  s.ctlA->MarkDirty(false);
  s.gfx->Draw(IRect(0, 0, 200, 100));
  // A and the background under it, clipped to A's rectangle; nothing else.
  EXPECT_EQ(PixelAt(*s.gfx, 10, 10), FrameColor(1, 2));
  EXPECT_EQ(PixelAt(*s.gfx, 9, 10), kUntouched);
  EXPECT_EQ(PixelAt(*s.gfx, 110, 60), kUntouched);
  EXPECT_FALSE(s.ctlA->IsDirty());
}

TEST(DrawBitmapTest, ClipsToTheDrawRectAndShiftsTheSource)
{
  EditorHarness h;
  h.MakeBitmaps();
  FillDrawBitmap(*h.gfx, kUntouched);
  TestStrip strip(4, 4, 3);  // frames stacked: rows 0-3, 4-7, 8-11
  // Paint column x of frame 2 in a recognisable colour.
  for (int y = 4; y < 8; ++y) LICE_Row(strip.Raster(), y)[3] = 0xFF00FF00u;
  h.gfx->AttachControl(new ProbeControl(&h.plug, IRect(0, 0, 1, 1)));
  h.gfx->Draw(IRect(12, 0, 20, 20));  // sets the draw rect
  EXPECT_TRUE(h.gfx->DrawBitmap(strip.Get(), IRect(10, 10, 14, 14), 0, 4, nullptr));
  EXPECT_EQ(PixelAt(*h.gfx, 11, 10), kUntouched);  // left of the draw rect
  EXPECT_EQ(PixelAt(*h.gfx, 12, 10), FrameColor(2));
  EXPECT_EQ(PixelAt(*h.gfx, 13, 13), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(*h.gfx, 14, 13), kUntouched);
}
