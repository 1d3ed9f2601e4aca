// Entry of the VST3 test host. The module under test is named by
// --module=PATH (a bundle folder or the binary itself) or by the environment
// variable VORBLEX_VST3_MODULE; --probe says it is the probe module, whose
// audio the tests can predict exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/hosts/vst3/TestHost.h"

int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);

  std::string path;
  bool probe = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--module=", 9) == 0) {
      path = argv[i] + 9;
    } else if (std::strcmp(argv[i], "--probe") == 0) {
      probe = true;
    } else if (path.empty() && argv[i][0] != '-') {
      path = argv[i];
    }
  }
  if (path.empty()) {
    if (const char* env = std::getenv("VORBLEX_VST3_MODULE")) path = env;
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: %s [gtest flags] [--probe] --module=PATH (or VORBLEX_VST3_MODULE=PATH)\n", argv[0]);
    return 2;
  }

  std::string error;
  std::unique_ptr<vst3host::Module> module = vst3host::Module::Load(path, error);
  if (!module) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    return 2;
  }
  vst3host::SetModuleUnderTest(std::move(module), probe);
  int result = RUN_ALL_TESTS();
  // Releasing the factory and unloading belong to the test: nothing may be
  // left behind or crash on the way out.
  vst3host::UnloadModuleUnderTest();
  return result;
}
