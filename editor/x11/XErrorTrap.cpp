#include "editor/x11/XErrorTrap.h"

namespace {
// Touched only on the user-interface thread, like everything of the editor.
int sErrors = 0;

int CountError(Display*, XErrorEvent*)
{
  ++sErrors;
  return 0;
}
}  // namespace

XErrorTrap::XErrorTrap(Display* display) : mDisplay(display)
{
  // Errors of earlier requests are not ours to hide.
  XSync(mDisplay, False);
  mErrorsBefore = sErrors;
  mPrevious = XSetErrorHandler(CountError);
}

XErrorTrap::~XErrorTrap()
{
  XSync(mDisplay, False);
  XSetErrorHandler(mPrevious);
}

bool XErrorTrap::Failed()
{
  XSync(mDisplay, False);
  return sErrors != mErrorsBefore;
}
