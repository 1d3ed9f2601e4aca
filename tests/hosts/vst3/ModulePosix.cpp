#include "tests/hosts/vst3/Module.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace vst3host {
namespace {
using EntryProc = bool (*)(void*);
using ExitProc = bool (*)();

bool IsDirectory(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
}  // namespace

std::string BundleBinary(const std::string& bundle)
{
  std::string base = bundle;
  while (!base.empty() && base.back() == '/') base.pop_back();
  std::string name = base.substr(base.find_last_of('/') + 1);
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0) name.resize(name.size() - 5);
  return base + "/Contents/x86_64-linux/" + name + ".so";
}

std::unique_ptr<Module> Module::Load(const std::string& path, std::string& error)
{
  const std::string binary = IsDirectory(path) ? BundleBinary(path) : path;
  void* handle = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = why ? why : "dlopen failed";
    return nullptr;
  }
  auto entry = reinterpret_cast<EntryProc>(dlsym(handle, "ModuleEntry"));
  if (!entry || !entry(handle)) {
    error = "ModuleEntry missing or failed";
    dlclose(handle);
    return nullptr;
  }
  return std::unique_ptr<Module>(new Module(handle, binary));
}

Module::~Module()
{
  if (auto exitProc = reinterpret_cast<ExitProc>(dlsym(mHandle, "ModuleExit"))) exitProc();
  dlclose(mHandle);
}

void* Module::Symbol(const char* name) const { return dlsym(mHandle, name); }

}  // namespace vst3host
