// The graphics object's bookkeeping: the bitmap cache, the background,
// parameter values from the host and from the tools, resizing, the headless
// window, and text measuring with the font cache.
#include <gtest/gtest.h>

#include "editor/GraphicsCaches.h"
#include "editor/IBitmapControl.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
// Ids of the process-wide bitmap cache used only by this file.
enum { kIdSolid = 9101, kIdSecond = 9102, kIdNotPng = 9103, kIdBackground = 9104, kIdMissing = 9105 };

std::vector<LICE_pixel> Solid(int w, int h, LICE_pixel color) { return std::vector<LICE_pixel>(w * h, color); }
}  // namespace

TEST(BitmapCacheTest, LoadsOnceAndKeepsTheFirstImagePerId)
{
  EditorHarness h;
  h.gfx->RegisterPixels(kIdSolid, 4, 6, Solid(4, 6, 0xFF00FF00u));
  IBitmap first = h.gfx->LoadBitmap(kIdSolid, "resources/img/x.png", 3);
  ASSERT_NE(first.mData, nullptr);
  EXPECT_EQ(first.W, 4);
  EXPECT_EQ(first.H, 6);
  EXPECT_EQ(first.N, 3);
  EXPECT_EQ(LICE_Row(first.mData, 5)[3], 0xFF00FF00u);

  // Another editor of the process, with a different image under the same id:
  // the cached one wins, with the frame count asked for this time.
  EditorHarness other;
  other.gfx->RegisterPixels(kIdSolid, 8, 8, Solid(8, 8, 0xFFFF0000u));
  IBitmap again = other.gfx->LoadBitmap(kIdSolid, "resources/img/x.png", 1, true);
  EXPECT_EQ(again.mData, first.mData);
  EXPECT_EQ(again.W, 4);
  EXPECT_TRUE(again.mFramesAreHorizontal);
  EXPECT_EQ(BitmapCache::Find(kIdSolid), first.mData);

  // Only PNG names load; what the first load gave, null included, stays.
  h.gfx->RegisterPixels(kIdNotPng, 2, 2, Solid(2, 2, 0xFFFFFFFFu));
  IBitmap wrongName = h.gfx->LoadBitmap(kIdNotPng, "resources/img/x.png.bak");
  EXPECT_EQ(wrongName.mData, nullptr);
  EXPECT_EQ(wrongName.W, 0);
  EXPECT_EQ(h.gfx->LoadBitmap(kIdNotPng, "resources/img/x.PNG").mData, nullptr);
  EXPECT_EQ(h.gfx->LoadBitmap(kIdMissing, "nothing.png").mData, nullptr);
  h.gfx->RegisterPixels(kIdSecond, 3, 1, Solid(3, 1, 0xFF0000FFu));
  EXPECT_NE(h.gfx->LoadBitmap(kIdSecond, "resources/img/y.PNG").mData, nullptr);
}

TEST(BackgroundTest, GoesToIndexZeroEvenWhenAttachedLast)
{
  EditorHarness h(20, 10);
  h.gfx->RegisterPixels(kIdBackground, 20, 10, Solid(20, 10, 0x80FF0000u));
  auto* a = new ProbeControl(&h.plug, IRect(0, 0, 5, 5));
  h.gfx->AttachControl(a);
  h.gfx->AttachBackground(kIdBackground, "resources/img/Background.png");
  ASSERT_EQ(h.gfx->NControls(), 2);
  EXPECT_EQ(h.gfx->GetControl(1), a);
  IControl* bg = h.gfx->GetControl(0);
  EXPECT_EQ(bg->GetRECT(), IRect(0, 0, 20, 10));
  EXPECT_EQ(bg->ParamIdx(), -1);
  EXPECT_EQ(bg->GetBlend().mMethod, IBlend::kBlendClobber);

  // Clobber copies the image's alpha too, even half transparent.
  h.MakeBitmaps();
  FillDrawBitmap(*h.gfx, 0xFF00FF00u);
  h.gfx->Tick();
  EXPECT_EQ(PixelAt(*h.gfx, 19, 9), 0x80FF0000u);
}

TEST(HostValueTest, RealAndNormalisedValuesReachBoundControlsOnly)
{
  EditorHarness h;
  auto* gain = new ProbeControl(&h.plug, IRect(0, 0, 10, 10), kOutputGain);
  auto* gain2 = new ProbeControl(&h.plug, IRect(10, 0, 20, 10), kOutputGain);
  auto* other = new ProbeControl(&h.plug, IRect(20, 0, 30, 10), kOsc1Level);
  h.gfx->AttachControl(gain);
  h.gfx->AttachControl(gain2);
  h.gfx->AttachControl(other);
  h.Attach();
  // Attaching pushed every parameter's normalised value.
  EXPECT_DOUBLE_EQ(gain->GetValue(), 42.0 / 60);
  EXPECT_DOUBLE_EQ(other->GetValue(), 1.0);

  h.gfx->SetParameterFromHost(kOutputGain, 0.0, false);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.8);
  EXPECT_DOUBLE_EQ(gain2->GetValue(), 0.8);
  h.gfx->SetParameterFromHost(kOutputGain, 100.0, false);  // clamped to the range
  EXPECT_DOUBLE_EQ(gain->GetValue(), 1.0);
  h.gfx->SetParameterFromHost(kOutputGain, 0.25, true);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);
  h.gfx->SetParameterFromHost(kParamCount, 0.0, false);  // no such parameter
  EXPECT_DOUBLE_EQ(other->GetValue(), 1.0);
  // Nothing went back to the host or the plug-in.
  EXPECT_TRUE(h.plug.HostEvents().empty());
  EXPECT_TRUE(h.plug.changes.empty());

  h.gfx->SetControlValueFromPlugin(2, 0.5);
  EXPECT_EQ(other->GetValue(), 0.5);
  h.gfx->SetControlValueFromPlugin(3, 0.5);  // out of range: ignored
}

TEST(HostValueTest, UserValuesFromTheToolsActLikeEdits)
{
  EditorHarness h;
  auto* gain = new ProbeControl(&h.plug, IRect(0, 0, 10, 10), kOutputGain);
  auto* other = new ProbeControl(&h.plug, IRect(20, 0, 30, 10), kOsc1Level);
  h.gfx->AttachControl(gain);
  h.gfx->AttachControl(other);
  h.Attach();
  h.gfx->Tick();
  h.gfx->Tick();

  h.gfx->SetControlsFromUserValue(kOutputGain, 0.8);
  EXPECT_EQ(gain->GetValue(), 0.8);
  EXPECT_NEAR(h.plug.GetParameter(kOutputGain)->Value(), 0.0, 1e-9);
  ASSERT_EQ(h.plug.HostEvents().size(), 1u);
  EXPECT_EQ(h.plug.HostEvents()[0].kind, IPlugOffline::HostEvent::kValue);
  EXPECT_EQ(h.plug.changes, std::vector<int>{kOutputGain});
  // Drawn on the next two passes.
  IRect dirty;
  ASSERT_TRUE(h.gfx->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, gain->GetRECT());
}

TEST(ResizeTest, DropsTheControlsRemakesTheBitmapsAndTellsThePlugin)
{
  EditorHarness h(100, 50);
  h.gfx->AttachControl(new ProbeControl(&h.plug, IRect(0, 0, 10, 10)));
  h.gfx->HandleMouseOver(true);
  h.gfx->OnMouseOver(5, 5, IMouseMod());
  h.gfx->OnMouseDown(5, 5, IMouseMod(true));
  h.MakeBitmaps();
  h.gfx->Resize(300, 120);
  EXPECT_EQ(h.gfx->NControls(), 0);
  EXPECT_EQ(h.gfx->Width(), 300);
  EXPECT_EQ(h.gfx->GetDrawBitmap()->GetWidth(), 300);
  EXPECT_EQ(h.gfx->GetDrawBitmap()->GetHeight(), 120);
  EXPECT_EQ(h.gfx->GetMouseCapture(), -1);
  EXPECT_EQ(h.gfx->GetMouseOver(), -1);
  EXPECT_EQ(h.plug.ResizeRequests(), 1);
  // The old mouse-over control is gone; moving again must not reach it.
  h.gfx->AttachControl(new ProbeControl(&h.plug, IRect(50, 0, 60, 10)));
  EXPECT_TRUE(h.gfx->OnMouseOver(55, 5, IMouseMod()));
}

TEST(MeasureTextTest, AlignmentRulesAndTheFontCache)
{
  EditorHarness h;
  IText near(13, nullptr, "Verdana");
  near.mAlign = IText::kAlignNear;
  IRect r(10, 20, 200, 60);
  ASSERT_TRUE(h.gfx->MeasureText(near, "Vorblex", r));
  ASSERT_NE(near.mCached, nullptr);
  const int w = r.W(), height = r.H();
  EXPECT_GT(w, 0);
  EXPECT_GT(height, 0);
  EXPECT_EQ(r.L, 10);
  EXPECT_EQ(r.T, 20);

  IText centre = near;
  centre.mAlign = IText::kAlignCenter;
  IRect c(10, 20, 201, 60);
  h.gfx->MeasureText(centre, "Vorblex", c);
  EXPECT_EQ(c.L, 105 - w / 2);
  EXPECT_EQ(c.R, c.L + w);
  EXPECT_EQ(c.B, 20 + height);

  IText far = near;
  far.mAlign = IText::kAlignFar;
  IRect f(10, 20, 200, 60);
  h.gfx->MeasureText(far, "Vorblex", f);
  EXPECT_EQ(f.L, 200 - w);
  EXPECT_EQ(f.R, 200);

  // Same size, orientation, style and name: the same cached font.
  IText same(13, nullptr, "Verdana");
  IRect s(0, 0, 10, 10);
  const int before = FontCache::Count();
  h.gfx->MeasureText(same, "x", s);
  EXPECT_EQ(same.mCached, near.mCached);
  EXPECT_EQ(FontCache::Count(), before);
  IText bold(13, nullptr, "Verdana");
  bold.mStyle = IText::kStyleBold;
  h.gfx->MeasureText(bold, "x", s);
  EXPECT_NE(bold.mCached, near.mCached);
  IText otherCase(13, nullptr, "verdana");
  h.gfx->MeasureText(otherCase, "x", s);
  EXPECT_NE(otherCase.mCached, near.mCached);
  EXPECT_EQ(FontCache::Count(), before + 2);

  // Nothing to measure: no change, no font.
  IText fresh(31, nullptr, "Verdana");
  IRect untouched(1, 2, 3, 4);
  EXPECT_TRUE(h.gfx->MeasureText(fresh, "", untouched));
  EXPECT_EQ(untouched, IRect(1, 2, 3, 4));
  EXPECT_EQ(fresh.mCached, nullptr);
}
