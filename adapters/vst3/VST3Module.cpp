// The module's exports: the factory and the loader's entry and exit calls
// (InitDll and ExitDll on Windows, ModuleEntry and ModuleExit on Linux).
#include "adapters/vst3/VST3Module.h"

#include <cstring>
#include <new>

#include "adapters/vst3/PluginFactory.h"
#include "platform/Mutex.h"

using namespace Steinberg;

namespace {
PluginFactory* gFactory = nullptr;  // guarded by the creation mutex
void* gLoaderHandle = nullptr;
void* gModuleHandle = nullptr;

FUnknown* CreatePlug(void*)
{
  IPlugVST3* plug = nullptr;
  {
    MutexLock lock(ModuleCreationMutex());
    try {
      plug = MakeVST3Plug(IPlugInstanceInfo{});
    } catch (...) {
      plug = nullptr;
    }
  }
  return plug ? static_cast<Vst::IAudioProcessor*>(plug) : nullptr;
}

PluginFactory* MakeFactory()
{
  PFactoryInfo factoryInfo(vst3module::kVendor, "", "", vst3module::kFactoryFlags);
  auto* factory = new (std::nothrow) PluginFactory(factoryInfo);
  if (!factory) return nullptr;
  TUID cid;
  std::memcpy(cid, vst3module::kClassID, sizeof cid);
  PClassInfo2 classInfo(cid, PClassInfo::kManyInstances, vst3module::kCategory, vst3module::kClassName,
                        vst3module::kClassFlags, vst3module::kSubCategories, "", vst3module::kVersion,
                        vst3module::kSdkVersion);
  factory->registerClass(classInfo, &CreatePlug);
  return factory;
}

// The module keeps one reference of its own, so the factory lives until the
// loader's exit call whatever the host releases.
void ReleaseFactory()
{
  MutexLock lock(ModuleCreationMutex());
  if (gFactory) gFactory->release();
  gFactory = nullptr;
}
}  // namespace

void* vst3module::ModuleHandle() { return gModuleHandle; }

extern "C" {

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
  MutexLock lock(ModuleCreationMutex());
  if (!gFactory) gFactory = MakeFactory();
  if (gFactory) gFactory->addRef();
  return gFactory;
}

#ifdef _WIN32
// The loader's notification, declared here without the system headers.
int __stdcall DllMain(void* instance, unsigned long reason, void* reserved);
int __stdcall DllMain(void* instance, unsigned long reason, void*)
{
  if (reason == 1) gLoaderHandle = instance;  // process attach
  return 1;
}

SMTG_EXPORT_SYMBOL bool InitDll()
{
  gModuleHandle = gLoaderHandle;
  return true;
}

SMTG_EXPORT_SYMBOL bool ExitDll()
{
  ReleaseFactory();
  return true;
}
#else
SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle)
{
  (void)gLoaderHandle;
  gModuleHandle = sharedLibraryHandle;
  return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
  ReleaseFactory();
  return true;
}
#endif

}  // extern "C"
