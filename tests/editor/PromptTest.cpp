// The value prompt: a menu of display texts for enumerations, a text field
// with the formatted value otherwise, and what a choice or typed text does.
#include <gtest/gtest.h>

#include "editor/IKnobMultiControlBitmapFont.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
const IText kStyle(14, nullptr, "Arial");

struct PromptScene : EditorHarness {
  PromptScene() : EditorHarness(846, 768), knob(48, 48, 33), glyphs(11, 14, 224)
  {
    type = new IKnobMultiControlBitmapFont(&plug, kOsc1Type, knob.Get(), kStyle, glyphs.Get(), IBlend(),
                                           IRect(32, 32, 104, 100));
    gain = new IKnobMultiControlBitmapFont(&plug, kOutputGain, knob.Get(), kStyle, glyphs.Get(), IBlend(),
                                           IRect(752, 32, 824, 100));
    gfx->AttachControl(type);
    gfx->AttachControl(gain);
    Attach();
    plug.ClearHostEvents();
    plug.changes.clear();
  }
  TestStrip knob, glyphs;
  IKnobMultiControlBitmapFont* type;
  IKnobMultiControlBitmapFont* gain;
};
}  // namespace

TEST(PromptTest, EnumerationOpensATickedMenuAtTheTextStrip)
{
  PromptScene s;
  s.gfx->QueueMenuChoice(4);
  s.gfx->OnMouseDown(40, 90, IMouseMod(true));  // on the value text
  s.gfx->OnMouseUp(40, 90, IMouseMod(true));

  ASSERT_EQ(s.gfx->MenusShown().size(), 1u);
  const auto& menu = s.gfx->MenusShown()[0];
  EXPECT_EQ(menu.rect, IRect(32, 84, 104, 100));
  ASSERT_EQ(menu.texts.size(), 8u);
  EXPECT_EQ(menu.texts[1], "Triangle");
  EXPECT_EQ(menu.flags[1], IPopupMenu::kItemChecked);  // the current value
  EXPECT_EQ(menu.flags[0], 0);
  EXPECT_EQ(s.plug.GetParameter(kOsc1Type)->Value(), 4.0);
  EXPECT_DOUBLE_EQ(s.type->GetValue(), 4.0 / 7);
  // Inside the gesture of the press: begin, the value, end.
  const auto& ev = s.plug.HostEvents();
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(ev[0].kind, IPlugOffline::HostEvent::kBeginEdit);
  EXPECT_EQ(ev[1].kind, IPlugOffline::HostEvent::kValue);
  EXPECT_DOUBLE_EQ(ev[1].value, 4.0 / 7);
  EXPECT_EQ(ev[2].kind, IPlugOffline::HostEvent::kEndEdit);
}

TEST(PromptTest, DismissedMenuChangesNothing)
{
  PromptScene s;
  s.gfx->OnMouseDown(40, 90, IMouseMod(true));  // nothing queued: dismissed
  s.gfx->OnMouseUp(40, 90, IMouseMod(true));
  EXPECT_EQ(s.gfx->MenusShown().size(), 1u);
  EXPECT_EQ(s.plug.GetParameter(kOsc1Type)->Value(), 1.0);
  EXPECT_TRUE(s.plug.changes.empty());
}

TEST(PromptTest, ContinuousValueOpensATextFieldWithTheFormattedValue)
{
  PromptScene s;
  s.gfx->OnMouseDown(800, 95, IMouseMod(true));
  ASSERT_EQ(s.gfx->TextEntriesShown().size(), 1u);
  const auto& entry = s.gfx->TextEntriesShown()[0];
  EXPECT_EQ(entry.control, s.gain);
  EXPECT_EQ(entry.rect, IRect(752, 84, 824, 100));
  EXPECT_EQ(entry.initial, "-6.0");  // no label in the field
  EXPECT_EQ(entry.param, s.plug.GetParameter(kOutputGain));
  EXPECT_EQ(entry.maxLength, 7);
  // A second prompt while the field is open does nothing.
  s.gfx->OnMouseUp(800, 95, IMouseMod(true));
  s.gfx->OnMouseDown(800, 95, IMouseMod(true));
  EXPECT_EQ(s.gfx->TextEntriesShown().size(), 1u);

  EXPECT_TRUE(s.gfx->CommitTextEntry("3.5"));
  EXPECT_NEAR(s.plug.GetParameter(kOutputGain)->Value(), 3.5, 1e-9);
  EXPECT_DOUBLE_EQ(s.gain->GetValue(), (3.5 + 48) / 60);
  EXPECT_FALSE(s.gfx->TextEntryOpen());

  // Typed text is clamped to the range, and what is not a number reads 0.
  s.gfx->QueueTextEntry("99");
  s.gfx->OnMouseUp(800, 95, IMouseMod(true));
  s.gfx->OnMouseDown(800, 95, IMouseMod(true));
  EXPECT_DOUBLE_EQ(s.plug.GetParameter(kOutputGain)->Value(), 12.0);
  s.gfx->QueueTextEntry("loud");
  s.gfx->OnMouseUp(800, 95, IMouseMod(true));
  s.gfx->OnMouseDown(800, 95, IMouseMod(true));
  EXPECT_NEAR(s.plug.GetParameter(kOutputGain)->Value(), 0.0, 1e-9);
  // Cancelled: no change.
  s.gfx->OnMouseUp(800, 95, IMouseMod(true));
  s.gfx->OnMouseDown(800, 95, IMouseMod(true));
  s.gfx->CancelTextEntry();
  EXPECT_FALSE(s.gfx->CommitTextEntry("5"));
  EXPECT_NEAR(s.plug.GetParameter(kOutputGain)->Value(), 0.0, 1e-9);
}

TEST(PromptTest, KnobPressOutsideTheTextGrabsAndPushesTheValue)
{
  PromptScene s;
  s.gfx->OnMouseDown(790, 40, IMouseMod(true));
  EXPECT_TRUE(s.gfx->TextEntriesShown().empty());
  const auto& ev = s.plug.HostEvents();
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[1].kind, IPlugOffline::HostEvent::kValue);
  EXPECT_EQ(ev[1].value, s.gain->GetValue());
  EXPECT_NEAR(s.gain->GetValue(), 42.0 / 60, 1e-12);
}

TEST(PromptTest, RightClickPromptsOnlyWhereEnabled)
{
  EditorHarness h;
  auto* probe = new ProbeControl(&h.plug, IRect(0, 0, 40, 40), kOutputGain);
  h.gfx->AttachControl(probe);
  probe->IControl::OnMouseDown(5, 5, IMouseMod(false, true));
  EXPECT_TRUE(h.gfx->TextEntriesShown().empty());  // prompts off by default
  probe->DisablePrompt(false);
  probe->IControl::OnMouseDown(5, 5, IMouseMod(false, true));
  ASSERT_EQ(h.gfx->TextEntriesShown().size(), 1u);
  // 40 x 16 centred on the control.
  EXPECT_EQ(h.gfx->TextEntriesShown()[0].rect, IRect(0, 12, 40, 28));
  EXPECT_TRUE(probe->RedrawAgain());
}
