// A small editor built the way the plug-in builds its own, driven like a user
// would: a knob turned with the mouse moves the parameter, the host hears one
// gesture with its values, and the next passes show it.
#include <gtest/gtest.h>

#include "editor/IButtonControl.h"
#include "editor/IKeyboardControl.h"
#include "editor/IKnobMultiControlBitmapFont.h"
#include "editor/IPeakMeterBitmapBitmapFont.h"
#include "editor/ITextControlBitmapFont.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
// Bitmap cache ids used only here.
enum { kIdBackground = 9201, kIdKnob = 9202, kIdGlyphs = 9203, kIdWhite = 9204, kIdBlack = 9205, kIdButtons = 9206 };
constexpr int kOffsets[12] = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};
using HostEvent = IPlugOffline::HostEvent;

// Registers a strip whose frame i is FrameColor(i, tag).
void RegisterStrip(IGraphicsHeadless& g, int id, int w, int frameH, int n, int tag)
{
  TestStrip strip(w, frameH, n, tag);
  std::vector<LICE_pixel> pixels;
  for (int y = 0; y < frameH * n; ++y)
    for (int x = 0; x < w; ++x) pixels.push_back(LICE_Row(strip.Raster(), y)[x]);
  g.RegisterPixels(id, w, frameH * n, pixels);
}

struct SmallEditor {
  SmallEditor() : gfx(new IGraphicsHeadless(&plug, 846, 768, 25))
  {
    RegisterStrip(*gfx, kIdBackground, 846, 768, 1, 1);
    RegisterStrip(*gfx, kIdKnob, 48, 48, 33, 2);
    RegisterStrip(*gfx, kIdGlyphs, 11, 14, 224, 3);
    RegisterStrip(*gfx, kIdWhite, 10, 60, 6, 4);
    RegisterStrip(*gfx, kIdBlack, 6, 35, 1, 5);
    RegisterStrip(*gfx, kIdButtons, 108, 50, 30, 6);

    gfx->AttachBackground(kIdBackground, "resources/img/Background.png");
    gfx->HandleMouseOver(true);
    keyboard = new IKeyboardControl(&plug, 138, 707, gfx->LoadBitmap(kIdWhite, "w.png", 6),
                                    gfx->LoadBitmap(kIdBlack, "b.png", 1), kOffsets);
    gfx->AttachControl(keyboard);
    const IText style(14, nullptr, "Arial");
    IBitmap knob = gfx->LoadBitmap(kIdKnob, "knob.png", 33);
    IBitmap glyphs = gfx->LoadBitmap(kIdGlyphs, "glyphs.png", 224);
    random = new IButtonControl(&plug, gfx->LoadBitmap(kIdButtons, "buttons.png", 30), 3, IRect(153, 606, 261, 656));
    random->AddListener<&SmallEditor::Generate>(this);
    random->SetTooltip("Random! Great to discover new sounds!");
    gfx->AttachControl(random);
    index = new ITextControlBitmapFont(&plug, style, glyphs, IBlend(), IRect(548, 240, 603, 270));
    gfx->AttachControl(index);
    for (int i : {kOutputGain, kOsc1Type}) {
      const ParamDesc* d = GetParamDesc(i);
      auto* c = new IKnobMultiControlBitmapFont(&plug, i, knob, style, glyphs, IBlend(),
                                                IRect(d->x, d->y, d->x + d->width, d->y + d->height));
      c->SetTooltip(d->tooltip);
      gfx->AttachControl(c);
    }
    gfx->EnableTooltips(true);
    plug.AttachEditor(gfx);
  }

  // What a generator button does: values through the controls, one at a time.
  void Generate()
  {
    gfx->SetControlsFromUserValue(kOsc1Type, 3.0 / 7);
    gfx->SetControlsFromUserValue(kOutputGain, 0.5);
    index->SetTextFromPlugin("1");
  }

  TestPlug plug;
  IGraphicsHeadless* gfx;  // owned by plug once attached
  IKeyboardControl* keyboard;
  IButtonControl* random;
  ITextControlBitmapFont* index;
};
}  // namespace

TEST(EditorAcceptanceTest, KnobTurnedWithTheMouseReachesParameterHostAndScreen)
{
  SmallEditor e;
  ASSERT_EQ(e.plug.GetEditor(), e.gfx);
  ASSERT_EQ(e.gfx->NControls(), 6);
  e.gfx->OpenWindow(nullptr);
  e.gfx->Tick();
  // Output Gain at -6 dB: normalised 0.7, frame 23, "-6.0dB".
  EXPECT_EQ(PixelAt(*e.gfx, 752 + 12, 32), FrameColor(FrameFromValue(0.7, 33), 2));
  EXPECT_EQ(PixelAt(*e.gfx, 752 + 36 - TextRunWidth(kAdvances14, "-6.0dB") / 2, 84), FrameColor('-' - 31, 3));

  // Grab the knob and pull it up 34 pixels in a few moves.
  e.plug.ClearHostEvents();
  e.plug.changes.clear();
  e.gfx->OnMouseDown(790, 50, IMouseMod(true));
  for (int y : {45, 40, 30, 16}) e.gfx->OnMouseDrag(790, y, IMouseMod(true));
  e.gfx->OnMouseUp(790, 16, IMouseMod(true));

  // 34 px over a 68 px knob at gearing 4: +0.125.
  const double expected = 0.7 + 34.0 / 68 / 4;
  EXPECT_NEAR(e.plug.GetParameter(kOutputGain)->GetNormalized(), expected, 1e-12);
  EXPECT_NEAR(e.plug.GetParameter(kOutputGain)->Value(), 1.5, 1e-9);

  const auto& ev = e.plug.HostEvents();
  ASSERT_EQ(ev.size(), 7u);  // begin, the press, four moves, end
  EXPECT_EQ(ev.front().kind, HostEvent::kBeginEdit);
  EXPECT_EQ(ev.back().kind, HostEvent::kEndEdit);
  double previous = 0.0;
  for (size_t i = 1; i + 1 < ev.size(); ++i) {
    EXPECT_EQ(ev[i].kind, HostEvent::kValue);
    EXPECT_EQ(ev[i].paramIdx, kOutputGain);
    EXPECT_GE(ev[i].value, previous);
    previous = ev[i].value;
  }
  EXPECT_NEAR(ev[1].value, 0.7, 1e-12);
  EXPECT_NEAR(ev[ev.size() - 2].value, expected, 1e-12);
  for (const HostEvent& h : ev) EXPECT_EQ(h.paramIdx, kOutputGain);
  EXPECT_EQ(e.plug.changes, std::vector<int>(5, kOutputGain));

  // On screen after the next pass: new frame and "1.5dB".
  e.gfx->Tick();
  EXPECT_EQ(PixelAt(*e.gfx, 752 + 12, 32), FrameColor(FrameFromValue(expected, 33), 2));
  EXPECT_EQ(PixelAt(*e.gfx, 752 + 36 - TextRunWidth(kAdvances14, "1.5dB") / 2, 84), FrameColor('1' - 31, 3));
}

TEST(EditorAcceptanceTest, ButtonReleaseRunsTheToolThroughTheControls)
{
  SmallEditor e;
  e.gfx->Tick();
  e.plug.ClearHostEvents();
  e.gfx->OnMouseOver(200, 620, IMouseMod());
  EXPECT_EQ(e.gfx->GetControl(e.gfx->GetMouseOver())->GetTooltip(), "Random! Great to discover new sounds!");
  e.gfx->OnMouseDown(200, 620, IMouseMod(true));
  e.gfx->OnMouseUp(200, 620, IMouseMod(true));

  EXPECT_EQ(e.plug.GetParameter(kOsc1Type)->Value(), 3.0);
  EXPECT_NEAR(e.plug.GetParameter(kOutputGain)->Value(), -18.0, 1e-9);
  ASSERT_EQ(e.plug.HostEvents().size(), 2u);
  EXPECT_EQ(e.plug.HostEvents()[0].paramIdx, kOsc1Type);
  EXPECT_EQ(e.plug.HostEvents()[1].paramIdx, kOutputGain);

  e.gfx->Tick();
  EXPECT_EQ(PixelAt(*e.gfx, 32 + 36 - TextRunWidth(kAdvances14, "Square") / 2, 84), FrameColor('S' - 31, 3));
  EXPECT_EQ(PixelAt(*e.gfx, 575 - 3, 250), FrameColor('1' - 31, 3));
  // The pressed frame of the button (first frame 3: frames 4, 5, 6).
  EXPECT_EQ(PixelAt(*e.gfx, 160, 610), FrameColor(6, 6));
}
