#include "tests/hosts/vst2/Module.h"

#include <dlfcn.h>

namespace vst2host {

std::unique_ptr<Module> Module::Load(const std::string& path, std::string& error)
{
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = why ? why : "dlopen failed";
    return nullptr;
  }
  return std::unique_ptr<Module>(new Module(handle));
}

Module::~Module()
{
  dlclose(mHandle);
}

void* Module::Symbol(const char* name) const
{
  // dlsym on a library handle searches the library first, so an exported
  // `main` is the module's and not the test program's.
  return dlsym(mHandle, name);
}

bool HostWindowsAvailable()
{
  return false;
}

void* CreateHostWindow(int, int)
{
  return nullptr;
}

void DestroyHostWindow(void*) {}

void PumpHostWindowMessages() {}

}  // namespace vst2host
