// Routing of mouse and key events by the graphics object: capture, drag
// deltas, double clicks, mouse-over, the host's parameter menu, key catcher,
// and the host edit gesture around a press.
#include <gtest/gtest.h>

#include "tests/editor/EditorTestUtil.h"

namespace {
using Events = std::vector<std::string>;

// Background probe over 200 x 100 and a button-like probe at (50, 50)-(70, 60).
struct MouseScene : EditorHarness {
  MouseScene()
  {
    background = new ProbeControl(&plug, IRect(0, 0, 200, 100));
    button = new ProbeControl(&plug, IRect(50, 50, 70, 60));
    gfx->AttachControl(background);
    gfx->AttachControl(button);
  }
  ProbeControl* background;
  ProbeControl* button;
};

// The same plug-in, reporting the VST3 interface.
class Vst3Plug : public TestPlug {
public:
  int32_t GetInterfaceKind() override { return kInterfaceVST3; }
  void ShowHostParameterMenu(int idx, int x, int y) override { menus.push_back({idx, x, y}); }
  struct Menu {
    int idx, x, y;
  };
  std::vector<Menu> menus;
};

int Count(const std::vector<IPlugOffline::HostEvent>& events, IPlugOffline::HostEvent::Kind kind)
{
  int n = 0;
  for (const auto& e : events) n += e.kind == kind;
  return n;
}
}  // namespace

TEST(MouseRoutingTest, PressCapturesAndDragsReportDeltas)
{
  MouseScene s;
  s.gfx->OnMouseDrag(55, 52, IMouseMod(true));  // nothing captured: dropped
  s.gfx->OnMouseDown(55, 52, IMouseMod(true));
  EXPECT_EQ(s.gfx->GetMouseCapture(), 1);
  // Captured: the drag reaches the button even far outside it.
  s.gfx->OnMouseDrag(150, 10, IMouseMod(true));
  s.gfx->OnMouseDrag(150, 10, IMouseMod(true));  // no movement, no event
  s.gfx->OnMouseDrag(148, 13, IMouseMod(true));
  EXPECT_EQ(s.gfx->FindControlAt(5, 5), 1);
  s.gfx->OnMouseUp(148, 13, IMouseMod());
  EXPECT_EQ(s.button->events, (Events{"down@55,52", "drag@150,10 95,-42", "drag@148,13 -2,3", "up@148,13"}));
  EXPECT_TRUE(s.background->events.empty());
  EXPECT_EQ(s.gfx->GetMouseCapture(), -1);
  EXPECT_EQ(s.gfx->GetMouseX(), -1);
  // Released: the background is found again.
  EXPECT_EQ(s.gfx->FindControlAt(5, 5), 0);
}

TEST(MouseRoutingTest, DoubleClickIsAPressOnlyWhereTheControlAsksForIt)
{
  MouseScene s;
  EXPECT_FALSE(s.gfx->OnMouseDblClick(60, 55, IMouseMod(true)));
  EXPECT_EQ(s.button->events, Events{"dbl@60,55"});
  EXPECT_EQ(s.gfx->GetMouseCapture(), -1);

  s.button->events.clear();
  s.button->SetMouseDblAsSingleClick(true);
  EXPECT_TRUE(s.gfx->OnMouseDblClick(60, 55, IMouseMod(true)));
  EXPECT_EQ(s.gfx->GetMouseCapture(), 1);
  s.gfx->OnMouseDrag(61, 55, IMouseMod(true));
  EXPECT_EQ(s.button->events, (Events{"down@60,55", "drag@61,55 1,0"}));
  EXPECT_FALSE(s.gfx->OnMouseDblClick(500, 500, IMouseMod(true)));
}

TEST(MouseRoutingTest, MouseOverMovesBetweenControlsAndOutClearsIt)
{
  MouseScene s;
  EXPECT_FALSE(s.gfx->OnMouseOver(55, 55, IMouseMod()));  // off until the layout enables it
  EXPECT_TRUE(s.button->events.empty());

  s.gfx->HandleMouseOver(true);
  EXPECT_TRUE(s.gfx->OnMouseOver(55, 55, IMouseMod()));
  EXPECT_TRUE(s.gfx->OnMouseOver(56, 55, IMouseMod()));
  EXPECT_EQ(s.gfx->GetMouseOver(), 1);
  // Onto bare background: the background is a control, so the button is left.
  EXPECT_TRUE(s.gfx->OnMouseOver(10, 10, IMouseMod()));
  EXPECT_EQ(s.button->events, (Events{"over@55,55", "over@56,55", "out"}));
  EXPECT_EQ(s.background->events, Events{"over@10,10"});
  EXPECT_EQ(s.gfx->GetMouseOver(), 0);
  // Outside every control: handled, but nothing changes.
  EXPECT_TRUE(s.gfx->OnMouseOver(500, 10, IMouseMod()));
  EXPECT_EQ(s.gfx->GetMouseOver(), 0);

  s.gfx->OnMouseOut();
  EXPECT_EQ(s.gfx->GetMouseOver(), -1);
  EXPECT_EQ(s.background->events.back(), "out");
  EXPECT_EQ(s.button->events.back(), "out");

  // Greyed: never pressed, hovered only when it allows it.
  s.button->SetGreyed(true);
  EXPECT_EQ(s.gfx->FindControlAt(55, 55, true), 0);
  s.button->SetMOWhenGreyed(true);
  EXPECT_EQ(s.gfx->FindControlAt(55, 55, false), 0);
  EXPECT_EQ(s.gfx->FindControlAt(55, 55, true), 1);
}

TEST(MouseRoutingTest, PressOnParameterControlBracketsAHostGesture)
{
  EditorHarness h;
  auto* knob = new ProbeControl(&h.plug, IRect(0, 0, 10, 10), kOsc1Level);
  auto* plain = new ProbeControl(&h.plug, IRect(20, 0, 30, 10));
  auto* other = new ProbeControl(&h.plug, IRect(40, 0, 50, 10), kOsc2Level);
  h.gfx->AttachControl(knob);
  h.gfx->AttachControl(plain);
  h.gfx->AttachControl(other);

  h.gfx->OnMouseDown(5, 5, IMouseMod(true));
  h.gfx->OnMouseUp(5, 5, IMouseMod(true));
  const auto& ev = h.plug.HostEvents();
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].kind, IPlugOffline::HostEvent::kBeginEdit);
  EXPECT_EQ(ev[0].paramIdx, kOsc1Level);
  EXPECT_EQ(ev[1].kind, IPlugOffline::HostEvent::kEndEdit);
  EXPECT_EQ(ev[1].paramIdx, kOsc1Level);

  // A press on a control without parameter, released over a bound one, ends
  // no gesture that was never begun.
  h.plug.ClearHostEvents();
  h.gfx->OnMouseDown(25, 5, IMouseMod(true));
  h.gfx->ReleaseMouseCapture();
  h.gfx->OnMouseUp(45, 5, IMouseMod(true));
  EXPECT_TRUE(h.plug.HostEvents().empty());
  EXPECT_EQ(other->events, Events{"up@45,5"});

  // A double click that acts as a press is a gesture too.
  h.plug.ClearHostEvents();
  other->SetMouseDblAsSingleClick(true);
  h.gfx->OnMouseDblClick(45, 5, IMouseMod(true));
  h.gfx->OnMouseUp(45, 5, IMouseMod(true));
  EXPECT_EQ(Count(h.plug.HostEvents(), IPlugOffline::HostEvent::kBeginEdit), 1);
  EXPECT_EQ(Count(h.plug.HostEvents(), IPlugOffline::HostEvent::kEndEdit), 1);
}

TEST(MouseRoutingTest, RightClickOpensTheHostMenuUnderVst3Only)
{
  Vst3Plug vst3;
  IGraphicsHeadless g3(&vst3, 100, 100);
  auto* knob3 = new ProbeControl(&vst3, IRect(0, 0, 10, 10), kOsc1Level);
  auto* plain3 = new ProbeControl(&vst3, IRect(20, 0, 30, 10));
  g3.AttachControl(knob3);
  g3.AttachControl(plain3);
  g3.OnMouseDown(3, 4, IMouseMod(false, true));
  EXPECT_TRUE(knob3->events.empty());
  ASSERT_EQ(vst3.menus.size(), 1u);
  EXPECT_EQ(vst3.menus[0].idx, kOsc1Level);
  EXPECT_EQ(vst3.menus[0].x, 3);
  EXPECT_EQ(vst3.menus[0].y, 4);
  EXPECT_EQ(g3.GetMouseCapture(), -1);
  g3.OnMouseUp(3, 4, IMouseMod(false, true));
  EXPECT_TRUE(vst3.HostEvents().empty());  // no gesture at all
  // Without a parameter the control still gets the right click.
  g3.OnMouseDown(25, 4, IMouseMod(false, true));
  EXPECT_EQ(plain3->events, Events{"down@25,4 R"});

  // Offline (and VST2): the control sees the right button.
  EditorHarness h;
  auto* knob = new ProbeControl(&h.plug, IRect(0, 0, 10, 10), kOsc1Level);
  h.gfx->AttachControl(knob);
  h.gfx->OnMouseDown(3, 4, IMouseMod(false, true));
  EXPECT_EQ(knob->events, Events{"down@3,4 R"});
}

TEST(KeyRoutingTest, KeysGoToTheControlOrElseTheKeyCatcher)
{
  MouseScene s;
  EXPECT_TRUE(s.gfx->OnKeyDown(55, 55, kKeyUp));
  EXPECT_EQ(s.button->events, Events{"key1"});
  // The background never takes keys itself.
  EXPECT_FALSE(s.gfx->OnKeyDown(5, 5, kKeySpace));
  EXPECT_TRUE(s.background->events.empty());

  auto* catcher = new ProbeControl(&s.plug, IRect());
  s.gfx->SetKeyCatcher(catcher);
  EXPECT_TRUE(s.gfx->OnKeyDown(5, 5, kKeyLetterA));
  EXPECT_TRUE(s.gfx->OnKeyDown(500, 500, kKeyDigit0 + 9));
  EXPECT_EQ(catcher->events, (Events{"key15", "key14"}));
  s.button->handlesKeys = false;
  EXPECT_FALSE(s.gfx->OnKeyDown(55, 55, kKeyDown));
}
