#pragma once
// What a Linux host does around a plug-in's X11 editor: a top-level window to
// embed it in, the host's own event handling (it records the keys that reach
// its window), real input through the XTest extension, and a look at the
// editor window's pixels. Between steps the host keeps calling the plug-in's
// idle (VST2 editor idle, or the VST3 run loop) for the time given.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace x11host {

using Idle = std::function<void()>;

// The host's connection; null when there is no display.
Display* HostDisplay();

// A mapped top-level window at the screen's top-left corner, so that its
// coordinates are screen coordinates.
class HostWindow {
public:
  HostWindow(int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  Window Handle() const { return mWindow; }
  // Key presses and releases that reached this window.
  std::vector<XKeyEvent>& Keys() { return mKeys; }
  void Record(const XEvent& event);

private:
  Window mWindow = 0;
  std::vector<XKeyEvent> mKeys;
};

// Handles the host's events and calls idle for ms milliseconds.
void Pump(HostWindow& window, int ms, const Idle& idle);

// The child windows of parent.
std::vector<Window> Children(Window parent);
// Every window below the root.
int CountAllWindows();
// Descriptors this process has open.
int OpenDescriptors();

// The window's pixels as 0xRRGGBB, row by row.
std::vector<std::uint32_t> Capture(Window window, int width, int height);

// Input as the X server delivers it, in screen coordinates.
void MoveTo(int x, int y);
void Button(unsigned button, bool down);
void KeySymbol(unsigned long keysym, bool down);

}  // namespace x11host

namespace x11host {

// Input steps, each followed by the host's event handling and idle calls.
class Driver {
public:
  Driver(HostWindow& window, Idle idle) : mWindow(window), mIdle(std::move(idle)) {}
  void Pump(int ms) { x11host::Pump(mWindow, ms, mIdle); }
  void Click(int x, int y, unsigned button = 1);
  void DoubleClick(int x, int y);
  void Drag(int x, int y, int dx, int dy);
  void Wheel(int x, int y, int notches);
  void Key(unsigned long keysym);
  // Characters as their key symbols (digits, letters, '.', '-').
  void Type(const char* text);

private:
  // Presses come at least a double-click time apart unless a step means
  // otherwise, as a person's clicks do.
  void Settle();

  HostWindow& mWindow;
  Idle mIdle;
  std::chrono::steady_clock::time_point mLastPress{};
};

// Works a drawn popup menu from a thread of its own while the plug-in's menu
// loop holds the host's thread: waits until the menu shows at (x, y) of the
// screen, then clicks there (an item, or elsewhere to dismiss).
class MenuPicker {
public:
  // Click at (clickX, clickY) once an item whose top-left corner is (seeX,
  // seeY) shows: the menu's border left of it, its panel inside.
  MenuPicker(int seeX, int seeY, int clickX, int clickY);
  ~MenuPicker();
  bool SawMenu();

private:
  struct State;
  State* mState;
};

}  // namespace x11host
