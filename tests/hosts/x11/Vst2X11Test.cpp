// The editor opened by the Linux VST2 module inside a host's X11 window and
// used through the X server: pixels on screen, knobs dragged, wheeled,
// double-clicked and typed into, a menu picked from, the keyboard played,
// sounds generated and stepped through, a tooltip, keys passed on to the
// host, and many openings without leaks. The host calls editor idle.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "adapters/vst2/VstInterface.h"
#include "editor/drawn/DrawnMenu.h"
#include "framework/IParameter.h"
#include "tests/hosts/editor/EditorFacts.h"
#include "tests/hosts/vst2/TestHost.h"
#include "tests/hosts/x11/X11Host.h"

using namespace edhost;
using namespace x11host;
using vst2host::HostCall;

namespace {

constexpr float kFloatTolerance = 2e-6f;

void* AsParent(Window window) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

class Vst2X11Editor : public ::testing::Test {
protected:
  void SetUp() override
  {
    plugin = vst2host::Plugin::Create(host);
    ASSERT_NE(plugin, nullptr);
    plugin->Start();
    ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, AsParent(window.Handle())), 1);
    ASSERT_EQ(Children(window.Handle()).size(), 1u);
    editor = Children(window.Handle())[0];
    // The first ticks paint everything.
    input.Pump(200);
    host.ClearRecords();
  }
  void TearDown() override
  {
    if (plugin) plugin->Dispatch(vst2::op::kEditClose);
    plugin.reset();
  }

  std::vector<std::uint32_t> Shown() { return Capture(editor, kEditorWidth, kEditorHeight); }

  HostWindow window{kEditorWidth, kEditorHeight};
  vst2host::Host host;
  std::unique_ptr<vst2host::Plugin> plugin;
  Window editor = 0;
  Driver input{window, [this] {
                 if (plugin) plugin->Dispatch(vst2::op::kEditIdle);
               }};
};

TEST_F(Vst2X11Editor, AnnouncedAndShowingTheHeadlessPicture)
{
  EXPECT_EQ(plugin->Entry()->flags & vst2::kFlagHasEditor, vst2::kFlagHasEditor);
  vst2::EditRect* rect = nullptr;
  ASSERT_EQ(plugin->Dispatch(vst2::op::kEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, kEditorWidth);
  EXPECT_EQ(rect->bottom, kEditorHeight);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(HostDisplay(), editor, &attributes));
  EXPECT_EQ(attributes.width, kEditorWidth);
  EXPECT_EQ(attributes.height, kEditorHeight);
  EXPECT_EQ(attributes.map_state, IsViewable);

  const std::vector<std::uint32_t> shown = Shown();
  const std::vector<std::uint32_t> expected = HeadlessReference();
  const int different = CountDifferent(shown, expected);
  std::printf("X11 editor pixels differing from the headless drawing: %d of %d\n", different,
              kEditorWidth * kEditorHeight);
  if (const char* dump = std::getenv("VORBLEX_EDITOR_DUMP")) {
    WritePpm(std::string(dump) + "-x11.ppm", shown, kEditorWidth, kEditorHeight);
    WritePpm(std::string(dump) + "-headless.ppm", expected, kEditorWidth, kEditorHeight);
  }
  EXPECT_EQ(different, 0) << "every control is bitmap-drawn: nothing may differ";
}

TEST_F(Vst2X11Editor, DragWheelAndDoubleClickMoveAKnob)
{
  const int p = FindParam(kTypeDouble, 0.2, 0.8);
  ASSERT_GE(p, 0);
  const Knob k = KnobOf(p);
  const float before = plugin->Get(p);

  input.Drag(k.centerX, k.knobY, 0, -20);
  EXPECT_NEAR(plugin->Get(p), before + 20.0 / (k.h * 4.0), kFloatTolerance);
  const std::vector<HostCall> edits = host.EditCalls(p);
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().opcode, vst2::hostop::kBeginEdit);
  EXPECT_EQ(edits.back().opcode, vst2::hostop::kEndEdit);
  for (size_t i = 1; i + 1 < edits.size(); ++i) EXPECT_EQ(edits[i].opcode, vst2::hostop::kAutomate) << i;
  EXPECT_NEAR(edits[edits.size() - 2].opt, plugin->Get(p), kFloatTolerance) << "the host heard the last value";

  // Wheel: button 4 up, button 5 down, 0.01 a notch.
  const float dragged = plugin->Get(p);
  input.Wheel(k.centerX, k.knobY, 1);
  EXPECT_NEAR(plugin->Get(p), dragged + 0.01, kFloatTolerance);
  input.Wheel(k.centerX, k.knobY, -2);
  EXPECT_NEAR(plugin->Get(p), dragged - 0.01, kFloatTolerance);

  // Two presses within the double-click time and distance: the default.
  input.DoubleClick(k.centerX, k.knobY);
  EXPECT_NEAR(plugin->Get(p), ParamDefaultNormalized(p), kFloatTolerance);
  // Two presses too far apart are two presses: the value stays.
  input.Drag(k.centerX, k.knobY, 0, -10);
  const float moved = plugin->Get(p);
  input.Pump(450);
  MoveTo(k.centerX, k.knobY);
  input.Pump(20);
  Button(1, true);
  Button(1, false);
  MoveTo(k.centerX + 8, k.knobY);
  input.Pump(20);
  Button(1, true);
  Button(1, false);
  input.Pump(40);
  EXPECT_EQ(plugin->Get(p), moved);
}

TEST_F(Vst2X11Editor, TypedValuesCommitOnTheNextTickAndCancel)
{
  const int p = FindParam(kTypeDouble, 0.0, 1.0);
  ASSERT_GE(p, 0);
  const Knob k = KnobOf(p);
  double lo, hi;
  ParamRange(p, &lo, &hi);
  char typed[16];
  std::snprintf(typed, sizeof(typed), "%.1f", lo + (hi - lo) * 0.25);
  const std::vector<std::uint32_t> plain = Shown();

  input.Click(k.centerX, k.stripY);
  const std::vector<std::uint32_t> withField = Shown();
  EXPECT_EQ(withField[static_cast<size_t>(k.stripY) * kEditorWidth + k.x + 1], 0xFFFFFFu)
      << "the field's white paper over the value strip";
  // Letters are refused: they would make the number 0.
  input.Type("a");
  input.Type(typed);
  input.Key(XK_Return);
  input.Pump(100);
  EXPECT_NEAR(plugin->Get(p), ToNormalized(p, std::strtod(typed, nullptr)), kFloatTolerance);

  // Escape abandons the typing, and the field is gone from the window.
  const float committed = plugin->Get(p);
  input.Click(k.centerX, k.stripY);
  input.Type("1");
  input.Key(XK_Escape);
  input.Pump(100);
  EXPECT_EQ(plugin->Get(p), committed);
  const std::vector<std::uint32_t> after = Shown();
  EXPECT_NE(after[static_cast<size_t>(k.stripY) * kEditorWidth + k.x + 1], 0xFFFFFFu);

  // So does a click elsewhere in the editor.
  input.Click(k.centerX, k.stripY);
  input.Type("2");
  input.Click(5, 5);
  input.Pump(100);
  EXPECT_EQ(plugin->Get(p), committed);

  // Integer parameters take no full stop: "1.2" arrives as 12.
  const int n = FindParam(kTypeInt, -0.1, 1.1);
  ASSERT_GE(n, 0);
  const Knob ki = KnobOf(n);
  input.Click(ki.centerX, ki.stripY);
  input.Type("1.2");
  input.Key(XK_KP_Enter);
  input.Pump(100);
  EXPECT_NEAR(plugin->Get(n), ToNormalized(n, 12.0), kFloatTolerance);
}

TEST_F(Vst2X11Editor, EnumerationKnobsOfferTheirTextsInAMenu)
{
  const int p = FindParam(kTypeEnum, -0.1, 1.1);
  ASSERT_GE(p, 0);
  const Knob k = KnobOf(p);
  const std::vector<std::string> texts = DisplayTexts(p);
  ASSERT_GT(texts.size(), 2u);
  double lo, hi;
  ParamRange(p, &lo, &hi);
  const int current = static_cast<int>(std::lround(lo + plugin->Get(p) * (hi - lo)));
  const int choice = (current + 2) % static_cast<int>(texts.size());

  // Where the drawn menu puts the item: below the value strip.
  IPopupMenu menu;
  for (const std::string& text : texts) menu.AddItem(text.c_str());
  const DrawnMenu layout(&menu, IRect(k.x, k.y + k.h - 16, k.x + k.w, k.y + k.h),
                         IRect(0, 0, kEditorWidth, kEditorHeight));
  const IRect item = layout.ItemRect(0, choice);
  {
    MenuPicker pick(item.L, item.T + 1, item.L + 10, (item.T + item.B) / 2);
    input.Click(k.centerX, k.stripY);
    EXPECT_TRUE(pick.SawMenu());
  }
  input.Pump(60);
  EXPECT_NEAR(plugin->Get(p), ToNormalized(p, choice), kFloatTolerance);
  std::vector<HostCall> edits = host.EditCalls(p);
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().opcode, vst2::hostop::kBeginEdit);
  EXPECT_EQ(edits.back().opcode, vst2::hostop::kEndEdit) << "the press that opened the menu still ends its edit";
  const std::uint32_t under = Shown()[static_cast<size_t>(item.T + 1) * kEditorWidth + item.L + 6];
  EXPECT_NE(under, 0xF2F2F2u) << "the menu is gone from the window";

  // Dismissed by a click outside it: nothing changes.
  host.ClearRecords();
  const float chosen = plugin->Get(p);
  {
    MenuPicker dismiss(item.L, item.T + 1, 5, 5);
    input.Click(k.centerX, k.stripY);
    EXPECT_TRUE(dismiss.SawMenu());
  }
  input.Pump(60);
  EXPECT_EQ(plugin->Get(p), chosen);
  for (const HostCall& c : host.EditCalls(p)) EXPECT_NE(c.opcode, vst2::hostop::kAutomate) << "nothing was chosen";
}

TEST_F(Vst2X11Editor, TheOnScreenKeyboardSoundsANote)
{
  const ControlBox keys = ControlArea(1);
  vst2host::Rendered quiet = vst2host::Render(*plugin, {}, 2048);
  EXPECT_EQ(vst2host::PeakAbs(quiet.left), 0.0);
  MoveTo((keys.left + keys.right) / 2, keys.bottom - 4);
  input.Pump(20);
  Button(1, true);
  input.Pump(30);
  vst2host::Rendered played = vst2host::Render(*plugin, {}, 4096);
  Button(1, false);
  input.Pump(30);
  const double peak = vst2host::PeakAbs(played.left);
  std::printf("peak after a key press: %.3f\n", peak);
  EXPECT_GT(peak, 0.01);
}

TEST_F(Vst2X11Editor, GeneratorsAndHistoryReachTheHost)
{
  auto press = [&](int idx) {
    const ControlBox b = ControlArea(idx);
    input.Click((b.left + b.right) / 2, (b.top + b.bottom) / 2);
  };
  const std::vector<float> initial = plugin->Values();
  press(5);  // Random
  const std::vector<float> first = plugin->Values();
  EXPECT_NE(first, initial) << "a new sound";
  int automated = 0;
  for (const HostCall& c : host.Calls()) automated += c.opcode == vst2::hostop::kAutomate;
  EXPECT_GT(automated, 10) << "the host hears the generated values";
  press(5);
  const std::vector<float> second = plugin->Values();
  EXPECT_NE(second, first);
  press(14);
  EXPECT_EQ(plugin->Values(), first) << "one step back";
  press(15);
  EXPECT_EQ(plugin->Values(), second) << "and forward again";
}

TEST_F(Vst2X11Editor, TooltipAfterTheHoverTimeAndGoneOnLeaving)
{
  const ControlBox random = ControlArea(5);
  const int x = (random.left + random.right) / 2, y = (random.top + random.bottom) / 2;
  const std::vector<std::uint32_t> plain = Shown();
  MoveTo(x, y);
  input.Pump(50);
  // The button lights up under the pointer at once; the tooltip waits.
  const std::vector<std::uint32_t> hovered = Shown();
  input.Pump(50);
  EXPECT_EQ(CountDifferent(Shown(), hovered), 0) << "not before the hover time";
  input.Pump(500);
  const int covered = CountDifferent(Shown(), hovered);
  std::printf("tooltip pixels: %d\n", covered);
  EXPECT_GT(covered, 300) << "the tooltip: " << ControlTooltip(5);
  MoveTo(kEditorWidth + 50, 5);  // off the editor and its host
  input.Pump(100);
  EXPECT_EQ(CountDifferent(Shown(), plain), 0);
}

TEST_F(Vst2X11Editor, KeysTheEditorDoesNotUseReachTheHostWindow)
{
  input.Click(5, 5);  // the editor takes the focus
  window.Keys().clear();
  input.Key(XK_F5);
  input.Key(XK_a);
  input.Pump(40);
  const std::vector<XKeyEvent>& keys = window.Keys();
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].type, KeyPress);
  EXPECT_EQ(keys[0].keycode, XKeysymToKeycode(HostDisplay(), XK_F5));
  EXPECT_EQ(keys[1].type, KeyRelease);
  EXPECT_EQ(keys[2].keycode, XKeysymToKeycode(HostDisplay(), XK_a));
  EXPECT_EQ(keys[3].type, KeyRelease);
}

TEST_F(Vst2X11Editor, FiftyOpeningsLeaveNoWindowsOrDescriptors)
{
  ASSERT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1);
  input.Pump(20);
  EXPECT_TRUE(Children(window.Handle()).empty());
  const int windows = CountAllWindows(), descriptors = OpenDescriptors();
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, AsParent(window.Handle())), 1) << i;
    input.Pump(i % 10 == 0 ? 50 : 0);
    EXPECT_EQ(Children(window.Handle()).size(), 1u);
    ASSERT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1);
  }
  XSync(HostDisplay(), False);
  EXPECT_EQ(CountAllWindows(), windows);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  // A window id that is no window: no editor, and the host goes on.
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, AsParent(0x7FFFFFF)), 0);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, AsParent(window.Handle())), 1);
}

}  // namespace
