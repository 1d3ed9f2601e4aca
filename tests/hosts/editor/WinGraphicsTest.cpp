// IGraphicsWin in this process, on a small plug-in: what the modules' editor
// does not show through its controls (submenu numbering, item states, the
// text field's states, resizing the host's window, clipboard, folders,
// resources) checked directly against the native objects.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "editor/IControl.h"
#include "editor/win/IGraphicsWin.h"
#include "tests/hosts/editor/EditorHost.h"
#include "tests/hosts/editor/MenuDriver.h"
#include "tests/support/TestPlug.h"

using namespace edhost;

namespace {

class PlainControl : public IControl {
public:
  PlainControl(IPlugBase* plug, const IRect& rect, int param) : IControl(plug, rect, param) {}
  bool Draw(IGraphics*) override { return true; }
};

struct WinEditor {
  WinEditor(int w = 200, int h = 100) : gfx(new IGraphicsWin(&plug, w, h))
  {
    control = new PlainControl(&plug, IRect(10, 10, 60, 40), kPitchHighNote);
    gfx->AttachControl(control);
    plug.AttachEditor(gfx);
  }
  TestPlug plug;
  IGraphicsWin* gfx;  // owned by plug
  PlainControl* control;
};

TEST(WinGraphics, MenusNumberEveryItemDepthFirstAndKeepTheirStates)
{
  WinEditor e;
  HostWindow host(300, 200);
  ASSERT_NE(e.gfx->OpenWindow(host.Handle()), nullptr);
  EXPECT_STREQ(e.gfx->GetDrawingBackendName(), "Windows GDI");

  IPopupMenu menu(IPopupMenu::kPrefixTwoDigits);
  menu.AddItem("plain");
  auto* sub = new IPopupMenu;
  sub->AddItem("inner");
  sub->AddItem("ticked", IPopupMenu::kItemChecked);
  menu.AddItem("more", 0, sub);
  menu.AddItem("grey", IPopupMenu::kItemDisabled);
  menu.AddItem("title", IPopupMenu::kItemTitle);
  menu.AddSeparator();

  std::string texts[2];
  UINT ids[5] = {}, subIds[2] = {}, states[5] = {};
  MenuDriver look(MenuDriver::kDismiss, 0, [&](HMENU h) {
    char text[64];
    GetMenuStringA(h, 0, text, sizeof(text), MF_BYPOSITION);
    texts[0] = text;
    for (int i = 0; i < 5; ++i) {
      ids[i] = GetMenuItemID(h, i);
      states[i] = GetMenuState(h, i, MF_BYPOSITION);
    }
    HMENU inner = GetSubMenu(h, 1);
    GetMenuStringA(inner, 0, text, sizeof(text), MF_BYPOSITION);
    texts[1] = text;
    for (int i = 0; i < 2; ++i) subIds[i] = GetMenuItemID(inner, i);
    EXPECT_TRUE(GetMenuState(inner, 1, MF_BYPOSITION) & MF_CHECKED);
  });
  EXPECT_EQ(e.gfx->ShowPopupMenu(&menu, IRect(10, 10, 60, 40)), nullptr) << "dismissed";
  ASSERT_TRUE(look.SawMenu());
  EXPECT_EQ(texts[0], "01: plain");
  EXPECT_EQ(texts[1], "inner");
  // A menu's own items first (0 to 4), then its submenu's (5, 6).
  EXPECT_EQ(ids[0], 0u);
  EXPECT_EQ(ids[1], static_cast<UINT>(-1)) << "a submenu has no command";
  EXPECT_EQ(ids[2], 2u);
  EXPECT_EQ(subIds[0], 5u);
  EXPECT_EQ(subIds[1], 6u);
  EXPECT_TRUE(states[2] & MF_GRAYED);
  EXPECT_TRUE(states[3] & MF_DISABLED);
  EXPECT_FALSE(states[3] & MF_GRAYED) << "a title is inactive but not greyed";
  EXPECT_TRUE(states[4] & MF_SEPARATOR);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);

  // The first item has command 0, which must still count as a choice.
  MenuDriver pick(MenuDriver::kChoose, 0);
  EXPECT_EQ(e.gfx->ShowPopupMenu(&menu, IRect(10, 10, 60, 40)), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 0);
  e.gfx->CloseWindow();
}

TEST(WinGraphics, TextFieldStates)
{
  WinEditor e;
  HostWindow host(300, 200);
  HWND editor = static_cast<HWND>(e.gfx->OpenWindow(host.Handle()));
  ASSERT_NE(editor, nullptr);
  const IText text(12);
  e.gfx->ShowTextEntry(e.control, text, IRect(10, 20, 60, 36), "42", e.plug.GetParameter(kPitchHighNote));
  HWND field = e.gfx->GetTextEntryWindow();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(GetDlgCtrlID(field), IGraphicsWin::kTextEntryChildId);
  EXPECT_EQ(static_cast<unsigned long>(GetWindowLongPtrA(field, GWLP_USERDATA)) & 0xFFFFFFFFul,
            IGraphicsWin::kTextEntryMarker);
  RECT r;
  GetWindowRect(field, &r);
  EXPECT_EQ(r.right - r.left, 51) << "width R - L + 1";
  EXPECT_EQ(r.bottom - r.top, 17);
  EXPECT_EQ(e.gfx->GetTextEntryState(), IGraphicsWin::kTextEntryEditing) << "the field has the focus";
  EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), 7);

  e.gfx->CancelTextEntry();
  EXPECT_EQ(e.gfx->GetTextEntryWindow(), nullptr);
  EXPECT_FALSE(IsWindow(field));

  // Typing a value for a parameter: Enter asks, the tick commits.
  e.gfx->ShowTextEntry(e.control, text, IRect(10, 20, 60, 36), "42", e.plug.GetParameter(kPitchHighNote));
  field = e.gfx->GetTextEntryWindow();
  SendMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(e.gfx->GetTextEntryState(), IGraphicsWin::kTextEntryCancel);
  SendMessageA(editor, WM_TIMER, IGraphicsWin::kTimerId, 0);
  EXPECT_EQ(e.gfx->GetTextEntryWindow(), nullptr);
  EXPECT_EQ(e.gfx->GetTextEntryState(), IGraphicsWin::kTextEntryNone);
  e.gfx->CloseWindow();
}

TEST(WinGraphics, ResizeGrowsTheHostWindowByTheSameAmount)
{
  WinEditor e(200, 100);
  HostWindow host(200, 100);
  HWND editor = static_cast<HWND>(e.gfx->OpenWindow(host.Handle()));
  ASSERT_NE(editor, nullptr);
  e.gfx->Resize(250, 130);
  RECT r;
  GetWindowRect(editor, &r);
  EXPECT_EQ(r.right - r.left, 250);
  EXPECT_EQ(r.bottom - r.top, 130);
  GetWindowRect(host.Handle(), &r);
  EXPECT_EQ(r.right - r.left, 250) << "a VST2 host's window follows";
  EXPECT_EQ(r.bottom - r.top, 130);
  EXPECT_EQ(e.gfx->GetMainWnd(), host.Handle());
  e.gfx->CloseWindow();
}

TEST(WinGraphics, SystemServices)
{
  WinEditor e;
  std::string dir;
  e.gfx->GetModuleDirectory(dir);
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  e.gfx->GetHostDirectory(dir);
  EXPECT_EQ(dir.back(), '\\');
  e.gfx->GetAppDataDirectory(dir, false);
  EXPECT_FALSE(dir.empty());

  // Without a window there is nothing to own a dialog.
  std::string file = "old.png", folder;
  e.gfx->PromptForFile(file, 1, folder, "png jpg");
  EXPECT_TRUE(file.empty());
  IColor colour(255, 1, 2, 3);
  EXPECT_FALSE(e.gfx->PromptForColor(colour, "Pick"));

  // Images come from the resources of the module the editor belongs to.
  std::unique_ptr<LICE_IBitmap> image(e.gfx->LoadPlatformBitmap(102, "resources/img/Background.PNG"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), kEditorWidth);
  EXPECT_EQ(image->GetHeight(), kEditorHeight);
  EXPECT_EQ(e.gfx->LoadPlatformBitmap(102, "Background.png.bak"), nullptr);
  EXPECT_EQ(e.gfx->LoadPlatformBitmap(99, "missing.png"), nullptr);

  // Clipboard text arrives as UTF-8.
  HostWindow host(100, 100);
  ASSERT_TRUE(OpenClipboard(host.Handle()));
  EmptyClipboard();
  const wchar_t wide[] = L"Gr\u00fc\u00dfe 440";
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, sizeof(wide));
  std::memcpy(GlobalLock(data), wide, sizeof(wide));
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
  std::string text;
  EXPECT_TRUE(e.gfx->GetTextFromClipboard(text));
  EXPECT_EQ(text, "Gr\xc3\xbc\xc3\x9f" "e 440");
}

}  // namespace
