// Module entry of the VST2 plug-in: the host calls it once per instance with
// its callback and gets the instance's entry structure, or null.
#include <memory>

#include "adapters/vst2/VstInterface.h"
#include "plugin/Vorblex.h"
#include "platform/Mutex.h"

extern "C" vst2::Entry* VORBLEX_VST_CALL VSTPluginMain(vst2::HostCallback host)
{
  MutexLock lock(ModuleCreationMutex());
  try {
    IPlugInstanceInfo info;
    info.mHostCallback = host;
    auto plug = std::make_unique<Vorblex>(info);
    vst2::Entry* entry = plug->EntryForHost();
    // From here on the host owns the instance; the dispatcher's close deletes it.
    plug.release();
    return entry;
  } catch (...) {
    return nullptr;
  }
}

#if !defined(_WIN32)
// Older hosts look the entry up as "main". C++ reserves that name, so this is
// a function of another name that the assembler calls main. Windows modules
// export it through the module definition file instead.
extern "C" vst2::Entry* VstMainEntry(vst2::HostCallback host) __asm__("main");
extern "C" vst2::Entry* VstMainEntry(vst2::HostCallback host) { return VSTPluginMain(host); }
#endif
