#include "tests/hosts/editor/ModulesUnderTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

#include "tests/hosts/vst2/Module.h"
#include "tests/hosts/vst2/TestHost.h"
#include "tests/hosts/vst3/TestHost.h"

namespace edhost {

namespace {
// Loads the module at `path` with `Module::Load` and hands it to `install`;
// prints why it does not load.
template <typename Module, typename Install>
bool LoadUnderTest(const std::string& path, Install install)
{
  std::string error;
  auto module = Module::Load(path, error);
  if (!module) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  install(std::move(module));
  return true;
}
}  // namespace

bool LoadVst2UnderTest(const std::string& path)
{
  return LoadUnderTest<vst2host::Module>(path, [&path](auto module) { vst2host::SetModuleUnderTest(std::move(module), path); });
}

bool LoadVst3UnderTest(const std::string& path)
{
  return LoadUnderTest<vst3host::Module>(path, [](auto module) { vst3host::SetModuleUnderTest(std::move(module), false); });
}

int RunTestsAndUnload()
{
  const int result = RUN_ALL_TESTS();
  vst3host::UnloadModuleUnderTest();
  vst2host::UnloadModuleUnderTest();
  return result;
}

}  // namespace edhost
