#include "tests/hosts/x11/X11Host.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>

#include <chrono>
#include <thread>

namespace x11host {

Display* HostDisplay()
{
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

HostWindow::HostWindow(int width, int height)
{
  Display* d = HostDisplay();
  XSetWindowAttributes attributes = {};
  attributes.override_redirect = True;  // where asked, with or without a window manager
  attributes.background_pixel = BlackPixel(d, DefaultScreen(d));
  attributes.event_mask = KeyPressMask | KeyReleaseMask | StructureNotifyMask;
  mWindow = XCreateWindow(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  XMapRaised(d, mWindow);
  XSync(d, False);
}

HostWindow::~HostWindow()
{
  XDestroyWindow(HostDisplay(), mWindow);
  XSync(HostDisplay(), False);
}

void HostWindow::Record(const XEvent& event)
{
  if ((event.type == KeyPress || event.type == KeyRelease) && event.xkey.window == mWindow)
    mKeys.push_back(event.xkey);
}

void Pump(HostWindow& window, int ms, const Idle& idle)
{
  Display* d = HostDisplay();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    XSync(d, False);
    while (XPending(d)) {
      XEvent event;
      XNextEvent(d, &event);
      window.Record(event);
    }
    if (idle) idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < end);
}

std::vector<Window> Children(Window parent)
{
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> out;
  if (XQueryTree(HostDisplay(), parent, &root, &up, &children, &count)) out.assign(children, children + count);
  if (children) XFree(children);
  return out;
}

namespace {
int CountBelow(Window window)
{
  int n = 0;
  for (Window child : Children(window)) n += 1 + CountBelow(child);
  return n;
}
}  // namespace

int CountAllWindows() { return CountBelow(DefaultRootWindow(HostDisplay())); }

int OpenDescriptors()
{
  int n = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(dir)) n += entry->d_name[0] != '.';
    closedir(dir);
  }
  return n - 1;  // the directory itself
}

std::vector<std::uint32_t> Capture(Window window, int width, int height)
{
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height, 0);
  XImage* image = XGetImage(HostDisplay(), window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = XGetPixel(image, x, y) & 0xFFFFFFu;
  XDestroyImage(image);
  return pixels;
}

void MoveTo(int x, int y)
{
  XTestFakeMotionEvent(HostDisplay(), DefaultScreen(HostDisplay()), x, y, CurrentTime);
  XFlush(HostDisplay());
}

void Button(unsigned button, bool down)
{
  XTestFakeButtonEvent(HostDisplay(), button, down ? True : False, CurrentTime);
  XFlush(HostDisplay());
}

void KeySymbol(unsigned long keysym, bool down)
{
  const KeyCode code = XKeysymToKeycode(HostDisplay(), keysym);
  XTestFakeKeyEvent(HostDisplay(), code, down ? True : False, CurrentTime);
  XFlush(HostDisplay());
}

}  // namespace x11host
