#pragma once
// The VST3 module around one plug-in class: its factory, its class
// information and its entry points. The plug-in library supplies
// MakeVST3Plug; the module's exports call it to make instances.
#include "adapters/vst3/IPlugVST3.h"

// Constructs the module's plug-in. Called under the module's creation mutex.
IPlugVST3* MakeVST3Plug(const IPlugInstanceInfo& instanceInfo);

namespace vst3module {
constexpr const char* kVendor = "Tessolar";
constexpr const char* kClassName = "Vorblex";
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Instrument";
constexpr const char* kVersion = "1.0.1";
constexpr const char* kSdkVersion = "VST 3.6.0";
constexpr Steinberg::int32 kFactoryFlags = 16;  // texts are Unicode
constexpr Steinberg::int32 kClassFlags = 2;     // simple mode supported
// Fixed prefix, then the maker ID 'Pqxr' and the unique ID 'spgp'.
constexpr unsigned char kClassID[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                        0x50, 0x71, 0x78, 0x72, 0x73, 0x70, 0x67, 0x70};

// The handle the loader gave this module, or null before it said.
void* ModuleHandle();
}  // namespace vst3module
