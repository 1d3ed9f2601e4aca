// The editor opened through the VST3 module's view: only Windows windows,
// the real window or a failure, the editor's size, and a view that may be
// dropped by its host at any point.
#include <gtest/gtest.h>

#include <memory>

#include "framework/IParameter.h"
#include "pluginterfaces/gui/iplugview.h"
#include "tests/hosts/editor/EditorHost.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace edhost;
using Steinberg::IPlugView;
using Steinberg::kResultOk;
using Steinberg::ViewRect;
using vst3host::ComponentHandler;

namespace {

HMODULE Vst3Module() { return GetModuleHandleA("Vorblex.vst3"); }

class Vst3EditorView : public ::testing::Test {
protected:
  void SetUp() override
  {
    plugin = vst3host::Plugin::Create();
    ASSERT_NE(plugin, nullptr);
    plugin->Start();
    view = plugin->controller->createView("editor");
    ASSERT_NE(view, nullptr);
  }
  void TearDown() override
  {
    if (view) view->release();
    plugin.reset();
    Pump(10);
  }

  HostWindow window;
  std::unique_ptr<vst3host::Plugin> plugin;
  IPlugView* view = nullptr;
};

TEST_F(Vst3EditorView, OpensTheRealWindowInAWindowsParentOnly)
{
  EXPECT_EQ(view->isPlatformTypeSupported("HWND"), kResultOk);
  EXPECT_NE(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultOk);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), kEditorWidth);
  EXPECT_EQ(size.getHeight(), kEditorHeight);

  EXPECT_NE(view->attached(window.Handle(), "X11EmbedWindowID"), kResultOk);
  EXPECT_EQ(FindEditor(window.Handle()), nullptr);
  EXPECT_NE(view->attached(nullptr, "HWND"), kResultOk);

  ASSERT_EQ(view->attached(window.Handle(), "HWND"), kResultOk);
  HWND editor = FindEditor(window.Handle());
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(EditorClassRegistered(Vst3Module()));
  Pump(200);
  const int different = CountDifferent(Capture(editor), HeadlessReference());
  std::printf("VST3 editor pixels differing from the headless drawing: %d\n", different);
  EXPECT_EQ(different, 0);

  // A knob dragged in the view: begin, values, end, as the host expects.
  const int p = FindParam(kTypeDouble, 0.2, 0.8);
  const Knob k = KnobOf(p);
  const double before = plugin->Normalized(p);
  Drag(editor, k.centerX, k.knobY, 0, -20);
  EXPECT_NEAR(plugin->Normalized(p), before + 20.0 / (k.h * 4.0), 1e-9);
  std::vector<ComponentHandler::Call> edits;
  for (const auto& c : plugin->handler.Calls())
    if (c.id == static_cast<Steinberg::Vst::ParamID>(p)) edits.push_back(c);
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().kind, ComponentHandler::Call::kBegin);
  EXPECT_EQ(edits.back().kind, ComponentHandler::Call::kEnd);
  for (size_t i = 1; i + 1 < edits.size(); ++i) EXPECT_EQ(edits[i].kind, ComponentHandler::Call::kPerform) << i;

  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(FindEditor(window.Handle()), nullptr) << "removed closes the window";
  EXPECT_FALSE(EditorClassRegistered(Vst3Module())) << "the last window took the class with it";
}

TEST_F(Vst3EditorView, DroppedBeforeOrAfterAttaching)
{
  // Before: nothing was opened, nothing is left.
  view->release();
  view = nullptr;
  EXPECT_EQ(FindEditor(window.Handle()), nullptr);

  // After, without removing it first: the window goes with the view.
  view = plugin->controller->createView("editor");
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->attached(window.Handle(), "HWND"), kResultOk);
  EXPECT_NE(FindEditor(window.Handle()), nullptr);
  Pump(60);
  view->release();
  view = nullptr;
  EXPECT_EQ(FindEditor(window.Handle()), nullptr);
  EXPECT_FALSE(EditorClassRegistered(Vst3Module()));
}

TEST_F(Vst3EditorView, AttachFailsWhenNoWindowCanBeMade)
{
  HWND gone = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  EXPECT_NE(view->attached(gone, "HWND"), kResultOk);
  EXPECT_FALSE(EditorClassRegistered(Vst3Module())) << "the failed open gave the class back";
  // The same view still opens in a real window afterwards.
  ASSERT_EQ(view->attached(window.Handle(), "HWND"), kResultOk);
  EXPECT_NE(FindEditor(window.Handle()), nullptr);
  EXPECT_EQ(view->removed(), kResultOk);
}

}  // namespace
