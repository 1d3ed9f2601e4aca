// Editor windows coming and going: two instances at once, the window class
// shared by the module's editors, many open and close cycles without leaving
// windows or GDI objects behind, and closing while audio is being rendered.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "adapters/vst2/VstInterface.h"
#include "framework/IParameter.h"
#include "tests/hosts/editor/EditorHost.h"
#include "tests/hosts/vst2/TestHost.h"

using namespace edhost;
using vst2host::Host;
using vst2host::Plugin;

namespace {

HMODULE Vst2Module() { return GetModuleHandleA("Vorblex.dll"); }

std::unique_ptr<Plugin> Started(Host& host)
{
  auto plugin = Plugin::Create(host);
  if (plugin) plugin->Start();
  return plugin;
}

TEST(EditorLifecycle, TwoInstancesShareTheWindowClass)
{
  ASSERT_NE(Vst2Module(), nullptr);
  EXPECT_FALSE(EditorClassRegistered(Vst2Module())) << "no window, no class";
  Host host;
  HostWindow windowA(kEditorWidth, kEditorHeight, 0, 0), windowB(kEditorWidth, kEditorHeight, 200, 100);
  auto a = Started(host), b = Started(host);
  ASSERT_TRUE(a && b);

  ASSERT_EQ(a->Dispatch(vst2::op::kEditOpen, 0, 0, windowA.Handle()), 1);
  ASSERT_EQ(b->Dispatch(vst2::op::kEditOpen, 0, 0, windowB.Handle()), 1);
  HWND editorA = FindEditor(windowA.Handle()), editorB = FindEditor(windowB.Handle());
  ASSERT_TRUE(editorA && editorB);
  EXPECT_NE(editorA, editorB);
  EXPECT_TRUE(EditorClassRegistered(Vst2Module()));

  // Each editor drives its own instance.
  const int p = FindParam(kTypeDouble, 0.2, 0.8);
  const Knob k = KnobOf(p);
  const float bBefore = b->Get(p);
  Drag(editorA, k.centerX, k.knobY, 0, -10);
  EXPECT_NE(a->Get(p), bBefore);
  EXPECT_EQ(b->Get(p), bBefore);
  Pump(100);

  a->Dispatch(vst2::op::kEditClose);
  EXPECT_TRUE(EditorClassRegistered(Vst2Module())) << "the other editor still uses it";
  EXPECT_TRUE(IsWindow(editorB));
  b->Dispatch(vst2::op::kEditClose);
  EXPECT_FALSE(EditorClassRegistered(Vst2Module())) << "unregistered with the last window";

  ASSERT_EQ(a->Dispatch(vst2::op::kEditOpen, 0, 0, windowA.Handle()), 1);
  EXPECT_TRUE(EditorClassRegistered(Vst2Module())) << "and registered again on the next open";
  a->Dispatch(vst2::op::kEditClose);
}

TEST(EditorLifecycle, FiftyOpenAndCloseCyclesLeaveNothingBehind)
{
  Host host;
  HostWindow window;
  auto plugin = Started(host);
  ASSERT_NE(plugin, nullptr);
  const int p = FindParam(kTypeDouble, 0.0, 1.0);
  const Knob k = KnobOf(p);
  // One cycle first, so that what the system creates once (common controls,
  // caches) is not counted as ours.
  ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()), 1);
  Pump(60);
  plugin->Dispatch(vst2::op::kEditClose);
  Pump(10);

  const int windowsBefore = CountThreadWindows();
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int cycle = 0; cycle < 50; ++cycle) {
    ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()), 1) << cycle;
    HWND editor = FindEditor(window.Handle());
    ASSERT_NE(editor, nullptr);
    Pump(50);
    // Every native piece once: a text field with its font, a tooltip.
    Click(editor, k.centerX, k.stripY);
    HWND field = FindTextField(editor);
    EXPECT_NE(field, nullptr) << cycle;
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(field, WM_GETFONT, 0, 0));
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << cycle;
    PostMouse(editor, WM_MOUSEMOVE, 0, k.centerX, k.knobY);
    PostMessageA(editor, WM_MOUSEHOVER, 0, 0);
    Pump(10);
    plugin->Dispatch(vst2::op::kEditClose);
    EXPECT_FALSE(IsWindow(editor)) << cycle;
    EXPECT_EQ(GetObjectType(font), 0u) << "the field's font went with it, cycle " << cycle;
  }
  Pump(20);
  EXPECT_EQ(CountThreadWindows(), windowsBefore) << "no window left over";
  const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu over 50 cycles (0 means not reported)\n",
              static_cast<unsigned long>(gdiBefore), static_cast<unsigned long>(gdiAfter),
              static_cast<unsigned long>(userBefore), static_cast<unsigned long>(userAfter));
  EXPECT_LE(gdiAfter, gdiBefore + 2);
  EXPECT_LE(userAfter, userBefore + 2);
  EXPECT_FALSE(EditorClassRegistered(Vst2Module()));
}

// If a cycle stops making progress, says where the window thread and the
// audio thread are and ends the process, so that a hang shows up as a failure
// with its place instead of a runner's time-out.
class Watchdog {
public:
  Watchdog(const std::atomic<int>& step, const std::atomic<int>& blocks, int seconds)
      : mThread([this, &step, &blocks, seconds] {
          std::unique_lock<std::mutex> lock(mMutex);
          if (mDone.wait_for(lock, std::chrono::seconds(seconds), [this] { return mFinished; })) return;
          const int blocksThen = blocks.load();
          std::this_thread::sleep_for(std::chrono::seconds(1));
          std::fprintf(stderr, "stuck at step %d; the audio thread %s (%d blocks)\n", step.load(),
                       blocks.load() != blocksThen ? "still renders" : "is stopped too", blocks.load());
          std::fflush(stderr);
          std::_Exit(3);
        })
  {
  }
  ~Watchdog()
  {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mFinished = true;
    }
    mDone.notify_one();
    mThread.join();
  }

private:
  std::mutex mMutex;
  std::condition_variable mDone;
  bool mFinished = false;
  std::thread mThread;
};

TEST(EditorLifecycle, OpeningAndClosingWhileAudioRuns)
{
  Host host;
  HostWindow window;
  auto plugin = Started(host);
  ASSERT_NE(plugin, nullptr);
  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::atomic<bool> finite{true};
  // cycle * 10 + where in the cycle the window thread is
  std::atomic<int> step{0};
  Watchdog watchdog(step, blocks, 120);
  // A real-time host renders a block, then waits for the device. Blocks back
  // to back hold the plug-in's lock nearly all the time, and a released
  // critical section is not handed to the thread waiting for it: under Wine
  // the window thread, which takes the lock to draw the knobs' values, was
  // kept waiting for minutes.
  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* out[2] = {left.data(), right.data()};
    while (!stop.load()) {
      plugin->Process(vst2host::ProcessKind::kReplacing, out, nullptr, 256);
      for (float s : left)
        if (!std::isfinite(s)) finite = false;
      ++blocks;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const RECT keys = ControlRect(1);
  for (int cycle = 0; cycle < 30; ++cycle) {
    step = cycle * 10 + 1;
    ASSERT_EQ(plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()), 1);
    HWND editor = FindEditor(window.Handle());
    // A key held while the window goes away.
    step = cycle * 10 + 2;
    PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, (keys.left + keys.right) / 2, keys.bottom - 4);
    Pump(30);
    step = cycle * 10 + 3;
    plugin->Dispatch(vst2::op::kEditClose);
  }
  step = 1000;
  stop = true;
  audio.join();
  EXPECT_GT(blocks.load(), 30);
  EXPECT_TRUE(finite.load());
  EXPECT_FALSE(EditorClassRegistered(Vst2Module()));
}

}  // namespace
