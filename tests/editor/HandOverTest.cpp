// The three values that cross between processing and the editor without a
// lock: meter levels pushed into the meters, the keyboard's held key and
// press height read by processing, the MIDI key flags read by the keyboard.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "editor/IKeyboardControl.h"
#include "editor/IPeakMeterBitmapBitmapFont.h"
#include "tests/editor/EditorTestUtil.h"
#include "tests/support/AllocGuard.h"

namespace {
constexpr int kOffsets[12] = {0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60};

struct HandOverScene : EditorHarness {
  HandOverScene()
      : EditorHarness(846, 768), white(10, 60, 6, 1), black(6, 35, 1, 2), meter(28, 128, 19, 3), glyphs(9, 12, 224)
  {
    for (auto& f : flags) f = false;
    keyboard = new IKeyboardControl(&plug, 138, 707, white.Get(), black.Get(), kOffsets);
    keyboard->SetMidiKeyFlags(flags);
    gfx->AttachControl(new ProbeControl(&plug, IRect(0, 0, 846, 768)));
    gfx->AttachControl(keyboard);
    left = new IPeakMeterBitmapBitmapFont(&plug, meter.Get(), IText(14), glyphs.Get(), IBlend(), 2, 2,
                                          IRect(760, 100, 788, 242));
    right = new IPeakMeterBitmapBitmapFont(&plug, meter.Get(), IText(14), glyphs.Get(), IBlend(), 1, 0,
                                           IRect(788, 100, 817, 242));
    gfx->AttachControl(left);
    gfx->AttachControl(right);
    Attach();
  }
  TestStrip white, black, meter, glyphs;
  std::atomic<bool> flags[128];
  IKeyboardControl* keyboard;
  IPeakMeterBitmapBitmapFont* left;
  IPeakMeterBitmapBitmapFont* right;
};
}  // namespace

TEST(HandOverTest, PerBlockCallsNeitherAllocateNorReachThePlugin)
{
  HandOverScene s;
  s.plug.ClearHostEvents();
  s.gfx->OnMouseDown(138 + 25, 707 + 30, IMouseMod(true));
  size_t allocations = 0;
  int key = -2;
  double height = -1;
  {
    AllocGuard guard;
    for (int block = 0; block < 100; ++block) {
      s.gfx->SetControlValueFromPlugin(2, 0.001 * block);
      s.gfx->SetControlValueFromPlugin(3, 1.0 - 0.001 * block);
      key = s.keyboard->HeldKey();
      height = s.keyboard->PressHeight();
      s.flags[60] = block % 2 == 0;
    }
    allocations = guard.Count();
  }
  EXPECT_EQ(allocations, 0u);
  EXPECT_EQ(key, 4);
  EXPECT_DOUBLE_EQ(height, 0.5);
  EXPECT_DOUBLE_EQ(s.left->GetValue(), 0.099);
  EXPECT_DOUBLE_EQ(s.right->GetValue(), 0.901);
  EXPECT_TRUE(s.plug.HostEvents().empty());
}

TEST(ThreadedHandOver, LevelsPushedDuringDrawingAreNeverLost)
{
  HandOverScene s;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    // Blocks of audio: meters pushed, the keyboard polled, MIDI notes toggled.
    int last = -1;
    for (int block = 0; block < 20000; ++block) {
      s.gfx->SetControlValueFromPlugin(2, (block % 1000) / 1000.0);
      s.gfx->SetControlValueFromPlugin(3, 0.25);
      const int key = s.keyboard->HeldKey();
      if (key >= 0) last = key;
      s.flags[36 + block % 24].store(block % 3 == 0);
    }
    (void)last;
    done = true;
  });
  int ticks = 0;
  while (!done || ticks < 10) {
    s.gfx->OnMouseDown(138 + (ticks % 560), 707 + 50, IMouseMod(true));
    s.gfx->Tick();
    s.gfx->OnMouseUp(138 + (ticks % 560), 707 + 50, IMouseMod(true));
    ++ticks;
  }
  audio.join();
  // The last level shows within two passes of the last push.
  s.gfx->SetControlValueFromPlugin(2, 0.5);
  s.gfx->Tick();
  s.gfx->Tick();
  EXPECT_EQ(PixelAt(*s.gfx, 760, 100), FrameColor(10, 3));
  EXPECT_EQ(s.keyboard->HeldKey(), -1);
}
