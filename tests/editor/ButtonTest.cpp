// Push buttons: the ordered listener set, the three frames and release
// anywhere.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor/IButtonControl.h"
#include "tests/editor/EditorTestUtil.h"

namespace {
struct Recorder {
  std::vector<std::string>* log;
  const char* name;
  void First() { log->push_back(std::string(name) + ".First"); }
  void Second() { log->push_back(std::string(name) + ".Second"); }
};

void Plain(void* object) { static_cast<std::vector<std::string>*>(object)->push_back("plain"); }
}  // namespace

TEST(ButtonTest, ListenersAreASetCalledOnReleaseWherever)
{
  EditorHarness h(300, 300);
  TestStrip strip(108, 50, 30);
  auto* button = new IButtonControl(&h.plug, strip.Get(), 3, IRect(153, 606, 261, 656));
  h.gfx->AttachControl(new ProbeControl(&h.plug, IRect(0, 0, 300, 300)));
  h.gfx->AttachControl(button);

  std::vector<std::string> log;
  Recorder recorders[2] = {{&log, "a"}, {&log, "b"}};
  // Added out of order and twice: the set keeps one of each, ordered by
  // object, then handler.
  Recorder* hi = &recorders[1];
  Recorder* lo = &recorders[0];
  button->AddListener<&Recorder::First>(hi);
  button->AddListener<&Recorder::First>(lo);
  button->AddListener<&Recorder::First>(lo);
  button->AddListener(&log, &Plain);
  button->AddListener(&log, &Plain);
  EXPECT_EQ(button->NListeners(), 3);

  h.gfx->OnMouseDown(200, 620, IMouseMod(true));
  EXPECT_TRUE(log.empty());
  // Released far outside: the pressed button still fires.
  h.gfx->OnMouseUp(5, 5, IMouseMod(true));
  ASSERT_EQ(log.size(), 3u);
  std::vector<std::string> called(log);
  std::sort(called.begin(), called.end());
  EXPECT_EQ(called, (std::vector<std::string>{"a.First", "b.First", "plain"}));
  // a (lower address) before b.
  EXPECT_LT(std::find(log.begin(), log.end(), "a.First"), std::find(log.begin(), log.end(), "b.First"));

  // Same object, two handlers: both kept.
  button->AddListener<&Recorder::Second>(lo);
  EXPECT_EQ(button->NListeners(), 4);
}

TEST(ButtonTest, StatesPickTheThreeFrames)
{
  EditorHarness h(300, 700);
  TestStrip strip(108, 50, 30);
  auto* background = new ProbeControl(&h.plug, IRect(0, 0, 300, 700));
  auto* button = new IButtonControl(&h.plug, strip.Get(), 24, IRect(10, 10, 118, 60));
  auto* last = new IButtonControl(&h.plug, strip.Get(), 29, IRect(10, 100, 118, 150));
  h.gfx->AttachControl(background);
  h.gfx->AttachControl(button);
  h.gfx->AttachControl(last);
  h.gfx->HandleMouseOver(true);
  h.MakeBitmaps();

  auto frameShown = [&](IControl* c) {
    c->MarkDirty(false);
    h.gfx->Tick();
    return PixelAt(*h.gfx, c->GetRECT().L + 5, c->GetRECT().T + 5);
  };
  EXPECT_EQ(frameShown(button), FrameColor(25));
  h.gfx->OnMouseOver(20, 20, IMouseMod());
  EXPECT_EQ(button->GetState(), IButtonControl::kStateOver);
  EXPECT_EQ(frameShown(button), FrameColor(26));
  h.gfx->OnMouseDown(20, 20, IMouseMod(true));
  EXPECT_EQ(frameShown(button), FrameColor(27));
  // Release leaves the state for the next mouse move to set.
  h.gfx->OnMouseUp(20, 20, IMouseMod(true));
  EXPECT_EQ(button->GetState(), IButtonControl::kStatePressed);
  h.gfx->OnMouseOver(200, 200, IMouseMod());
  EXPECT_EQ(button->GetState(), IButtonControl::kStateNormal);
  EXPECT_EQ(frameShown(button), FrameColor(25));

  // Frames beyond the strip stop at its last one.
  h.gfx->OnMouseDown(20, 110, IMouseMod(true));
  EXPECT_EQ(frameShown(last), FrameColor(30));
}
