#pragma once
// The graphics object without a window, for the tests and the command-line
// tool: the editor is built, driven and drawn exactly as in a host, but
// presenting only records what would have been copied to the screen, native
// menus and text fields answer from a script, and images come from the
// module's embedded resources or from images registered in memory.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "editor/IGraphics.h"

class IGraphicsHeadless : public IGraphics {
public:
  struct MenuRecord {
    std::vector<std::string> texts;  // as shown, with prefixes
    std::vector<int> flags;
    IRect rect;
  };
  struct TextEntryRecord {
    IControl* control;
    IRect rect;
    std::string initial;
    IParameter* param;
    int maxLength;
  };

  IGraphicsHeadless(IPlugBase* plug, int width, int height, int fps = 25);
  ~IGraphicsHeadless() override;

  // ---- Images (checked before the module's resources). The bitmap cache is
  // process-wide and keeps the first image loaded under an id, so register
  // before the first LoadBitmap of that id. ----
  void RegisterPng(int id, std::vector<unsigned char> bytes);
  void RegisterPixels(int id, int width, int height, std::vector<LICE_pixel> pixels);

  // ---- Script for the native parts ----
  // The next popup menu picks this command id (items numbered as the native
  // menu does, submenus included); -1 dismisses it. With nothing queued, menus
  // are dismissed.
  void QueueMenuChoice(int commandId) { mMenuChoices.push_back(commandId); }
  // The next text field is typed into and committed at once. With nothing
  // queued, the field stays open until CommitTextEntry or CancelTextEntry.
  void QueueTextEntry(const std::string& text) { mTextEntries.push_back(text); }
  bool CommitTextEntry(const char* text);
  bool TextEntryOpen() const { return mTextEntryOpen; }
  void SetClipboardText(const std::string& text) { mClipboard = text; }
  void SetMessageBoxResult(int result) { mMessageBoxResult = result; }

  // ---- What happened ----
  const std::vector<IRect>& Presented() const { return mPresented; }
  void ClearPresented() { mPresented.clear(); }
  const std::vector<MenuRecord>& MenusShown() const { return mMenus; }
  const std::vector<TextEntryRecord>& TextEntriesShown() const { return mTextEntryRecords; }
  const std::vector<std::string>& MessagesShown() const { return mMessages; }
  const std::vector<std::string>& UrlsOpened() const { return mUrls; }

  // One timer tick of the window: draws the dirty region, if any. True when
  // something was drawn.
  bool Tick();

  // ---- Platform operations ----
  bool PresentToScreen(const IRect& rect) override;
  void CancelTextEntry() override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* ShowPopupMenu(IPopupMenu* menu, const IRect& rect) override;
  void ShowTextEntry(IControl* control, const IText& text, const IRect& rect, const char* initial,
                     IParameter* param) override;
  void GetHostDirectory(std::string& out) override { out.clear(); }
  void GetModuleDirectory(std::string& out) override { out.clear(); }
  void GetDesktopDirectory(std::string& out) override { out.clear(); }
  void GetAppDataDirectory(std::string& out, bool) override { out.clear(); }
  void PromptForFile(std::string& fileName, int action, std::string& directory, const char* extensions) override;
  bool PromptForColor(IColor&, const char*) override { return false; }
  bool OpenUrl(const char* url, const char* title, const char* confirmation, const char* error) override;
  // The "window" is a flag: opening marks every control dirty, as a real
  // window's first paint needs.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override { mWindowOpen = false; }
  void* GetWindowHandle() override { return mWindowOpen ? this : nullptr; }
  bool GetTextFromClipboard(std::string& out) override;
  LICE_IBitmap* LoadPlatformBitmap(int id, const char* fileName) override;

private:
  struct Pixels {
    int width, height;
    std::vector<LICE_pixel> data;
  };

  std::map<int, std::vector<unsigned char>> mPngs;
  std::map<int, Pixels> mPixels;
  std::deque<int> mMenuChoices;
  std::deque<std::string> mTextEntries;
  std::vector<IRect> mPresented;
  std::vector<MenuRecord> mMenus;
  std::vector<TextEntryRecord> mTextEntryRecords;
  std::vector<std::string> mMessages;
  std::vector<std::string> mUrls;
  std::string mClipboard;
  int mMessageBoxResult = 1;
  bool mWindowOpen = false;
  bool mTextEntryOpen = false;
};
