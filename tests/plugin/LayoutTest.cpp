#include <gtest/gtest.h>

#include <string>

#include "editor/IBitmapControl.h"
#include "editor/IButtonControl.h"
#include "editor/IKeyboardControl.h"
#include "editor/IKnobMultiControlBitmapFont.h"
#include "editor/IKnobMultiControlBitmapFontMidiNote.h"
#include "editor/IPeakMeterBitmapBitmapFont.h"
#include "editor/ITextControlBitmapFont.h"
#include "editor/headless/IGraphicsHeadless.h"
#include "plugin/Vorblex.h"
#include "platform/Random.h"
#include "support/Render.h"

namespace {
IGraphicsHeadless& Editor(Vorblex& plug) { return *static_cast<IGraphicsHeadless*>(plug.GetEditor()); }

LICE_pixel At(IGraphics& g, int x, int y) { return LICE_Row(g.GetDrawBitmap(), y)[x]; }

void DrawAll(IGraphics& g)
{
  g.SetAllControlsDirty();
  ASSERT_TRUE(g.Draw(IRect(0, 0, g.Width(), g.Height())));
}

// True when the draw bitmap at (x, y) shows frame `frame` of the control's strip
// there: compares a few pixels against the strip blended over the background.
bool ShowsFrame(IGraphics& g, const IBitmap& strip, const IRect& r, int frame)
{
  const int fh = strip.H / strip.N;
  LICE_IBitmap* src = strip.mData;
  int matched = 0, opaque = 0;
  for (int y = 0; y < fh; y += 3) {
    for (int x = 0; x < strip.W; x += 3) {
      const LICE_pixel p = LICE_Row(src, frame * fh + y)[x];
      if ((p >> 24) != 0xFF) continue;  // only fully opaque pixels show as they are
      ++opaque;
      matched += (At(g, r.L + x, r.T + y) & 0xFFFFFF) == (p & 0xFFFFFF);
    }
  }
  return opaque > 0 && matched == opaque;
}
}  // namespace

TEST(Layout, SeventyNineControlsInTheirPlaces)
{
  Vorblex plug;
  IGraphics& g = Editor(plug);
  ASSERT_EQ(g.NControls(), 79);
  EXPECT_EQ(g.Width(), 846);
  EXPECT_EQ(g.Height(), 768);
  EXPECT_NE(dynamic_cast<IKeyboardControl*>(g.GetControl(1)), nullptr);
  EXPECT_EQ(g.GetControl(1)->GetRECT(), IRect(138, 707, 708, 767));
  EXPECT_NE(dynamic_cast<IPeakMeterBitmapBitmapFont*>(g.GetControl(2)), nullptr);
  EXPECT_EQ(g.GetControl(2)->GetRECT(), IRect(760, 100, 788, 242));
  EXPECT_EQ(g.GetControl(3)->GetRECT(), IRect(788, 100, 817, 242));
  for (int i = 4; i <= 16; ++i) EXPECT_NE(dynamic_cast<IButtonControl*>(g.GetControl(i)), nullptr) << i;
  EXPECT_EQ(g.GetControl(4)->GetRECT(), IRect(153, 556, 261, 606));
  EXPECT_EQ(g.GetControl(13)->GetRECT(), IRect(585, 606, 693, 656));
  EXPECT_EQ(g.GetControl(16)->GetRECT(), IRect(472, 240, 548, 270));
  auto* display = dynamic_cast<ITextControlBitmapFont*>(g.GetControl(17));
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->GetDisplayText(), "0");
  for (int i = 0; i < kParamCount; ++i) {
    IControl* c = g.GetControl(18 + i);
    const ParamDesc* d = GetParamDesc(i);
    EXPECT_EQ(c->ParamIdx(), i);
    EXPECT_EQ(c->GetRECT(), IRect(d->x, d->y, d->x + d->width, d->y + d->height)) << i;
    EXPECT_EQ(c->GetTooltip(), d->tooltip) << i;
  }
  EXPECT_NE(dynamic_cast<IKnobMultiControlBitmapFontMidiNote*>(g.GetControl(18 + kPitchHighNote)), nullptr);
  EXPECT_NE(dynamic_cast<IKnobMultiControlBitmapFontMidiNote*>(g.GetControl(18 + kPitchLowNote)), nullptr);
  auto* overlay = dynamic_cast<IBitmapOverlayControl*>(g.GetControl(78));
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->GetRECT(), IRect(0, 0, 846, 698));
  EXPECT_EQ(overlay->ParamIdx(), -1);
}

TEST(Layout, EveryImageHasItsSizeAndFrames)
{
  Vorblex plug;
  IGraphics& g = Editor(plug);
  struct Image {
    int id;
    const char* file;
    int w, h, frames;
  };
  const Image images[] = {
      {101, "about.png", 846, 698, 1},        {102, "Background.png", 846, 768, 1},
      {103, "KnobNes.png", 48, 1584, 33},     {104, "pianowhitekey.png", 10, 360, 6},
      {105, "pianoblackkey.png", 6, 35, 1},   {106, "pianowhiteredkey.png", 10, 360, 6},
      {107, "pianoblackredkey.png", 6, 35, 1}, {108, "PeakMeterL.png", 28, 2432, 19},
      {109, "PeakMeterR.png", 28, 2432, 19},  {110, "KnobSNes.png", 96, 6240, 65},
      {111, "KnobSNes2.png", 96, 6240, 65},   {112, "Switch.png", 28, 48, 2},
      {113, "KnobNes2.png", 24, 792, 33},     {114, "KnobNes3.png", 24, 792, 33},
      {115, "Eyetype_3_12.png", 9, 2688, 224}, {116, "Eyetype_3_14.png", 11, 3136, 224},
      {117, "Eyetype_3_20.png", 15, 4480, 224}, {118, "Eyetype_3_14_white.png", 11, 3136, 224},
      {119, "Buttons.png", 108, 1500, 30},    {120, "Switch3.png", 26, 72, 3},
      {121, "ButtonsSmall.png", 76, 270, 9},
  };
  for (const Image& im : images) {
    const IBitmap bm = g.LoadBitmap(im.id, (std::string("resources/img/") + im.file).c_str(), im.frames);
    EXPECT_EQ(bm.W, im.w) << im.file;
    EXPECT_EQ(bm.H, im.h) << im.file;
    EXPECT_EQ(bm.H % im.frames, 0) << im.file;
  }
}

TEST(Layout, SnapshotShowsKnobsSwitchesAndTheDisplay)
{
  Vorblex plug;
  IGraphics& g = Editor(plug);
  auto* gain = dynamic_cast<IKnobMultiControlBitmapFont*>(g.GetControl(18 + kOutputGain));
  ASSERT_NE(gain, nullptr);
  const IBitmap knob = g.LoadBitmap(103, "resources/img/KnobNes.png", 33);
  DrawAll(g);
  // -6 dB of -48..12 is 0.7 of the range: frame round(0.7 * 32) = 22.
  EXPECT_TRUE(ShowsFrame(g, knob, gain->Layout().mKnobRECT, 22));
  EXPECT_FALSE(ShowsFrame(g, knob, gain->Layout().mKnobRECT, 0));

  auto* trigger = dynamic_cast<IKnobMultiControlBitmapFont*>(g.GetControl(18 + kPitchJumpTrigger));
  ASSERT_NE(trigger, nullptr);
  const IBitmap switch3 = g.LoadBitmap(120, "resources/img/Switch3.png", 3);
  for (auto [value, frame] : {std::pair{0.0, 0}, std::pair{0.5, 1}, std::pair{1.0, 2}}) {
    g.SetControlsFromUserValue(kPitchJumpTrigger, value);
    DrawAll(g);
    EXPECT_TRUE(ShowsFrame(g, switch3, trigger->Layout().mKnobRECT, frame)) << value;
    EXPECT_FALSE(ShowsFrame(g, switch3, trigger->Layout().mKnobRECT, (frame + 1) % 3)) << value;
  }

  // The display shows the history number in glyphs: the region changes with it.
  auto region = [&] {
    std::vector<LICE_pixel> px;
    for (int y = 250; y < 270; ++y)
      for (int x = 548; x < 603; ++x) px.push_back(At(g, x, y));
    return px;
  };
  DrawAll(g);
  const auto zero = region();
  RandomSeed(1);
  plug.GenerateBlip();
  plug.GenerateBlip();
  DrawAll(g);
  EXPECT_EQ(dynamic_cast<ITextControlBitmapFont*>(g.GetControl(17))->GetDisplayText(), "1");
  EXPECT_NE(region(), zero);
}

TEST(Layout, AboutOverlayOpensFromItsTargetAndLeavesTheKeyboardFree)
{
  Vorblex plug;
  IGraphics& g = Editor(plug);
  DrawAll(g);
  const LICE_pixel before = At(g, 100, 100);
  // A click outside the target area does not open it.
  g.OnMouseDown(100, 300, IMouseMod(true));
  g.OnMouseUp(100, 300, IMouseMod());
  EXPECT_LT(g.GetControl(78)->GetValue(), 0.5);
  g.OnMouseDown(400, 680, IMouseMod(true));
  g.OnMouseUp(400, 680, IMouseMod());
  EXPECT_GT(g.GetControl(78)->GetValue(), 0.5);
  DrawAll(g);
  EXPECT_NE(At(g, 100, 100), before);
  // Shown, it takes every click above the keyboard...
  EXPECT_EQ(g.FindControlAt(200, 300), 78);
  // ...while the keyboard stays reachable.
  EXPECT_EQ(g.FindControlAt(300, 740), 1);
  g.OnMouseDown(200, 300, IMouseMod(true));
  g.OnMouseUp(200, 300, IMouseMod());
  EXPECT_LT(g.GetControl(78)->GetValue(), 0.5);
  DrawAll(g);
  EXPECT_EQ(At(g, 100, 100), before);
}

TEST(Layout, HoverGivesTooltips)
{
  Vorblex plug;
  IGraphics& g = Editor(plug);
  EXPECT_TRUE(g.TooltipsEnabled());
  const ParamDesc* delay = GetParamDesc(kPitchJumpDelay);
  g.OnMouseOver(delay->x + 10, delay->y + 10, IMouseMod());
  ASSERT_EQ(g.GetMouseOver(), 18 + kPitchJumpDelay);
  EXPECT_EQ(g.GetControl(g.GetMouseOver())->GetTooltip(), "Delay to trigger the new note");
  g.OnMouseOver(200, 630, IMouseMod());
  EXPECT_EQ(g.GetControl(g.GetMouseOver())->GetTooltip(), "Random! Great to discover new sounds!");
}

TEST(Layout, PressingAGeneratorButtonMakesANewSound)
{
  Vorblex plug;
  IGraphics& g = Editor(plug);
  plug.ClearHostEvents();
  RandomSeed(3);
  g.OnMouseDown(300, 630, IMouseMod(true));  // Shoot
  g.OnMouseUp(300, 630, IMouseMod());
  EXPECT_EQ(plug.DataList().size(), 1u);
  EXPECT_FALSE(plug.HostEvents().empty());
  const double type = plug.GetParameter(kOsc1Type)->Value();
  EXPECT_GE(type, 2.0);
  EXPECT_LE(type, 4.0);
  // The knob follows the parameter.
  EXPECT_NEAR(g.GetControl(18 + kOsc1Type)->GetValue(), plug.GetParameter(kOsc1Type)->GetNormalized(), 0.5 / 7);
  // Reset brings back the initial sound.
  g.OnMouseDown(200, 580, IMouseMod(true));
  g.OnMouseUp(200, 580, IMouseMod());
  EXPECT_EQ(plug.GetParameter(kOsc1Type)->Value(), 1.0);
}

TEST(Layout, MetersAndKeyboardFollowTheEngine)
{
  Vorblex plug;
  plug.SetHostSampleRate(44100);
  IGraphics& g = Editor(plug);
  RenderFrames(plug, 4096, 512, {NoteOn(0, 60)});
  EXPECT_GT(g.GetControl(2)->GetValue(), 0.1);
  EXPECT_EQ(g.GetControl(2)->GetValue(), g.GetControl(3)->GetValue());
  // A press on the on-screen keyboard plays a note at the next block.
  auto* keyboard = dynamic_cast<IKeyboardControl*>(g.GetControl(1));
  const int x = 138 + 5 * 70 + 3;  // a white key in the sixth octave
  g.OnMouseDown(x, 760, IMouseMod(true));
  const int held = keyboard->HeldKey();
  ASSERT_GE(held, 0);
  RenderFrames(plug, 64, 64);
  EXPECT_TRUE(plug.Receiver().IsKeyDown(held + 12));
  g.OnMouseUp(x, 760, IMouseMod());
  RenderFrames(plug, 64, 64);
  EXPECT_FALSE(plug.Receiver().IsKeyDown(held + 12));
}

TEST(Layout, DraggingAKnobMovesParameterHostAndEngine)
{
  Vorblex plug;
  plug.SetHostSampleRate(44100);
  IGraphics& g = Editor(plug);
  RenderFrames(plug, 2000, 500);  // the output gain settles at -6 dB
  const double before = plug.CurrentGain();
  plug.ClearHostEvents();
  const ParamDesc* d = GetParamDesc(kOutputGain);
  const int x = d->x + d->width / 2, y = d->y + 20;
  g.OnMouseDown(x, y, IMouseMod(true));
  for (int step = 1; step <= 5; ++step) g.OnMouseDrag(x, y - 6 * step, IMouseMod(true));
  g.OnMouseUp(x, y - 30, IMouseMod());
  const double gain = plug.GetParameter(kOutputGain)->Value();
  EXPECT_GT(gain, -6.0);
  const auto& events = plug.HostEvents();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front().kind, IPlugOffline::HostEvent::kBeginEdit);
  EXPECT_EQ(events.back().kind, IPlugOffline::HostEvent::kEndEdit);
  for (size_t i = 1; i + 1 < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, IPlugOffline::HostEvent::kValue);
    EXPECT_EQ(events[i].paramIdx, kOutputGain);
  }
  EXPECT_DOUBLE_EQ(events[events.size() - 2].value, g.GetControl(18 + kOutputGain)->GetValue());
  // The engine's gain now glides to the new level.
  RenderFrames(plug, 2000, 500);
  EXPECT_NEAR(plug.CurrentGain(), std::pow(10.0, gain / 20.0), 1e-6);
  EXPECT_GT(plug.CurrentGain(), before);
}
