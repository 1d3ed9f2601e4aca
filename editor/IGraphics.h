#pragma once
// The platform-independent editor: the ordered control list (index 0 is the
// background, later controls lie on top), the off-screen draw bitmap, the
// dirty-region redraw, event routing to the control under the pointer, and
// the parameter traffic between controls and the plug-in. A platform subclass
// (the Windows window, or the headless one) supplies the window, the timer
// and the native menus and dialogs through the pure virtual operations.
//
// Threads: everything runs on the editor thread except SetParameterFromHost,
// SetControlValueFromPlugin and SetAllControlsDirty, which the plug-in calls
// from its parameter and audio threads while holding its own mutex. Those
// only read the control list, which is fixed once the layout is built, and
// touch the controls' atomic value and dirty state.
#include <memory>
#include <string>
#include <vector>

#include "editor/IControl.h"
#include "editor/IGraphicsStructs.h"
#include "editor/IPopupMenu.h"
#include "editor/raster/LICE_Bitmap.h"
#include "framework/IEditorLink.h"

class IParameter;
class IPlugBase;

class IGraphics : public IEditorLink {
public:
  IGraphics(IPlugBase* plug, int width, int height, int fps = 25);
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Platform operations ----
  // Copies rect of the draw bitmap to the window.
  virtual bool PresentToScreen(const IRect& rect) = 0;
  virtual bool MeasureText(IText& text, const char* str, IRect& rect);
  virtual void CancelTextEntry() = 0;
  // Base part: new size, every control deleted, draw bitmaps remade, the
  // plug-in told. The platform part resizes the window.
  virtual void Resize(int width, int height);
  virtual bool IsWindowOpen() { return GetWindowHandle() != nullptr; }
  virtual const char* GetDrawingBackendName() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Returns the (sub)menu in which the user chose an item, which records the
  // item index; null when the menu was dismissed.
  virtual IPopupMenu* ShowPopupMenu(IPopupMenu* menu, const IRect& rect) = 0;
  virtual void ShowTextEntry(IControl* control, const IText& text, const IRect& rect, const char* initial,
                             IParameter* param) = 0;
  virtual void GetHostDirectory(std::string& out) = 0;
  virtual void GetModuleDirectory(std::string& out) = 0;
  virtual void GetDesktopDirectory(std::string& out) = 0;
  virtual void GetAppDataDirectory(std::string& out, bool systemWide) = 0;
  virtual void GetUserAppDataDirectory(std::string& out) { GetAppDataDirectory(out, false); }
  // action 1 saves, anything else opens; fileName comes back empty on cancel.
  virtual void PromptForFile(std::string& fileName, int action, std::string& directory, const char* extensions) = 0;
  virtual bool PromptForColor(IColor& color, const char* prompt) = 0;
  virtual bool OpenUrl(const char* url, const char* title, const char* confirmation, const char* error) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  virtual void* GetWindowHandle() = 0;
  virtual bool GetTextFromClipboard(std::string& out) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  // A new image the caller owns (the bitmap cache, in practice), or null.
  virtual LICE_IBitmap* LoadPlatformBitmap(int id, const char* fileName) = 0;

  // ---- Windows that live on the host's event loop ----
  // Whether OpenWindow can put the editor inside a host's window. A back-end
  // without one (headless) is never offered to hosts.
  virtual bool CanOpenHostWindow() const { return false; }
  // A descriptor that turns readable when window events wait, or -1 when the
  // window system delivers them itself (Windows).
  virtual int GetWindowEventFd() const { return -1; }
  // Handles the waiting window events and redraws when a timer period has
  // passed. Hosts without a message loop of ours call it regularly (VST2
  // editor idle, the VST3 run loop's timer and descriptor callbacks).
  virtual void OnHostIdle() {}

  // ---- What the plug-in base needs ----
  void SetParameterFromHost(int paramIdx, double value, bool normalized) override;
  void CreateDrawBitmaps() override;

  // ---- Building ----
  // The list owns the control from now on.
  void AttachControl(IControl* control);
  // An unbound one-frame image control, copied without blending, at index 0.
  void AttachBackground(int id, const char* fileName);
  // The image cached under id (loaded on first use), as a strip of nFrames.
  IBitmap LoadBitmap(int id, const char* fileName, int nFrames = 1, bool framesAreHorizontal = false);
  // Keys that reach no control go here; the graphics object owns it.
  void SetKeyCatcher(IControl* control);

  // ---- Drawing ----
  bool CollectDirtyRect(IRect* rect);
  bool Draw(const IRect& rect);
  bool DrawBitmap(const IBitmap& bitmap, const IRect& dest, int srcX, int srcY, const IBlend* blend = nullptr);
  // Draws the string into rect of the draw bitmap with a native font.
  bool DrawIText(IText& text, const char* str, IRect& rect);

  // ---- Events, in client coordinates ----
  void OnMouseDown(int x, int y, const IMouseMod& mod);
  void OnMouseUp(int x, int y, const IMouseMod& mod);
  void OnMouseDrag(int x, int y, const IMouseMod& mod);
  bool OnMouseDblClick(int x, int y, const IMouseMod& mod);
  bool OnMouseOver(int x, int y, const IMouseMod& mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  int FindControlAt(int x, int y, bool forMouseOver = false);
  void ReleaseMouseCapture();

  // ---- Parameter values ----
  void SetControlValueFromPlugin(int controlIdx, double value);
  void SetControlsFromUserValue(int paramIdx, double normalizedValue);
  // Every control marked for the next pass; nothing goes back to the plug-in.
  void SetAllControlsDirty();
  void PromptForParameterValue(IControl* control, IParameter* param, const IRect& rect);

  // ---- Accessors ----
  IPlugBase* GetPlug() const { return mPlug; }
  int NControls() const { return static_cast<int>(mControls.size()); }
  IControl* GetControl(int idx) const { return idx >= 0 && idx < NControls() ? mControls[idx] : nullptr; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  LICE_IBitmap* GetDrawBitmap() const { return mDrawBitmap.get(); }
  const IRect& GetDrawRect() const { return mDrawRECT; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }
  bool HandlesMouseOver() const { return mHandleMouseOver; }
  void SetStrictDrawing(bool strict) { mStrict = strict; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  bool TooltipsEnabled() const { return mEnableTooltips; }

protected:
  // Applies text typed for control: through the parameter's display texts or
  // as a decimal number when it has a parameter, else to the control itself.
  void ApplyTextEntry(IControl* control, IParameter* param, const char* text);
  void SetMousePosition(int x, int y)
  {
    mMouseX = x;
    mMouseY = y;
  }
  void SetMouseCapture(int idx) { mMouseCapture = idx; }

  bool mCursorHidden = false;
  int mHiddenCursorX = -1, mHiddenCursorY = -1;

private:
  bool DrawOrMeasureText(IText& text, const char* str, IRect& rect, bool measure);
  void DeleteControls();
  // Ends the host edit gesture a press opened, if one is open.
  void EndGesture();

  IPlugBase* mPlug;
  std::vector<IControl*> mControls;
  IRect mDrawRECT;
  std::unique_ptr<LICE_SysBitmap> mDrawBitmap;
  std::unique_ptr<LICE_MemBitmap> mTmpBitmap;
  int mWidth, mHeight, mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  // Parameter whose host edit gesture is open, so that every begin gets
  // exactly one end.
  int mGestureParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  std::unique_ptr<IControl> mKeyCatcher;
};
