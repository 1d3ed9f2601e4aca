// The editor opened through the Linux VST3 module's view inside a host's X11
// window: the embed type only, the host frame's run loop driving it (a timer
// and the X connection's descriptor), a refusal where the frame has no run
// loop, and views dropped or attached many times without leaks.
#include <gtest/gtest.h>

#include <memory>

#include "framework/IParameter.h"
#include "pluginterfaces/gui/iplugview.h"
#include "tests/hosts/editor/EditorFacts.h"
#include "tests/hosts/vst3/TestHost.h"
#include "tests/hosts/x11/RunLoopFrame.h"
#include "tests/hosts/x11/X11Host.h"

using namespace edhost;
using namespace x11host;
using Steinberg::IPlugView;
using Steinberg::kResultOk;
using Steinberg::ViewRect;
using vst3host::ComponentHandler;

namespace {

void* AsParent(Window window) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

class Vst3X11View : public ::testing::Test {
protected:
  void SetUp() override
  {
    plugin = vst3host::Plugin::Create();
    ASSERT_NE(plugin, nullptr);
    plugin->Start();
    view = plugin->controller->createView("editor");
    ASSERT_NE(view, nullptr) << "the Linux module offers its editor";
  }
  void TearDown() override
  {
    if (view) {
      view->setFrame(nullptr);
      view->release();
    }
    plugin.reset();
  }

  HostWindow window{kEditorWidth, kEditorHeight};
  RunLoopFrame frame;
  std::unique_ptr<vst3host::Plugin> plugin;
  IPlugView* view = nullptr;
  Driver input{window, [this] { frame.Run(5); }};
};

TEST_F(Vst3X11View, EmbedsInAnX11WindowOnTheHostsRunLoop)
{
  EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultOk);
  EXPECT_NE(view->isPlatformTypeSupported("HWND"), kResultOk);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), kEditorWidth);
  EXPECT_EQ(size.getHeight(), kEditorHeight);
  EXPECT_NE(view->attached(AsParent(window.Handle()), "HWND"), kResultOk);
  EXPECT_TRUE(Children(window.Handle()).empty());

  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(AsParent(window.Handle()), "X11EmbedWindowID"), kResultOk);
  ASSERT_EQ(Children(window.Handle()).size(), 1u);
  const Window editor = Children(window.Handle())[0];
  EXPECT_EQ(frame.Handlers(), 1) << "the X connection's descriptor";
  EXPECT_EQ(frame.Timers(), 1);
  EXPECT_GT(frame.TimerPeriod(), 0u);
  EXPECT_LE(frame.TimerPeriod(), 40u) << "at least the editor's 25 frames a second";
  input.Pump(200);
  const int different = CountDifferent(Capture(editor, kEditorWidth, kEditorHeight), HeadlessReference());
  std::printf("VST3 X11 editor pixels differing from the headless drawing: %d\n", different);
  EXPECT_EQ(different, 0);

  // A knob dragged in the view: begin, values, end, as the host expects.
  const int p = FindParam(kTypeDouble, 0.2, 0.8);
  const Knob k = KnobOf(p);
  const double before = plugin->Normalized(p);
  input.Drag(k.centerX, k.knobY, 0, -20);
  EXPECT_NEAR(plugin->Normalized(p), before + 20.0 / (k.h * 4.0), 1e-9);
  std::vector<ComponentHandler::Call> edits;
  for (const auto& c : plugin->handler.Calls())
    if (c.id == static_cast<Steinberg::Vst::ParamID>(p)) edits.push_back(c);
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().kind, ComponentHandler::Call::kBegin);
  EXPECT_EQ(edits.back().kind, ComponentHandler::Call::kEnd);
  for (size_t i = 1; i + 1 < edits.size(); ++i) EXPECT_EQ(edits[i].kind, ComponentHandler::Call::kPerform) << i;

  // A generator button, through the run loop too.
  const std::vector<double> values = plugin->AllNormalized();
  const ControlBox random = ControlArea(5);
  input.Click((random.left + random.right) / 2, (random.top + random.bottom) / 2);
  EXPECT_NE(plugin->AllNormalized(), values);

  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_TRUE(Children(window.Handle()).empty()) << "removed closes the window";
  EXPECT_EQ(frame.Handlers(), 0);
  EXPECT_EQ(frame.Timers(), 0);
}

TEST_F(Vst3X11View, CannotAttachWithoutARunLoop)
{
  EXPECT_NE(view->attached(AsParent(window.Handle()), "X11EmbedWindowID"), kResultOk) << "no frame at all";
  RunLoopFrame bare(false);
  ASSERT_EQ(view->setFrame(&bare), kResultOk);
  const int descriptors = OpenDescriptors();
  EXPECT_NE(view->attached(AsParent(window.Handle()), "X11EmbedWindowID"), kResultOk);
  EXPECT_TRUE(Children(window.Handle()).empty());
  EXPECT_EQ(OpenDescriptors(), descriptors) << "the connection went with the window";
  // The same view attaches once the frame offers a run loop.
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(AsParent(window.Handle()), "X11EmbedWindowID"), kResultOk);
  EXPECT_EQ(Children(window.Handle()).size(), 1u);
  EXPECT_EQ(view->removed(), kResultOk);
}

TEST_F(Vst3X11View, DroppedWhileAttachedAndAttachedFiftyTimes)
{
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(AsParent(window.Handle()), "X11EmbedWindowID"), kResultOk);
  input.Pump(60);
  // The host lets go of the view without removing it first.
  view->release();
  view = nullptr;
  EXPECT_TRUE(Children(window.Handle()).empty());
  EXPECT_EQ(frame.Handlers(), 0);
  EXPECT_EQ(frame.Timers(), 0);

  const int windows = CountAllWindows(), descriptors = OpenDescriptors();
  view = plugin->controller->createView("editor");
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(view->attached(AsParent(window.Handle()), "X11EmbedWindowID"), kResultOk) << i;
    frame.Run(i % 10 == 0 ? 50 : 1);
    ASSERT_EQ(view->removed(), kResultOk);
  }
  XSync(HostDisplay(), False);
  EXPECT_EQ(CountAllWindows(), windows);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(frame.Handlers(), 0);
}

}  // namespace
