#include "tests/hosts/x11/X11Host.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace x11host {

void Driver::Settle()
{
  const auto next = mLastPress + std::chrono::milliseconds(450);
  const auto now = std::chrono::steady_clock::now();
  if (now < next) Pump(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count()));
  mLastPress = std::chrono::steady_clock::now();
}

void Driver::Click(int x, int y, unsigned button)
{
  Settle();
  MoveTo(x, y);
  Pump(20);
  Button(button, true);
  Pump(20);
  Button(button, false);
  Pump(30);
}

void Driver::DoubleClick(int x, int y)
{
  Settle();
  MoveTo(x, y);
  Pump(20);
  // Both presses reach the editor well within its double-click time.
  Button(1, true);
  Button(1, false);
  Button(1, true);
  Button(1, false);
  Pump(60);
}

void Driver::Drag(int x, int y, int dx, int dy)
{
  Settle();
  MoveTo(x, y);
  Pump(20);
  Button(1, true);
  Pump(20);
  MoveTo(x + dx / 2, y + dy / 2);
  Pump(20);
  MoveTo(x + dx, y + dy);
  Pump(20);
  Button(1, false);
  Pump(30);
}

void Driver::Wheel(int x, int y, int notches)
{
  MoveTo(x, y);
  Pump(20);
  const unsigned button = notches > 0 ? 4 : 5;
  for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
    Button(button, true);
    Button(button, false);
  }
  Pump(30);
}

void Driver::Key(unsigned long keysym)
{
  KeySymbol(keysym, true);
  KeySymbol(keysym, false);
  Pump(20);
}

void Driver::Type(const char* text)
{
  for (const char* c = text; *c; ++c) {
    unsigned long sym = static_cast<unsigned char>(*c);
    if (*c == '.') sym = XK_period;
    if (*c == '-') sym = XK_minus;
    Key(sym);
  }
}

struct MenuPicker::State {
  std::atomic<bool> saw{false};
  std::thread thread;
};

MenuPicker::MenuPicker(int seeX, int seeY, int clickX, int clickY) : mState(new State)
{
  State* state = mState;
  state->thread = std::thread([=] {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
      // The menu's grey border left of the item and its panel inside.
      XImage* image = XGetImage(d, DefaultRootWindow(d), seeX - 2, seeY, 8, 1, AllPlanes, ZPixmap);
      const unsigned long border = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
      const unsigned long panel = image ? XGetPixel(image, 7, 0) & 0xFFFFFF : 0;
      if (image) XDestroyImage(image);
      if (border == 0x808080 && (panel == 0xF2F2F2 || panel == 0xCCE8FF)) {
        state->saw = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The press that opened the menu ends first, as a person's click does.
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XTestFakeMotionEvent(d, DefaultScreen(d), clickX, clickY, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
    XCloseDisplay(d);
  });
}

MenuPicker::~MenuPicker()
{
  if (mState->thread.joinable()) mState->thread.join();
  delete mState;
}

bool MenuPicker::SawMenu()
{
  if (mState->thread.joinable()) mState->thread.join();
  return mState->saw;
}

}  // namespace x11host
