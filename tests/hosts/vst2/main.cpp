// Entry of the VST2 test host. The module under test is named by
// --module=PATH, by the first argument that is not a test flag, or by the
// environment variable VORBLEX_VST2_MODULE.
#include "tests/hosts/vst2/Module.h"
#include "tests/hosts/vst2/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);

  std::string path;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--module=", 9) == 0)
      path = argv[i] + 9;
    else if (path.empty() && argv[i][0] != '-')
      path = argv[i];
  }
  if (path.empty()) {
    if (const char* env = std::getenv("VORBLEX_VST2_MODULE"))
      path = env;
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: %s [gtest flags] --module=PATH (or VORBLEX_VST2_MODULE=PATH)\n", argv[0]);
    return 2;
  }

  std::string error;
  std::unique_ptr<vst2host::Module> module = vst2host::Module::Load(path, error);
  if (!module) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    return 2;
  }
  vst2host::SetModuleUnderTest(std::move(module), path);
  int result = RUN_ALL_TESTS();
  // Unloading is part of the test: module-wide caches must go quietly.
  vst2host::UnloadModuleUnderTest();
  return result;
}
