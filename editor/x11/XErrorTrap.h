#pragma once
// Xlib reports a failed request (a host window that is gone, focus on a
// window not yet shown) to one process-wide handler whose default ends the
// process. While a trap lives, such errors are counted instead; the host's
// handler is put back when it ends.
#include <X11/Xlib.h>

class XErrorTrap {
public:
  explicit XErrorTrap(Display* display);
  ~XErrorTrap();
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

  // Whether a request since the trap was set failed (waits for the answers).
  bool Failed();

private:
  Display* mDisplay;
  int (*mPrevious)(Display*, XErrorEvent*);
  int mErrorsBefore;
};
