#pragma once
// Loading a VST3 module as hosts do: a bundle folder resolves to the binary
// for this platform inside it, a file is loaded as it is. The loader's entry
// call (ModuleEntry on Linux, InitDll on Windows) follows the load and its exit
// call precedes the unload.
#include <memory>
#include <string>

namespace vst3host {

class Module {
public:
  // On failure returns null and says why.
  static std::unique_ptr<Module> Load(const std::string& path, std::string& error);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Address of an exported function, or null.
  void* Symbol(const char* name) const;
  const std::string& BinaryPath() const { return mBinary; }

private:
  Module(void* handle, std::string binary) : mHandle(handle), mBinary(std::move(binary)) {}
  void* mHandle;
  std::string mBinary;
};

// The binary a bundle holds for this platform: <bundle>/Contents/<arch>/<name>.
std::string BundleBinary(const std::string& bundle);

}  // namespace vst3host
