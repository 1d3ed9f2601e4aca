// Interface ids of the plug-in view and its host frame. The SDK declares them
// in iplugview.h but none of the SDK sources we compile defines them.
#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
#if SMTG_OS_LINUX
namespace Linux {
DEF_CLASS_IID(IRunLoop)
DEF_CLASS_IID(IEventHandler)
DEF_CLASS_IID(ITimerHandler)
}  // namespace Linux
#endif
}  // namespace Steinberg
