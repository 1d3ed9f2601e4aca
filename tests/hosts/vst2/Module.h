#pragma once
// Loading a plug-in module and the few native services the test host needs,
// implemented once for POSIX (dlopen) and once for Windows (LoadLibrary).
#include <memory>
#include <string>

namespace vst2host {

class Module {
public:
  // Loads the shared library at path; on failure returns null and says why.
  static std::unique_ptr<Module> Load(const std::string& path, std::string& error);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Address of an exported function, or null.
  void* Symbol(const char* name) const;

private:
  explicit Module(void* handle) : mHandle(handle) {}
  void* mHandle;
};

// A native top-level window to parent an editor in. Only Windows has one;
// elsewhere HostWindowsAvailable() is false and the others do nothing.
bool HostWindowsAvailable();
void* CreateHostWindow(int width, int height);
void DestroyHostWindow(void* window);
// Delivers pending window messages of the calling thread (editor timers, paints).
void PumpHostWindowMessages();

}  // namespace vst2host
