// X events of the editor window: pointer, keys and focus become the calls of
// IGraphicsDrawn; keys it does not use go on to the host's top-level window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>

#include "editor/x11/IGraphicsX11.h"
#include "editor/x11/XErrorTrap.h"

namespace {

constexpr int kClipboardWaitMs = 500;

// Modifiers as Windows reports them: a press already counts its own button,
// a release no longer does.
IMouseMod MouseMod(unsigned state, unsigned button, bool press)
{
  bool left = (state & Button1Mask) != 0, right = (state & Button3Mask) != 0;
  if (button == Button1) left = press;
  if (button == Button3) right = press;
  return IMouseMod(left, right, (state & ShiftMask) != 0, (state & ControlMask) != 0, (state & Mod1Mask) != 0);
}

IGraphicsDrawn::KeyInput KeyFromSym(KeySym sym, unsigned state, const char* text, int length)
{
  IGraphicsDrawn::KeyInput key;
  if (sym >= XK_0 && sym <= XK_9) key.code = kKeyDigit0 + static_cast<int>(sym - XK_0);
  if (sym >= XK_a && sym <= XK_z) key.code = kKeyLetterA + static_cast<int>(sym - XK_a);
  if (sym >= XK_A && sym <= XK_Z) key.code = kKeyLetterA + static_cast<int>(sym - XK_A);
  switch (sym) {
    case XK_space: key.code = kKeySpace; break;
    case XK_Up: key.code = kKeyUp; break;
    case XK_Down: key.code = kKeyDown; break;
    case XK_Left: key.code = kKeyLeft; break;
    case XK_Right: key.code = kKeyRight; break;
    case XK_Return:
    case XK_KP_Enter: key.code = IGraphicsDrawn::kKeyEnter; break;
    case XK_Escape: key.code = IGraphicsDrawn::kKeyEscape; break;
    case XK_BackSpace: key.code = IGraphicsDrawn::kKeyBackspace; break;
    default: break;
  }
  const bool control = (state & ControlMask) != 0;
  if (control && (sym == XK_v || sym == XK_V)) key.code = IGraphicsDrawn::kKeyPaste;
  if (!control && length == 1 && text[0] >= ' ' && text[0] < 127) key.character = text[0];
  return key;
}

}  // namespace

void IGraphicsX11::HandleEvent(XEvent& event)
{
  const unsigned long now = Now();
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      mExposed = mExposed.Union(IRect(e.x, e.y, e.x + e.width, e.y + e.height));
      if (e.count == 0) {
        const IRect rect = mExposed;
        mExposed = IRect();
        OnExpose(rect);
      }
      break;
    }
    case ButtonPress:
      OnButtonPress(static_cast<int>(event.xbutton.button), event.xbutton.x, event.xbutton.y,
                    MouseMod(event.xbutton.state, event.xbutton.button, true), event.xbutton.time);
      break;
    case ButtonRelease:
      OnButtonRelease(static_cast<int>(event.xbutton.button), event.xbutton.x, event.xbutton.y,
                      MouseMod(event.xbutton.state, event.xbutton.button, false));
      break;
    case MotionNotify:
      // Only the latest of the moves queued back to back matters.
      while (XPending(mDisplay)) {
        XEvent next;
        XPeekEvent(mDisplay, &next);
        if (next.type != MotionNotify || next.xmotion.window != mWindow) break;
        XNextEvent(mDisplay, &event);
      }
      OnPointerMotion(event.xmotion.x, event.xmotion.y, MouseMod(event.xmotion.state, 0, false), now);
      break;
    case LeaveNotify:
      // Leaving while a button is held is part of a drag.
      if (event.xcrossing.mode == NotifyNormal && !(event.xcrossing.state & (Button1Mask | Button3Mask)))
        OnPointerLeave();
      break;
    case KeyPress:
    case KeyRelease: HandleKey(event); break;
    case FocusOut:
      // The focus really went elsewhere; not a grab, not a move into a child,
      // not the pointer-following focus that an explicit focus replaces.
      if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
          (event.xfocus.detail == NotifyAncestor || event.xfocus.detail == NotifyVirtual ||
           event.xfocus.detail == NotifyNonlinear || event.xfocus.detail == NotifyNonlinearVirtual))
        OnFocusOut();
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == mWindow) mWindow = 0;
      break;
    default: break;
  }
}

void IGraphicsX11::HandleKey(XEvent& event)
{
  char text[8] = {};
  KeySym sym = NoSymbol;
  const int length = XLookupString(&event.xkey, text, sizeof(text), &sym, nullptr);
  // While typing or in a menu every key is the editor's, releases included.
  const bool editorKeys = GetTextField() || GetMenu();
  if (event.type == KeyRelease) {
    if (!editorKeys) ForwardToTopLevel(event);
    return;
  }
  if (!OnKeyPress(KeyFromSym(sym, event.xkey.state, text, length))) ForwardToTopLevel(event);
}

unsigned long IGraphicsX11::TopLevel()
{
  if (mTopLevel || !mDisplay || !mParent) return mTopLevel;
  // The host's top-level window: the first ancestor a window manager manages
  // (it carries WM_STATE), else the one just below the root.
  const Atom wmState = XInternAtom(mDisplay, "WM_STATE", False);
  Window window = mParent;
  for (int depth = 0; depth < 64 && window; ++depth) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(mDisplay, window, wmState, 0, 0, False, AnyPropertyType, &type, &format, &items, &after,
                           &data) == Success) {
      if (data) XFree(data);
      if (type != None) return mTopLevel = window;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(mDisplay, window, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == root) return mTopLevel = window;
    window = parent;
  }
  return mTopLevel;
}

void IGraphicsX11::ForwardToTopLevel(XEvent& event)
{
  const Window target = TopLevel();
  if (!target || target == mWindow) return;
  XErrorTrap trap(mDisplay);
  XEvent copy = event;
  copy.xkey.window = target;
  copy.xkey.subwindow = None;
  XSendEvent(mDisplay, target, False, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &copy);
}

bool IGraphicsX11::GetTextFromClipboard(std::string& out)
{
  out.clear();
  if (!mDisplay || !mWindow) return false;
  const Atom clipboard = XInternAtom(mDisplay, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
  const Atom property = XInternAtom(mDisplay, "VORBLEX_CLIPBOARD", False);
  if (XGetSelectionOwner(mDisplay, clipboard) == None) return false;
  XConvertSelection(mDisplay, clipboard, utf8, property, mWindow, CurrentTime);
  XFlush(mDisplay);

  // The owner answers through the server; other events stay queued meanwhile.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kClipboardWaitMs);
  XEvent answer;
  bool answered = false;
  while (!(answered = XCheckTypedWindowEvent(mDisplay, mWindow, SelectionNotify, &answer))) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left < 20 ? left : 20));
  }
  if (!answered || answer.xselection.property == None) return false;

  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  bool ok = false;
  if (XGetWindowProperty(mDisplay, mWindow, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                         &after, &data) == Success &&
      data && format == 8 && (type == utf8 || type == XA_STRING)) {
    out.assign(reinterpret_cast<const char*>(data), items);
    ok = true;
  }
  if (data) XFree(data);
  return ok;
}
