// The X11 editor window's life: the connection and child window, the image
// the frame is put through, and the idle calls that pump events and ticks.
#include "editor/x11/IGraphicsX11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <cstdint>
#include <cstdlib>

#include "editor/raster/LICE_Png.h"
#include "editor/x11/XErrorTrap.h"

namespace {

// X resources held by this module's editors.
int sLiveResources = 0;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask |
                            StructureNotifyMask;

// The pixel value of an 8-bit channel under a visual's channel mask.
unsigned long Channel(unsigned value, unsigned long mask)
{
  if (!mask) return 0;
  int shift = 0, bits = 0;
  while (!((mask >> shift) & 1)) ++shift;
  while ((mask >> (shift + bits)) & 1) ++bits;
  const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
  return (scaled << shift) & mask;
}

}  // namespace

int IGraphicsX11::LiveResources() { return sLiveResources; }

IGraphicsX11::IGraphicsX11(IPlugBase* plug, int width, int height, int fps) : IGraphicsDrawn(plug, width, height, fps)
{
}

IGraphicsX11::~IGraphicsX11() { CloseWindow(); }

void* IGraphicsX11::GetWindowHandle()
{
  return mWindow ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(mWindow)) : nullptr;
}

int IGraphicsX11::GetWindowEventFd() const { return mDisplay ? ConnectionNumber(mDisplay) : -1; }

void* IGraphicsX11::OpenWindow(void* parentWindow)
{
  const Window parent = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parentWindow));
  if (!parent) return nullptr;
  int x = 0, y = 0;
  unsigned w = static_cast<unsigned>(Width()), h = static_cast<unsigned>(Height());
  if (mWindow) {
    // A second open takes the place and size of the window it replaces.
    Window root;
    unsigned border, depth;
    XGetGeometry(mDisplay, mWindow, &root, &x, &y, &w, &h, &border, &depth);
  }
  CloseWindow();

  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay) return nullptr;
  ++sLiveResources;
  bool ok = false;
  {
    XErrorTrap trap(mDisplay);
    XWindowAttributes parentAttributes;
    if (XGetWindowAttributes(mDisplay, parent, &parentAttributes) && !trap.Failed()) {
      XSetWindowAttributes attributes = {};
      attributes.event_mask = kEventMask;
      // No background: the whole window is always painted from the frame.
      attributes.background_pixmap = None;
      mWindow = XCreateWindow(mDisplay, parent, x, y, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
                              CWEventMask | CWBackPixmap, &attributes);
      if (mWindow) {
        ++sLiveResources;
        XStoreName(mDisplay, mWindow, "IPlug");
        mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
        ++sLiveResources;
        mParent = parent;
        CreateFrame();
        ok = CreateImage() && !trap.Failed();
        if (ok) XMapWindow(mDisplay, mWindow);
        ok = ok && !trap.Failed();
      }
    }
  }
  if (!ok) {
    CloseWindow();
    return nullptr;
  }
  SetAllControlsDirty();
  XFlush(mDisplay);
  return GetWindowHandle();
}

bool IGraphicsX11::CreateImage()
{
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(mDisplay, mWindow, &attributes) || !GetFrame() || !GetFrame()->GetBits()) return false;
  Visual* visual = attributes.visual;
  mVisual = visual;
  const int depth = attributes.depth;
  LICE_IBitmap* frame = GetFrame();
  mDirectImage = depth == 24 && visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                 visual->blue_mask == 0xFF && ImageByteOrder(mDisplay) == LSBFirst;
  if (mDirectImage) {
    mImage = XCreateImage(mDisplay, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                          reinterpret_cast<char*>(frame->GetBits()), static_cast<unsigned>(frame->GetWidth()),
                          static_cast<unsigned>(frame->GetHeight()), 32, frame->GetRowSpan() * 4);
    if (mImage && mImage->bits_per_pixel == 32) return true;
    if (mImage) {
      mImage->data = nullptr;
      XDestroyImage(mImage);
    }
    mDirectImage = false;
  }
  mImage = XCreateImage(mDisplay, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                        static_cast<unsigned>(frame->GetWidth()), static_cast<unsigned>(frame->GetHeight()), 32, 0);
  if (!mImage) return false;
  // XDestroyImage frees this with free().
  mImage->data = static_cast<char*>(std::calloc(static_cast<size_t>(mImage->bytes_per_line), mImage->height));
  return mImage->data != nullptr;
}

void IGraphicsX11::CloseWindow()
{
  if (!mDisplay) return;
  ResetWindowState();
  {
    XErrorTrap trap(mDisplay);
    if (mCursorHidden) ShowMouseCursor();
    DestroyCursor();
    if (mImage) {
      // The frame's own pixels are not Xlib's to free.
      if (mDirectImage) mImage->data = nullptr;
      XDestroyImage(mImage);
      mImage = nullptr;
    }
    if (mGC) {
      XFreeGC(mDisplay, mGC);
      mGC = nullptr;
      --sLiveResources;
    }
    // A host that destroyed its window first took ours with it.
    if (mWindow) XDestroyWindow(mDisplay, mWindow);
  }
  if (mWindow || mParent) --sLiveResources;
  mWindow = mParent = mTopLevel = 0;
  XCloseDisplay(mDisplay);
  mDisplay = nullptr;
  --sLiveResources;
  ReleaseFrame();
}

bool IGraphicsX11::BlitToWindow(const IRect& r)
{
  LICE_IBitmap* frame = GetFrame();
  if (!mDisplay || !mWindow || !mImage || !frame) return false;
  if (!mDirectImage) {
    const Visual* visual = static_cast<const Visual*>(mVisual);
    for (int y = r.T; y < r.B; ++y) {
      const LICE_pixel* row = LICE_Row(frame, y);
      for (int x = r.L; x < r.R; ++x) {
        const LICE_pixel p = row[x];
        XPutPixel(mImage, x, y,
                  Channel(LICE_GETR(p), visual->red_mask) | Channel(LICE_GETG(p), visual->green_mask) |
                      Channel(LICE_GETB(p), visual->blue_mask));
      }
    }
  }
  XPutImage(mDisplay, mWindow, mGC, mImage, r.L, r.T, r.L, r.T, static_cast<unsigned>(r.W()),
            static_cast<unsigned>(r.H()));
  XFlush(mDisplay);
  return true;
}

void IGraphicsX11::Resize(int width, int height)
{
  if (width == Width() && height == Height()) return;
  IGraphicsDrawn::Resize(width, height);
  if (!mDisplay || !mWindow) return;
  XErrorTrap trap(mDisplay);
  if (mImage) {
    if (mDirectImage) mImage->data = nullptr;
    XDestroyImage(mImage);
    mImage = nullptr;
  }
  CreateImage();
  XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(width), static_cast<unsigned>(height));
}

void IGraphicsX11::OnHostIdle()
{
  if (!mDisplay) return;
  XErrorTrap trap(mDisplay);
  WaitForEvents(0);
  if (mWindow) TickIfDue();
  XFlush(mDisplay);
}

bool IGraphicsX11::WaitForEvents(int timeoutMs)
{
  if (!mDisplay || !mWindow) return false;
  if (timeoutMs > 0 && !XPending(mDisplay)) {
    pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&fd, 1, timeoutMs);
  }
  while (mDisplay && XPending(mDisplay)) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    HandleEvent(event);
  }
  return mWindow != 0;
}

void IGraphicsX11::TakeFocus()
{
  if (!mDisplay || !mWindow) return;
  // Fails harmlessly while the host has not shown its window yet.
  XErrorTrap trap(mDisplay);
  XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
}

LICE_IBitmap* IGraphicsX11::LoadPlatformBitmap(int id, const char* fileName) { return LoadPngResource(id, fileName); }

void IGraphicsX11::DestroyCursor()
{
  if (mBlankCursor) {
    XFreeCursor(mDisplay, mBlankCursor);
    mBlankCursor = 0;
    --sLiveResources;
  }
  if (mBlankPixmap) {
    XFreePixmap(mDisplay, mBlankPixmap);
    mBlankPixmap = 0;
    --sLiveResources;
  }
}

void IGraphicsX11::HideMouseCursor()
{
  if (mCursorHidden || !mDisplay || !mWindow) return;
  Window root, child;
  int rootX = 0, rootY = 0, x, y;
  unsigned mask;
  XQueryPointer(mDisplay, mWindow, &root, &child, &rootX, &rootY, &x, &y, &mask);
  mHiddenCursorX = rootX;
  mHiddenCursorY = rootY;
  if (!mBlankCursor) {
    mBlankPixmap = XCreatePixmap(mDisplay, mWindow, 1, 1, 1);
    ++sLiveResources;
    XColor black = {};
    mBlankCursor = XCreatePixmapCursor(mDisplay, mBlankPixmap, mBlankPixmap, &black, &black, 0, 0);
    ++sLiveResources;
  }
  XDefineCursor(mDisplay, mWindow, mBlankCursor);
  mCursorHidden = true;
}

void IGraphicsX11::ShowMouseCursor()
{
  if (!mCursorHidden || !mDisplay) return;
  if (mWindow) {
    XWarpPointer(mDisplay, None, DefaultRootWindow(mDisplay), 0, 0, 0, 0, mHiddenCursorX, mHiddenCursorY);
    XUndefineCursor(mDisplay, mWindow);
  }
  mCursorHidden = false;
}
