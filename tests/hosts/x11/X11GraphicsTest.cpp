// The X11 back-end on its own, without a module around it: every X resource
// it makes (connection, window, graphics context, the blank cursor and its
// pixmap) is given back when the window closes, fifty times over.
#include <gtest/gtest.h>

#include "editor/x11/IGraphicsX11.h"
#include "tests/hosts/editor/EditorFacts.h"
#include "tests/hosts/x11/X11Host.h"

using namespace x11host;

TEST(X11Graphics, EveryResourceGoesWithTheWindow)
{
  HostWindow window(edhost::kEditorWidth, edhost::kEditorHeight);
  IGraphicsX11 graphics(nullptr, edhost::kEditorWidth, edhost::kEditorHeight);
  graphics.CreateDrawBitmaps();
  EXPECT_TRUE(graphics.CanOpenHostWindow());
  EXPECT_EQ(graphics.GetWindowEventFd(), -1) << "no connection while closed";
  EXPECT_EQ(graphics.OpenWindow(nullptr), nullptr) << "a child window needs a parent";
  EXPECT_EQ(IGraphicsX11::LiveResources(), 0);

  XSync(HostDisplay(), False);
  const int windows = CountAllWindows(), descriptors = OpenDescriptors();
  void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.Handle()));
  for (int i = 0; i < 50; ++i) {
    ASSERT_NE(graphics.OpenWindow(parent), nullptr) << i;
    EXPECT_GE(graphics.GetWindowEventFd(), 0);
    graphics.HideMouseCursor();
    graphics.OnHostIdle();
    graphics.ShowMouseCursor();
    EXPECT_EQ(IGraphicsX11::LiveResources(), 5) << "connection, window, context, cursor, pixmap";
    graphics.CloseWindow();
    EXPECT_EQ(IGraphicsX11::LiveResources(), 0) << i;
  }
  XSync(HostDisplay(), False);
  EXPECT_EQ(CountAllWindows(), windows);
  EXPECT_EQ(OpenDescriptors(), descriptors);

  // The host destroys its window first: closing afterwards is quiet.
  ASSERT_NE(graphics.OpenWindow(parent), nullptr);
  {
    HostWindow doomed(100, 100);
    void* doomedParent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(doomed.Handle()));
    ASSERT_NE(graphics.OpenWindow(doomedParent), nullptr) << "reopened in another parent";
  }
  graphics.OnHostIdle();
  EXPECT_EQ(graphics.GetWindowHandle(), nullptr) << "the window went with its parent";
  graphics.CloseWindow();
  EXPECT_EQ(IGraphicsX11::LiveResources(), 0);
}
