// Windows side of the test host's native services: module loading and a
// plain window that an editor can be opened inside.
#include "tests/hosts/vst2/Module.h"

#include <windows.h>

#include <string>

namespace vst2host {
namespace {

std::string LastErrorText(const char* what)
{
  return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Under Wine the module path is usually a Unix path; Wine can translate it.
std::string WineDosPath(const std::string& path)
{
  if (path.empty() || path[0] != '/')
    return std::string();
  using ToDos = WCHAR*(CDECL*)(LPCSTR);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC proc = kernel ? GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr;
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(proc));
  if (!toDos) {
    std::string dos = "Z:" + path;
    for (char& c : dos)
      if (c == '/')
        c = '\\';
    return dos;
  }
  WCHAR* wide = toDos(path.c_str());
  if (!wide)
    return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string dos(n > 0 ? n - 1 : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &dos[0], n, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return dos;
}

const char kWindowClass[] = "Vst2TestHostWindow";

}  // namespace

std::unique_ptr<Module> Module::Load(const std::string& path, std::string& error)
{
  HMODULE handle = LoadLibraryA(path.c_str());
  if (!handle) {
    error = LastErrorText("LoadLibrary");
    std::string dos = WineDosPath(path);
    if (!dos.empty()) {
      handle = LoadLibraryA(dos.c_str());
      if (!handle)
        error += "; with " + dos + ": " + LastErrorText("LoadLibrary");
    }
  }
  if (!handle)
    return nullptr;
  return std::unique_ptr<Module>(new Module(reinterpret_cast<void*>(handle)));
}

Module::~Module()
{
  FreeLibrary(reinterpret_cast<HMODULE>(mHandle));
}

void* Module::Symbol(const char* name) const
{
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(mHandle), name));
}

bool HostWindowsAvailable()
{
  return true;
}

void* CreateHostWindow(int width, int height)
{
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    registered = RegisterClassA(&wc) != 0;
  }
  return reinterpret_cast<void*>(CreateWindowExA(0, kWindowClass, "VST2 test host", WS_OVERLAPPEDWINDOW, 0, 0,
                                                 width, height, nullptr, nullptr, instance, nullptr));
}

void DestroyHostWindow(void* window)
{
  if (window)
    DestroyWindow(reinterpret_cast<HWND>(window));
}

void PumpHostWindowMessages()
{
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace vst2host
