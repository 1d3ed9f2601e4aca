// The editor opened by the VST2 module inside a host window, used as a person
// would: pixels on screen, knobs dragged, wheeled and typed into, menus picked
// from, the keyboard played, sounds generated and stepped through, tooltips.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "adapters/vst2/VstInterface.h"
#include "framework/IParameter.h"
#include "tests/hosts/editor/EditorHost.h"
#include "tests/hosts/editor/MenuDriver.h"
#include "tests/hosts/vst2/TestHost.h"

using namespace edhost;
using vst2host::Host;
using vst2host::HostCall;
using vst2host::Plugin;

namespace {

constexpr float kFloatTolerance = 2e-6f;

class Vst2EditorWindow : public ::testing::Test {
protected:
  void SetUp() override
  {
    plugin = Plugin::Create(host);
    ASSERT_NE(plugin, nullptr);
    plugin->Start();
    ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()), 1);
    editor = FindEditor(window.Handle());
    ASSERT_NE(editor, nullptr);
    // The first ticks paint everything.
    Pump(200);
    host.ClearRecords();
  }
  void TearDown() override
  {
    if (plugin) plugin->Dispatch(vst2::op::kEditClose);
    plugin.reset();
  }

  void Tick() { SendMessageA(editor, WM_TIMER, 2, 0); }
  void Type(HWND field, const char* text)
  {
    for (const char* c = text; *c; ++c) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 1);
  }
  std::string FieldText(HWND field)
  {
    char text[64] = {};
    GetWindowTextA(field, text, sizeof(text));
    return text;
  }

  HostWindow window;
  Host host;
  std::unique_ptr<Plugin> plugin;
  HWND editor = nullptr;
};

TEST_F(Vst2EditorWindow, FirstTicksShowTheHeadlessPicture)
{
  EXPECT_EQ(GetParent(editor), window.Handle());
  char title[16] = {};
  GetWindowTextA(editor, title, sizeof(title));
  EXPECT_STREQ(title, "IPlug");
  RECT r;
  GetClientRect(editor, &r);
  EXPECT_EQ(r.right, kEditorWidth);
  EXPECT_EQ(r.bottom, kEditorHeight);

  const std::vector<std::uint32_t> shown = Capture(editor);
  const std::vector<std::uint32_t> expected = HeadlessReference();
  const int different = CountDifferent(shown, expected);
  std::printf("editor pixels differing from the headless drawing: %d of %d\n", different,
              kEditorWidth * kEditorHeight);
  if (const char* dump = std::getenv("VORBLEX_EDITOR_DUMP")) {
    WritePpm(std::string(dump) + "-window.ppm", shown, kEditorWidth, kEditorHeight);
    WritePpm(std::string(dump) + "-headless.ppm", expected, kEditorWidth, kEditorHeight);
  }
  EXPECT_EQ(different, 0) << "every control is bitmap-drawn: nothing may differ";
}

TEST_F(Vst2EditorWindow, DragWheelAndDoubleClickMoveAKnob)
{
  const int p = FindParam(kTypeDouble, 0.2, 0.8);
  ASSERT_GE(p, 0);
  const Knob k = KnobOf(p);
  const float before = plugin->Get(p);

  // Up by 20 pixels: 20 / (height x gearing 4).
  Drag(editor, k.centerX, k.knobY, 0, -20);
  const double expected = before + 20.0 / (k.h * 4.0);
  EXPECT_NEAR(plugin->Get(p), expected, kFloatTolerance);
  const std::vector<HostCall> edits = host.EditCalls(p);
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().opcode, vst2::hostop::kBeginEdit);
  EXPECT_EQ(edits.back().opcode, vst2::hostop::kEndEdit);
  for (size_t i = 1; i + 1 < edits.size(); ++i) EXPECT_EQ(edits[i].opcode, vst2::hostop::kAutomate) << i;
  EXPECT_NEAR(edits[edits.size() - 2].opt, plugin->Get(p), kFloatTolerance) << "the host heard the last value";

  const float dragged = plugin->Get(p);
  Wheel(editor, k.centerX, k.knobY, 1);
  EXPECT_NEAR(plugin->Get(p), dragged + 0.01, kFloatTolerance);
  Wheel(editor, k.centerX, k.knobY, -2);
  EXPECT_NEAR(plugin->Get(p), dragged - 0.01, kFloatTolerance);

  PostMouse(editor, WM_LBUTTONDBLCLK, MK_LBUTTON, k.centerX, k.knobY);
  PostMouse(editor, WM_LBUTTONUP, 0, k.centerX, k.knobY);
  Pump(20);
  EXPECT_NEAR(plugin->Get(p), ParamDefaultNormalized(p), kFloatTolerance);
}

TEST_F(Vst2EditorWindow, TypedValuesCommitOnTheNextTickAndCancel)
{
  const int p = FindParam(kTypeDouble, 0.0, 1.0);
  ASSERT_GE(p, 0);
  const Knob k = KnobOf(p);
  double lo, hi;
  ParamRange(p, &lo, &hi);
  char typed[16];
  std::snprintf(typed, sizeof(typed), "%.1f", lo + (hi - lo) * 0.25);
  const float before = plugin->Get(p);

  Click(editor, k.centerX, k.stripY);
  HWND field = FindTextField(editor);
  ASSERT_NE(field, nullptr) << "a click in the value strip opens the field";
  EXPECT_EQ(GetFocus(), field);
  Type(field, "a");
  EXPECT_EQ(FieldText(field).find('a'), std::string::npos) << "letters are refused";
  Type(field, typed);
  EXPECT_EQ(FieldText(field), typed);
  SendMessageA(field, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(FindTextField(editor), field) << "Enter only asks for the commit";
  EXPECT_EQ(plugin->Get(p), before);
  Tick();
  EXPECT_EQ(FindTextField(editor), nullptr) << "the next tick removes the field";
  EXPECT_NEAR(plugin->Get(p), ToNormalized(p, std::strtod(typed, nullptr)), kFloatTolerance);

  // Escape abandons the typing.
  const float committed = plugin->Get(p);
  Click(editor, k.centerX, k.stripY);
  field = FindTextField(editor);
  ASSERT_NE(field, nullptr);
  Type(field, "1");
  SendMessageA(field, WM_KEYDOWN, VK_ESCAPE, 1);
  Tick();
  EXPECT_EQ(FindTextField(editor), nullptr);
  EXPECT_EQ(plugin->Get(p), committed);

  // So does a click elsewhere in the editor, on the timer's own tick.
  Click(editor, k.centerX, k.stripY);
  field = FindTextField(editor);
  ASSERT_NE(field, nullptr);
  Type(field, "2");
  PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  PostMouse(editor, WM_LBUTTONUP, 0, 5, 5);
  EXPECT_TRUE(PumpUntil([&] { return FindTextField(editor) == nullptr; }));
  EXPECT_EQ(plugin->Get(p), committed);

  // Integer parameters take no full stop.
  const int n = FindParam(kTypeInt, -0.1, 1.1);
  ASSERT_GE(n, 0);
  const Knob ki = KnobOf(n);
  Click(editor, ki.centerX, ki.stripY);
  field = FindTextField(editor);
  ASSERT_NE(field, nullptr);
  Type(field, "1.2");
  EXPECT_EQ(FieldText(field), "12");
  SendMessageA(field, WM_KEYDOWN, VK_ESCAPE, 1);
  Tick();
  EXPECT_EQ(FindTextField(editor), nullptr);
}

TEST_F(Vst2EditorWindow, EnumerationKnobsOfferTheirTextsInAMenu)
{
  const int p = FindParam(kTypeEnum, -0.1, 1.1);
  ASSERT_GE(p, 0);
  const Knob k = KnobOf(p);
  const int n = NDisplayTexts(p);
  ASSERT_GT(n, 2);
  double lo, hi;
  ParamRange(p, &lo, &hi);
  const int current = static_cast<int>(std::lround(lo + plugin->Get(p) * (hi - lo)));
  const int choice = (current + 2) % n;

  MenuDriver pick(MenuDriver::kChoose, choice);
  Click(editor, k.centerX, k.stripY);
  EXPECT_TRUE(pick.SawMenu()) << "the click opened a native popup menu";
  EXPECT_EQ(pick.ItemCount(), n);
  EXPECT_NEAR(plugin->Get(p), ToNormalized(p, choice), kFloatTolerance);
  EXPECT_FALSE(IsMenu(pick.Menu())) << "the native menu is destroyed after use";

  host.ClearRecords();
  const float chosen = plugin->Get(p);
  MenuDriver dismiss(MenuDriver::kDismiss, 0);
  Click(editor, k.centerX, k.stripY);
  EXPECT_TRUE(dismiss.SawMenu());
  EXPECT_EQ(plugin->Get(p), chosen);
  for (const HostCall& c : host.EditCalls(p)) EXPECT_NE(c.opcode, vst2::hostop::kAutomate) << "nothing was chosen";
}

TEST_F(Vst2EditorWindow, TheOnScreenKeyboardSoundsANote)
{
  const RECT keys = ControlRect(1);
  vst2host::Rendered quiet = vst2host::Render(*plugin, {}, 2048);
  EXPECT_EQ(vst2host::PeakAbs(quiet.left), 0.0);

  const int x = (keys.left + keys.right) / 2, y = keys.bottom - 4;
  PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  Pump(20);
  vst2host::Rendered played = vst2host::Render(*plugin, {}, 4096);
  PostMouse(editor, WM_LBUTTONUP, 0, x, y);
  Pump(20);
  const double peak = vst2host::PeakAbs(played.left);
  std::printf("peak after a key press: %.3f\n", peak);
  EXPECT_GT(peak, 0.01);
}

TEST_F(Vst2EditorWindow, GeneratorsAndHistoryReachTheHost)
{
  const RECT random = ControlRect(5), previous = ControlRect(14), next = ControlRect(15);
  auto press = [&](const RECT& r) { Click(editor, (r.left + r.right) / 2, (r.top + r.bottom) / 2); };

  const std::vector<float> initial = plugin->Values();
  press(random);
  const std::vector<float> first = plugin->Values();
  EXPECT_NE(first, initial) << "a new sound";
  int automated = 0;
  for (const HostCall& c : host.Calls()) automated += c.opcode == vst2::hostop::kAutomate;
  EXPECT_GT(automated, 10) << "the host hears the generated values";
  press(random);
  const std::vector<float> second = plugin->Values();
  EXPECT_NE(second, first);

  press(previous);
  EXPECT_EQ(plugin->Values(), first) << "one step back";
  press(next);
  EXPECT_EQ(plugin->Values(), second) << "and forward again";
}

TEST_F(Vst2EditorWindow, OverlayAndTooltips)
{
  const RECT about = ControlRect(78);
  const std::vector<std::uint32_t> plain = Capture(editor);
  Click(editor, (about.left + about.right) / 2, (about.top + about.bottom) / 2);
  Pump(120);
  const int shownDiff = CountDifferent(Capture(editor), plain);
  EXPECT_GT(shownDiff, 1000) << "the overlay covers part of the editor";
  Click(editor, (about.left + about.right) / 2, (about.top + about.bottom) / 2);
  Pump(120);
  EXPECT_EQ(CountDifferent(Capture(editor), plain), 0) << "and is gone again";

  // Hovering the Random button shows its tooltip; leaving clears it.
  HWND tooltip = FindTooltip(editor);
  ASSERT_NE(tooltip, nullptr);
  const RECT random = ControlRect(5);
  POINT at{(random.left + random.right) / 2, (random.top + random.bottom) / 2};
  POINT screen = at;
  ClientToScreen(editor, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMouse(editor, WM_MOUSEMOVE, 0, at.x, at.y);
  Pump(20);
  PostMessageA(editor, WM_MOUSEHOVER, 0, MAKELPARAM(at.x, at.y));
  Pump(20);
  EXPECT_EQ(TooltipText(tooltip, editor), ControlTooltip(5));
  PostMessageA(editor, WM_MOUSELEAVE, 0, 0);
  Pump(20);
  EXPECT_EQ(TooltipText(tooltip, editor), "");
}

TEST_F(Vst2EditorWindow, UnhandledKeysReachTheHostWindow)
{
  SendMessageA(editor, WM_KEYDOWN, VK_F5, 1);
  SendMessageA(editor, WM_KEYUP, VK_F5, 1);
  const auto& keys = window.Keys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].msg, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(keys[0].key, static_cast<WPARAM>(VK_F5));
  EXPECT_EQ(keys[1].msg, static_cast<UINT>(WM_KEYUP));
}

TEST_F(Vst2EditorWindow, ReopeningKeepsValuesAndPlace)
{
  const int p = FindParam(kTypeDouble, 0.2, 0.8);
  const Knob k = KnobOf(p);
  Drag(editor, k.centerX, k.knobY, 0, -30);
  const std::vector<float> values = plugin->Values();
  Pump(120);
  const std::vector<std::uint32_t> picture = Capture(editor);

  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditClose), 1);
  EXPECT_EQ(FindEditor(window.Handle()), nullptr);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()), 1);
  editor = FindEditor(window.Handle());
  ASSERT_NE(editor, nullptr);
  Pump(150);
  EXPECT_EQ(plugin->Values(), values);
  EXPECT_EQ(CountDifferent(Capture(editor), picture), 0) << "the same picture as before closing";

  // Opened again while open: the new window takes the old one's place and size.
  SetWindowPos(editor, nullptr, 30, 40, 500, 400, SWP_NOZORDER);
  EXPECT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()), 1);
  HWND again = FindEditor(window.Handle());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(FindWindowExA(window.Handle(), again, "IPlugWndClass", nullptr), nullptr) << "only one editor window";
  RECT r;
  GetWindowRect(again, &r);
  POINT topLeft{r.left, r.top};
  ScreenToClient(window.Handle(), &topLeft);
  EXPECT_EQ(topLeft.x, 30);
  EXPECT_EQ(topLeft.y, 40);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 400);
  editor = again;
}

}  // namespace
