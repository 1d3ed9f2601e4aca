// The window behaviour shared by back-ends that draw their own text field,
// menus and tooltips, driven without a window: a scripted back-end feeds the
// events a window system would and records what it was asked to copy.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "editor/IKnobMultiControlBitmapFont.h"
#include "editor/drawn/DrawnMenu.h"
#include "editor/drawn/DrawnTextField.h"
#include "editor/drawn/IGraphicsDrawn.h"
#include "editor/raster/LICE_Png.h"
#include "framework/IParameter.h"
#include "tests/editor/EditorTestUtil.h"

namespace {

class ScriptedWindow : public IGraphicsDrawn {
public:
  using IGraphicsDrawn::IGraphicsDrawn;
  using Step = std::function<void(ScriptedWindow&)>;

  void* OpenWindow(void*) override
  {
    CreateFrame();
    SetAllControlsDirty();
    return this;
  }
  void CloseWindow() override
  {
    ResetWindowState();
    ReleaseFrame();
  }
  void* GetWindowHandle() override { return GetFrame() ? this : nullptr; }
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  void GetHostDirectory(std::string& out) override { out.clear(); }
  void GetModuleDirectory(std::string& out) override { out.clear(); }
  void GetDesktopDirectory(std::string& out) override { out.clear(); }
  void GetAppDataDirectory(std::string& out, bool) override { out.clear(); }
  void PromptForFile(std::string& fileName, int, std::string&, const char*) override { fileName.clear(); }
  bool PromptForColor(IColor&, const char*) override { return false; }
  bool OpenUrl(const char*, const char*, const char*, const char*) override { return false; }
  bool GetTextFromClipboard(std::string& out) override
  {
    out = clipboard;
    return !out.empty();
  }
  LICE_IBitmap* LoadPlatformBitmap(int id, const char* fileName) override { return LoadPngResource(id, fileName); }

  bool BlitToWindow(const IRect& rect) override
  {
    blits.push_back(rect);
    return true;
  }
  // Each wait delivers the next scripted step; an empty script is a window gone.
  bool WaitForEvents(int) override
  {
    if (script.empty()) return false;
    Step step = script.front();
    script.pop_front();
    step(*this);
    return true;
  }
  unsigned long Now() const override { return clock; }

  LICE_pixel FramePixel(int x, int y) const { return LICE_Row(GetFrame(), y)[x]; }
  LICE_pixel DrawnPixel(int x, int y) const { return LICE_Row(GetDrawBitmap(), y)[x]; }

  std::deque<Step> script;
  std::vector<IRect> blits;
  std::string clipboard;
  unsigned long clock = 10000;
};

const IText kStyle(14, nullptr, "Arial");
const IMouseMod kLeft(true);
const IMouseMod kNone;

// An open window with an enumeration knob (Osc1 Type), the output gain knob
// and a probe control with a tooltip.
struct Window {
  Window() : knob(48, 48, 33), glyphs(11, 14, 224), gfx(new ScriptedWindow(&plug, 846, 768, 25))
  {
    type = new IKnobMultiControlBitmapFont(&plug, kOsc1Type, knob.Get(), kStyle, glyphs.Get(), IBlend(),
                                           IRect(32, 32, 104, 100));
    gain = new IKnobMultiControlBitmapFont(&plug, kOutputGain, knob.Get(), kStyle, glyphs.Get(), IBlend(),
                                           IRect(752, 32, 824, 100));
    probe = new ProbeControl(&plug, IRect(300, 300, 400, 400));
    probe->SetTooltip("Hello");
    gfx->AttachControl(type);
    gfx->AttachControl(gain);
    gfx->AttachControl(probe);
    gfx->HandleMouseOver(true);
    gfx->EnableTooltips(true);
    plug.AttachEditor(gfx);
    gfx->OpenWindow(nullptr);
    gfx->OnTick(gfx->clock);
    plug.ClearHostEvents();
  }
  // A click at (x, y) at the window's clock, which then moves on by 1 s so
  // that the next one is no double click.
  void Click(int x, int y)
  {
    gfx->OnButtonPress(IGraphicsDrawn::kButtonLeft, x, y, kLeft, gfx->clock);
    gfx->OnButtonRelease(IGraphicsDrawn::kButtonLeft, x, y, kNone);
    gfx->clock += 1000;
  }
  void Tick() { gfx->OnTick(gfx->clock += 40); }
  void Key(int code, int character = 0)
  {
    IGraphicsDrawn::KeyInput key;
    key.code = code;
    key.character = character;
    gfx->OnKeyPress(key);
  }
  double Gain() { return plug.GetParameter(kOutputGain)->Value(); }

  TestPlug plug;
  TestStrip knob, glyphs;
  ScriptedWindow* gfx;  // the plug-in's
  IKnobMultiControlBitmapFont* type;
  IKnobMultiControlBitmapFont* gain;
  ProbeControl* probe;
};

// A menu with every kind of item: ids 0-6 for its own items, 7-8 in "Sub",
// 9 in "More".
struct ItemKinds {
  ItemKinds()
  {
    auto* sub = new IPopupMenu;
    sub->AddItem("S1");
    sub->AddItem("S2");
    auto* more = new IPopupMenu;
    more->AddItem("T1");
    menu.AddItem("A");
    menu.AddSeparator();
    menu.AddItem("Off", IPopupMenu::kItemDisabled);
    menu.AddItem("Title", IPopupMenu::kItemTitle);
    menu.AddItem("Sub", 0, sub);
    menu.AddItem("C", IPopupMenu::kItemChecked);
    menu.AddItem("More", 0, more);
  }
  IPopupMenu menu;
};

struct Pt {
  int x, y;
};
Pt Center(const IRect& r) { return Pt{(r.L + r.R) / 2, (r.T + r.B) / 2}; }

}  // namespace

TEST(DrawnMenu, OpensBelowItsRectangleAndKeepsInsideTheEditor)
{
  ItemKinds k;
  const DrawnMenu below(&k.menu, IRect(100, 50, 160, 66), IRect(0, 0, 846, 768));
  const IRect column = below.ColumnRect(0);
  EXPECT_EQ(column.L, 100);
  EXPECT_EQ(column.T, 66);
  // Six items of 18 pixels, a separator of 7, 2 pixels of border each side.
  EXPECT_EQ(column.H(), 6 * DrawnMenu::kItemHeight + DrawnMenu::kSeparatorHeight + 4);
  EXPECT_EQ(below.ItemRect(0, 2).T, column.T + 2 + DrawnMenu::kItemHeight + DrawnMenu::kSeparatorHeight);

  const DrawnMenu corner(&k.menu, IRect(820, 740, 846, 760), IRect(0, 0, 846, 768));
  EXPECT_EQ(corner.ColumnRect(0).R, 846) << "moved left of the right edge";
  EXPECT_EQ(corner.ColumnRect(0).B, 768) << "and up from the bottom";
}

TEST(DrawnMenu, ChoicesUseTheNativeCommandNumbering)
{
  ItemKinds k;
  DrawnMenu menu(&k.menu, IRect(100, 50, 160, 66), IRect(0, 0, 846, 768));
  // Separator, disabled and title items choose nothing; a submenu item opens.
  for (int item : {1, 2, 3}) {
    const Pt p = Center(menu.ItemRect(0, item));
    menu.OnPointerMove(p.x, p.y);
    menu.OnRelease(p.x, p.y);
    EXPECT_FALSE(menu.Done()) << item;
  }
  const Pt sub = Center(menu.ItemRect(0, 4));
  menu.OnPointerMove(sub.x, sub.y);
  ASSERT_EQ(menu.NColumns(), 2);
  EXPECT_EQ(menu.ColumnRect(1).L, menu.ColumnRect(0).R - 2) << "beside its item";
  const Pt s2 = Center(menu.ItemRect(1, 1));
  menu.OnPointerMove(s2.x, s2.y);
  menu.OnRelease(s2.x, s2.y);
  ASSERT_TRUE(menu.Done());
  EXPECT_EQ(menu.ChosenCommandId(), 8);
  int item = -1;
  EXPECT_EQ(k.menu.MenuForCommandId(8, &item), k.menu.GetItem(4)->mSubmenu.get());
  EXPECT_EQ(item, 1);

  DrawnMenu more(&k.menu, IRect(100, 50, 160, 66), IRect(0, 0, 846, 768));
  const Pt m = Center(more.ItemRect(0, 6));
  more.OnPointerMove(m.x, m.y);
  const Pt t1 = Center(more.ItemRect(1, 0));
  more.OnRelease(t1.x, t1.y);
  EXPECT_EQ(more.ChosenCommandId(), 9) << "after every item of the submenus before it";

  DrawnMenu outside(&k.menu, IRect(100, 50, 160, 66), IRect(0, 0, 846, 768));
  outside.OnPress(5, 5);
  EXPECT_TRUE(outside.Done());
  EXPECT_EQ(outside.ChosenCommandId(), -1);
}

TEST(DrawnMenu, KeysSkipWhatCannotBeChosen)
{
  ItemKinds k;
  DrawnMenu menu(&k.menu, IRect(100, 50, 160, 66), IRect(0, 0, 846, 768));
  menu.OnKey(DrawnMenu::kKeyDown);  // A
  menu.OnKey(DrawnMenu::kKeyDown);  // past the separator, disabled and title items: Sub
  menu.OnKey(DrawnMenu::kKeyRight);
  ASSERT_EQ(menu.NColumns(), 2);
  menu.OnKey(DrawnMenu::kKeyEscape);
  EXPECT_EQ(menu.NColumns(), 1) << "Escape closes the submenu first";
  menu.OnKey(DrawnMenu::kKeyUp);
  menu.OnKey(DrawnMenu::kKeyEnter);
  EXPECT_EQ(menu.ChosenCommandId(), 0);
  DrawnMenu again(&k.menu, IRect(100, 50, 160, 66), IRect(0, 0, 846, 768));
  again.OnKey(DrawnMenu::kKeyEscape);
  EXPECT_TRUE(again.Done());
  EXPECT_EQ(again.ChosenCommandId(), -1);
}

TEST(DrawnTextField, CharactersByParameterKindAndLength)
{
  TestPlug plug;
  IParameter* continuous = plug.GetParameter(kOutputGain);
  IParameter* enumeration = plug.GetParameter(kOsc1Type);
  EXPECT_TRUE(DrawnTextField::CharAllowed(continuous, '.'));
  EXPECT_FALSE(DrawnTextField::CharAllowed(enumeration, '.'));
  for (int c : {'0', '9', '-', '+', '\b'}) EXPECT_TRUE(DrawnTextField::CharAllowed(enumeration, c)) << c;
  for (int c : {'a', 'Z', ' ', ','}) EXPECT_FALSE(DrawnTextField::CharAllowed(continuous, c)) << c;
  EXPECT_TRUE(DrawnTextField::CharAllowed(nullptr, 'q')) << "free text without a parameter";

  DrawnTextField field(nullptr, continuous, kStyle, IRect(10, 10, 60, 26), "-6.0", 7);
  EXPECT_EQ(field.Rect(), IRect(10, 10, 61, 27));
  EXPECT_TRUE(field.AllSelected());
  EXPECT_FALSE(field.Type('x'));
  EXPECT_EQ(field.Text(), "-6.0") << "a refused character keeps the selection";
  EXPECT_TRUE(field.Type('1'));
  EXPECT_EQ(field.Text(), "1") << "typing replaces the selection";
  field.Paste("2a3.45678");
  EXPECT_EQ(field.Text(), "123.456") << "filtered, and no longer than 7";
  field.Backspace();
  EXPECT_EQ(field.Text(), "123.45");
}

TEST(DrawnWindow, DoubleClicksByTimeAndDistance)
{
  Window w;
  auto press = [&](int x, int y, unsigned long t) {
    w.gfx->OnButtonPress(IGraphicsDrawn::kButtonLeft, x, y, kLeft, t);
    w.gfx->OnButtonRelease(IGraphicsDrawn::kButtonLeft, x, y, kNone);
  };
  press(310, 310, 1000);
  press(314, 306, 1400);  // 400 ms, 4 pixels: a double click
  press(314, 306, 1500);  // the third press is a plain one
  press(310, 310, 3000);
  press(315, 310, 3100);  // 5 pixels away
  press(310, 310, 5000);
  press(310, 310, 5401);  // 401 ms later
  const std::vector<std::string> expected = {"down@310,310", "up@310,310",   "dbl@314,306", "up@314,306",
                                             "down@314,306", "up@314,306",   "down@310,310", "up@310,310",
                                             "down@315,310", "up@315,310",   "down@310,310", "up@310,310",
                                             "down@310,310", "up@310,310"};
  std::vector<std::string> clicks;
  for (const std::string& e : w.probe->events)
    if (e.rfind("over", 0) != 0 && e != "out") clicks.push_back(e);
  EXPECT_EQ(clicks, expected);
}

TEST(DrawnWindow, TextFieldCommitsOnTheTickAfterEnterOrFocusLoss)
{
  Window w;
  w.Click(788, 92);  // the gain's value strip
  ASSERT_NE(w.gfx->GetTextField(), nullptr);
  EXPECT_EQ(w.gfx->GetTextEntryState(), IGraphicsDrawn::kTextEntryEditing);
  EXPECT_EQ(w.gfx->GetTextField()->Text(), "-6.0");
  EXPECT_EQ(w.gfx->FramePixel(753, 92), 0xFFFFFFFFu) << "drawn over the picture";
  EXPECT_NE(w.gfx->DrawnPixel(753, 92), 0xFFFFFFFFu) << "not into the editor's bitmap";
  w.Tick();
  EXPECT_EQ(w.gfx->GetTextEntryState(), IGraphicsDrawn::kTextEntryNone);
  w.gain->MarkDirty(false);
  w.Tick();
  EXPECT_EQ(w.gfx->GetTextEntryState(), IGraphicsDrawn::kTextEntryRepainted) << "repainted around it";
  EXPECT_EQ(w.gfx->FramePixel(753, 92), 0xFFFFFFFFu);

  w.Key(kKeyLetterA, 'a');
  w.Key(IGraphicsDrawn::kKeyNone, '-');
  w.Key(kKeyDigit0 + 1, '1');
  w.Key(kKeyDigit0 + 2, '2');
  w.Key(IGraphicsDrawn::kKeyEnter);
  EXPECT_EQ(w.gfx->GetTextEntryState(), IGraphicsDrawn::kTextEntryCommit);
  EXPECT_EQ(w.Gain(), -6.0) << "only the next tick commits";
  w.Tick();
  EXPECT_EQ(w.gfx->GetTextField(), nullptr);
  EXPECT_DOUBLE_EQ(w.Gain(), -12.0);
  EXPECT_EQ(w.gfx->FramePixel(753, 92), w.gfx->DrawnPixel(753, 92)) << "the field is gone from the window";

  w.Click(788, 92);
  w.Key(kKeyDigit0 + 3, '3');
  w.gfx->OnFocusOut();
  w.Tick();
  EXPECT_DOUBLE_EQ(w.Gain(), 3.0) << "leaving the field commits";
}

TEST(DrawnWindow, TextFieldCancelsOnEscapeWheelOrAClickElsewhere)
{
  Window w;
  const std::vector<std::function<void()>> cancels = {
      [&] { w.Key(IGraphicsDrawn::kKeyEscape); },
      [&] { w.gfx->OnButtonPress(IGraphicsDrawn::kWheelUp, 788, 92, kNone, w.gfx->clock); },
      [&] { w.Click(5, 5); },
  };
  for (size_t i = 0; i < cancels.size(); ++i) {
    w.Click(788, 92);
    w.Key(kKeyDigit0 + 1, '1');
    // A click inside the field leaves it alone.
    w.Click(760, 92);
    ASSERT_NE(w.gfx->GetTextField(), nullptr) << i;
    cancels[i]();
    EXPECT_EQ(w.gfx->GetTextEntryState(), IGraphicsDrawn::kTextEntryCancel) << i;
    w.Tick();
    EXPECT_EQ(w.gfx->GetTextField(), nullptr) << i;
    EXPECT_EQ(w.Gain(), -6.0) << i;
  }
  w.Click(788, 92);
  w.gfx->clipboard = "-2x4";
  w.Key(IGraphicsDrawn::kKeyPaste);
  EXPECT_EQ(w.gfx->GetTextField()->Text(), "-24");
  w.gfx->CancelTextEntry();
  EXPECT_EQ(w.gfx->GetTextField(), nullptr) << "at once";
}

TEST(DrawnWindow, TooltipAfterTheHoverTimeBelowThePointer)
{
  Window w;
  const unsigned long t = w.gfx->clock;
  w.gfx->OnPointerMotion(350, 350, kNone, t);
  w.gfx->OnTick(t + IGraphicsDrawn::kHoverMs - 1);
  EXPECT_FALSE(w.gfx->TooltipShowing());
  w.gfx->OnPointerMotion(351, 351, kNone, t + 200);  // within the hover slop: the time runs on
  w.gfx->OnTick(t + IGraphicsDrawn::kHoverMs);
  ASSERT_TRUE(w.gfx->TooltipShowing());
  EXPECT_EQ(w.gfx->TooltipText(), "Hello");
  const IRect tip = w.gfx->TooltipRect();
  EXPECT_EQ(tip.L, 350);
  EXPECT_EQ(tip.T, 370);
  EXPECT_EQ(w.gfx->FramePixel(tip.L + 1, tip.T + 1), LICE_RGBA(255, 255, 225, 255));
  EXPECT_EQ(w.gfx->blits.back(), tip);

  w.gfx->OnPointerLeave();
  EXPECT_FALSE(w.gfx->TooltipShowing());
  EXPECT_EQ(w.gfx->FramePixel(tip.L + 1, tip.T + 1), w.gfx->DrawnPixel(tip.L + 1, tip.T + 1));
}

TEST(DrawnWindow, MenuLoopChoosesAndClosesThePressGesture)
{
  Window w;
  // What the menu will show: the eight waveforms below the type knob's strip.
  IPopupMenu layout;
  for (int i = 0; i < 8; ++i) layout.AddItem(w.plug.GetParameter(kOsc1Type)->GetDisplayTextAtIndex(i));
  const DrawnMenu drawn(&layout, IRect(32, 84, 104, 100), IRect(0, 0, 846, 768));
  const Pt item = Center(drawn.ItemRect(0, 5));
  IRect shown;
  w.gfx->script = {
      [](ScriptedWindow& g) { g.OnButtonRelease(IGraphicsDrawn::kButtonLeft, 40, 92, kNone); },
      [&](ScriptedWindow& g) {
        g.OnPointerMotion(item.x, item.y, kNone, g.clock);
        shown = g.GetMenu()->Area();
      },
      [&](ScriptedWindow& g) {
        g.OnButtonPress(IGraphicsDrawn::kButtonLeft, item.x, item.y, kLeft, g.clock);
        g.OnButtonRelease(IGraphicsDrawn::kButtonLeft, item.x, item.y, kNone);
      },
  };
  w.gfx->OnButtonPress(IGraphicsDrawn::kButtonLeft, 40, 92, kLeft, w.gfx->clock);
  EXPECT_EQ(w.gfx->GetMenu(), nullptr);
  EXPECT_TRUE(w.gfx->script.empty());
  EXPECT_EQ(shown, drawn.Area());
  EXPECT_EQ(w.plug.GetParameter(kOsc1Type)->Value(), 5.0);
  const auto& events = w.plug.HostEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, IPlugOffline::HostEvent::kBeginEdit);
  EXPECT_EQ(events[1].kind, IPlugOffline::HostEvent::kValue);
  EXPECT_EQ(events[2].kind, IPlugOffline::HostEvent::kEndEdit) << "the press still ends its gesture";
  EXPECT_EQ(w.gfx->FramePixel(item.x, item.y), w.gfx->DrawnPixel(item.x, item.y)) << "the menu is gone";

  // A window that goes away ends the menu with no choice.
  w.gfx->OnButtonPress(IGraphicsDrawn::kButtonLeft, 40, 92, kLeft, w.gfx->clock + 1000);
  EXPECT_EQ(w.gfx->GetMenu(), nullptr);
  EXPECT_EQ(w.plug.GetParameter(kOsc1Type)->Value(), 5.0);
}
