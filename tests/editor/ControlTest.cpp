// The control library: value traffic and the dirty / redraw-again state, knob
// drag and wheel laws, switch cycling and the show/hide overlay.
#include <gtest/gtest.h>

#include "editor/IBitmapControl.h"
#include "editor/IKnobControl.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
class TestKnob : public IKnobControl {
public:
  using IKnobControl::IKnobControl;
  bool Draw(IGraphics*) override { return true; }
};

const IMouseMod kLeft(true);
const IMouseMod kCtrl(true, false, false, true);
const IMouseMod kShift(true, false, true, false);
}  // namespace

TEST(ControlStateTest, FirstValueFromPluginBecomesTheDefault)
{
  TestPlug plug;
  ProbeControl c(&plug, IRect(0, 0, 10, 10));
  // Never received a value: a double click changes nothing.
  c.SetValue(0.3);
  c.IControl::OnMouseDblClick(0, 0, kLeft);
  EXPECT_EQ(c.GetValue(), 0.3);

  c.SetValueFromPlugin(0.25);
  EXPECT_EQ(c.GetDefaultValue(), 0.25);
  c.SetValueFromPlugin(0.75);
  EXPECT_EQ(c.GetDefaultValue(), 0.25);
  EXPECT_EQ(c.GetValue(), 0.75);
  c.IControl::OnMouseDblClick(0, 0, kLeft);
  EXPECT_EQ(c.GetValue(), 0.25);
}

TEST(ControlStateTest, AChangeIsDrawnOnTwoPassesThenRests)
{
  TestPlug plug;
  ProbeControl c(&plug, IRect(0, 0, 10, 10));
  EXPECT_TRUE(c.IsDirty());  // new controls paint on the first pass
  c.MarkClean();
  EXPECT_FALSE(c.IsDirty());

  // The first value (the default) is drawn once.
  c.SetValueFromPlugin(0.25);
  EXPECT_TRUE(c.IsDirty());
  c.MarkClean();
  EXPECT_FALSE(c.IsDirty());

  c.SetValueFromPlugin(0.5);
  EXPECT_TRUE(c.IsDirty());
  c.MarkClean();
  EXPECT_TRUE(c.IsDirty());
  c.MarkClean();
  EXPECT_FALSE(c.IsDirty());

  // The same value again is no change.
  c.SetValueFromPlugin(0.5);
  EXPECT_FALSE(c.IsDirty());
  // MarkDirty alone asks for one pass.
  c.MarkDirty(false);
  c.MarkClean();
  EXPECT_FALSE(c.IsDirty());
}

TEST(ControlStateTest, ValuesAreClampedAndOnlyUserValuesReachThePlugin)
{
  TestPlug plug;
  ProbeControl c(&plug, IRect(0, 0, 10, 10), kOsc1Phase);
  c.SetValueFromPlugin(1.7);
  EXPECT_EQ(c.GetValue(), 1.0);
  EXPECT_TRUE(plug.HostEvents().empty());
  EXPECT_TRUE(plug.changes.empty());

  c.SetValueFromUser(0.4);
  EXPECT_EQ(c.GetValue(), 0.4);
  ASSERT_EQ(plug.HostEvents().size(), 1u);
  EXPECT_EQ(plug.HostEvents()[0].kind, IPlugOffline::HostEvent::kValue);
  EXPECT_DOUBLE_EQ(plug.HostEvents()[0].value, 0.4);
  EXPECT_DOUBLE_EQ(plug.GetParameter(kOsc1Phase)->Value(), 0.4);
  EXPECT_EQ(plug.changes, std::vector<int>{kOsc1Phase});

  c.SetClamp(0.2, 0.6);
  c.SetValueFromUser(0.9);
  EXPECT_EQ(c.GetValue(), 0.6);
  c.SetValue(std::numeric_limits<double>::quiet_NaN());
  c.MarkDirty(false);
  EXPECT_EQ(c.GetValue(), 0.2);

  // Unbound controls never push.
  ProbeControl unbound(&plug, IRect(0, 0, 10, 10));
  plug.ClearHostEvents();
  unbound.SetValueFromUser(0.9);
  EXPECT_TRUE(plug.HostEvents().empty());
}

TEST(KnobTest, DragLawVerticalAndHorizontal)
{
  TestPlug plug;
  TestKnob knob(&plug, IRect(0, 0, 40, 50), kOsc1Phase);
  knob.SetValue(0.5);
  // Up by 20 px at gearing 4 over 50 px: +20 / 50 / 4.
  knob.OnMouseDrag(0, 0, 3, -20, kLeft);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.5 + 0.1);
  knob.OnMouseDrag(0, 0, 0, 10, kLeft);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.55);
  // Fine: ten times the gearing with Ctrl or Shift.
  knob.OnMouseDrag(0, 0, 0, -20, kCtrl);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.56);
  knob.OnMouseDrag(0, 0, 0, -20, kShift);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.57);
  // Every step reached the parameter.
  EXPECT_DOUBLE_EQ(plug.GetParameter(kOsc1Phase)->Value(), 0.57);

  TestKnob wide(&plug, IRect(0, 0, 80, 10), -1, IKnobControl::kHorizontal, 2.0);
  wide.OnMouseDrag(0, 0, 16, 99, kLeft);
  EXPECT_DOUBLE_EQ(wide.GetValue(), 16.0 / 80 / 2);

  // Past either end it stops, and coming back moves it at once.
  knob.OnMouseDrag(0, 0, 0, -400, kLeft);
  EXPECT_EQ(knob.GetValue(), 1.0);
  knob.OnMouseDrag(0, 0, 0, 20, kLeft);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.9);
  knob.OnMouseDrag(0, 0, 0, 4000, kLeft);
  EXPECT_EQ(knob.GetValue(), 0.0);
  knob.OnMouseDrag(0, 0, 0, -10, kLeft);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.05);
}

TEST(KnobTest, WheelStepsCoarseAndFine)
{
  TestPlug plug;
  TestKnob knob(&plug, IRect(0, 0, 40, 50), kOsc1Phase);
  knob.SetValue(0.5);
  knob.OnMouseWheel(0, 0, IMouseMod(), 3);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.53);
  knob.OnMouseWheel(0, 0, kCtrl, -2);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.528);
  knob.OnMouseWheel(0, 0, kShift, 1);
  EXPECT_DOUBLE_EQ(knob.GetValue(), 0.529);
  knob.OnMouseWheel(0, 0, IMouseMod(), 100);
  EXPECT_EQ(knob.GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(plug.GetParameter(kOsc1Phase)->Value(), 1.0);
}

TEST(KnobTest, EachWheelStepIsAWholeEditForTheHost)
{
  TestPlug plug;
  TestKnob knob(&plug, IRect(0, 0, 40, 50), kOsc1Phase);
  knob.SetValue(0.5);
  plug.ClearHostEvents();
  knob.OnMouseWheel(0, 0, IMouseMod(), 2);
  knob.OnMouseWheel(0, 0, kCtrl, -1);
  using E = IPlugOffline::HostEvent;
  const auto& ev = plug.HostEvents();
  ASSERT_EQ(ev.size(), 6u);
  const E::Kind kinds[] = {E::kBeginEdit, E::kValue, E::kEndEdit, E::kBeginEdit, E::kValue, E::kEndEdit};
  for (size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(ev[k].kind, kinds[k]) << k;
    EXPECT_EQ(ev[k].paramIdx, kOsc1Phase) << k;
  }
  EXPECT_DOUBLE_EQ(ev[1].value, 0.52);
  EXPECT_DOUBLE_EQ(ev[4].value, 0.519);
}

TEST(SwitchTest, ThreeFramesCycleAndShowTheirFrame)
{
  EditorHarness h(40, 40);
  TestStrip strip(26, 24, 3);
  auto* sw = new ISwitchControl(&h.plug, 5, 5, -1, strip.Get());
  h.gfx->AttachControl(sw);
  h.MakeBitmaps();
  EXPECT_EQ(sw->GetRECT(), IRect(5, 5, 31, 29));

  const double expected[] = {0.5, 1.0, 0.0, 0.5};
  const int frames[] = {2, 3, 1, 2};
  for (int i = 0; i < 4; ++i) {
    // Any button steps, the right one included.
    h.gfx->OnMouseDown(10, 10, IMouseMod(i % 2 == 0, i % 2 == 1));
    h.gfx->OnMouseUp(10, 10, IMouseMod());
    EXPECT_DOUBLE_EQ(sw->GetValue(), expected[i]);
    h.gfx->Tick();
    EXPECT_EQ(PixelAt(*h.gfx, 5, 5), FrameColor(frames[i])) << i;
    EXPECT_EQ(PixelAt(*h.gfx, 30, 28), FrameColor(frames[i])) << i;
  }
  // Press, then double click: two steps.
  h.gfx->OnMouseDown(10, 10, kLeft);
  h.gfx->OnMouseUp(10, 10, kLeft);
  h.gfx->OnMouseDblClick(10, 10, kLeft);
  EXPECT_DOUBLE_EQ(sw->GetValue(), 0.0);
}

TEST(OverlayTest, TargetAreaShowsItAndTheNextClickAnywhereHidesIt)
{
  EditorHarness h(100, 100);
  TestStrip under(100, 100, 1, 1), about(100, 80, 1, 2);
  h.gfx->AttachControl(new IBitmapControl(&h.plug, 0, 0, -1, under.Get(), IBlend(IBlend::kBlendClobber)));
  auto* overlay = new IBitmapOverlayControl(&h.plug, 0, 0, about.Get(), IRect(30, 60, 70, 75));
  h.gfx->AttachControl(overlay);
  h.MakeBitmaps();

  // Hidden from the start: only its target area is hit, before any drawing.
  EXPECT_EQ(h.gfx->FindControlAt(10, 10), 0);
  EXPECT_EQ(h.gfx->FindControlAt(30, 60), 1);
  h.gfx->Tick();
  EXPECT_EQ(PixelAt(*h.gfx, 10, 10), FrameColor(1, 1));

  h.gfx->OnMouseDown(40, 65, kLeft);
  h.gfx->OnMouseUp(40, 65, kLeft);
  h.gfx->Tick();
  EXPECT_EQ(PixelAt(*h.gfx, 10, 10), FrameColor(1, 2));
  EXPECT_EQ(PixelAt(*h.gfx, 99, 79), FrameColor(1, 2));
  EXPECT_EQ(PixelAt(*h.gfx, 10, 85), FrameColor(1, 1));  // below the image
  EXPECT_EQ(h.gfx->FindControlAt(10, 10), 1);
  EXPECT_EQ(h.gfx->FindControlAt(10, 85), 0);

  h.gfx->OnMouseDown(5, 5, kLeft);
  h.gfx->OnMouseUp(5, 5, kLeft);
  h.gfx->Tick();
  h.gfx->Tick();
  EXPECT_EQ(overlay->GetValue(), 0.0);
  EXPECT_EQ(PixelAt(*h.gfx, 10, 10), FrameColor(1, 1));
  EXPECT_EQ(h.gfx->FindControlAt(10, 10), 0);
}
