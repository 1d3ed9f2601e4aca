#include "tests/hosts/editor/ModulesUnderTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

#include "tests/hosts/vst2/Module.h"
#include "tests/hosts/vst2/TestHost.h"
#include "tests/hosts/vst3/TestHost.h"

namespace edhost {

bool LoadVst2UnderTest(const std::string& path)
{
  std::string error;
  auto module = vst2host::Module::Load(path, error);
  if (!module) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  vst2host::SetModuleUnderTest(std::move(module), path);
  return true;
}

bool LoadVst3UnderTest(const std::string& path)
{
  std::string error;
  auto module = vst3host::Module::Load(path, error);
  if (!module) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  vst3host::SetModuleUnderTest(std::move(module), false);
  return true;
}

int RunTestsAndUnload()
{
  const int result = RUN_ALL_TESTS();
  vst3host::UnloadModuleUnderTest();
  vst2host::UnloadModuleUnderTest();
  return result;
}

}  // namespace edhost
