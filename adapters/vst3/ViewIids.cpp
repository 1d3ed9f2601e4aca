// Interface ids of the plug-in view and its host frame. The SDK declares them
// in iplugview.h but none of the SDK sources we compile defines them.
#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
}  // namespace Steinberg
