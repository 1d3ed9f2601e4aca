#pragma once
// The adapter the plug-in class derives from, chosen when the plug-in library
// is compiled: one library per adapter, the class itself written once.
#if defined(VORBLEX_API_VST2)
#include "adapters/vst2/IPlugVST.h"
using PlugAdapter = IPlugVST;
#elif defined(VORBLEX_API_VST3)
#include "adapters/vst3/IPlugVST3.h"
using PlugAdapter = IPlugVST3;
#else
#include "framework/IPlugOffline.h"
using PlugAdapter = IPlugOffline;
using IPlugInstanceInfo = IPlugOfflineInstanceInfo;
#endif
