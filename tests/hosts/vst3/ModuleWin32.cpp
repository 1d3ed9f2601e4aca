// Windows side of module loading for the VST3 test host.
#include "tests/hosts/vst3/Module.h"

#include <windows.h>

namespace vst3host {
namespace {
using InitProc = bool (*)();

std::string LastErrorText(const char* what)
{
  return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

bool IsDirectory(const std::string& path)
{
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Under Wine the path given is usually a Unix path; Wine can translate it.
std::string WineDosPath(const std::string& path)
{
  if (path.empty() || path[0] != '/') return path;
  using ToDos = WCHAR*(CDECL*)(LPCSTR);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC proc = kernel ? GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr;
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(proc));
  if (!toDos) {
    std::string dos = "Z:" + path;
    for (char& c : dos)
      if (c == '/') c = '\\';
    return dos;
  }
  WCHAR* wide = toDos(path.c_str());
  if (!wide) return path;
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string dos(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, wide, -1, &dos[0], n, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return dos;
}
}  // namespace

std::string BundleBinary(const std::string& bundle)
{
  std::string base = bundle;
  while (!base.empty() && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  std::string name = base.substr(base.find_last_of("/\\") + 1);
  const char* arch = sizeof(void*) == 8 ? "x86_64-win" : "x86-win";
  return base + "/Contents/" + arch + "/" + name;
}

std::unique_ptr<Module> Module::Load(const std::string& path, std::string& error)
{
  std::string native = WineDosPath(path);
  const std::string binary = IsDirectory(native) ? WineDosPath(BundleBinary(path)) : native;
  HMODULE handle = LoadLibraryA(binary.c_str());
  if (!handle) {
    error = LastErrorText(("LoadLibrary " + binary).c_str());
    return nullptr;
  }
  auto init = reinterpret_cast<InitProc>(reinterpret_cast<void*>(GetProcAddress(handle, "InitDll")));
  if (!init || !init()) {
    error = "InitDll missing or failed";
    FreeLibrary(handle);
    return nullptr;
  }
  return std::unique_ptr<Module>(new Module(reinterpret_cast<void*>(handle), binary));
}

Module::~Module()
{
  HMODULE handle = reinterpret_cast<HMODULE>(mHandle);
  auto exitProc = reinterpret_cast<InitProc>(reinterpret_cast<void*>(GetProcAddress(handle, "ExitDll")));
  if (exitProc) exitProc();
  FreeLibrary(handle);
}

void* Module::Symbol(const char* name) const
{
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(mHandle), name));
}

}  // namespace vst3host
