// The deliverable's plug-in class behind the module's factory.
#include "adapters/vst3/VST3Module.h"
#include "plugin/Vorblex.h"

IPlugVST3* MakeVST3Plug(const IPlugInstanceInfo& instanceInfo) { return new Vorblex(instanceInfo); }
