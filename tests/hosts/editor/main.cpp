// Entry of the editor test host: --vst2=PATH names the VST2 module and
// --vst3=PATH the VST3 module (a bundle folder or the binary). Both are
// loaded for the whole run; the editor opens in a visible window, so the
// program needs a display (under Wine, an X server).
//
// With --show=SECONDS it runs no tests: it opens the VST2 module's editor in a
// window at the screen's top-left corner for that long, for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include <cstdio>
#include <cstring>
#include <string>

#include "adapters/vst2/VstInterface.h"
#include "tests/hosts/editor/EditorHost.h"
#include "tests/hosts/editor/ModulesUnderTest.h"
#include "tests/hosts/vst2/Module.h"
#include "tests/hosts/vst2/TestHost.h"

namespace {

int ShowEditor(int seconds)
{
  vst2host::Host host;
  auto plugin = vst2host::Plugin::Create(host);
  if (!plugin) return 1;
  plugin->Start();
  edhost::HostWindow window;
  if (plugin->Dispatch(vst2::op::kEditOpen, 0, 0, window.Handle()) != 1) return 1;
  std::printf("editor open\n");
  std::fflush(stdout);
  edhost::Pump(seconds * 1000);
  plugin->Dispatch(vst2::op::kEditClose);
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);
  std::string vst2Path, vst3Path;
  int showSeconds = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--show=", 7) == 0) showSeconds = std::atoi(argv[i] + 7);
    if (std::strncmp(argv[i], "--vst2=", 7) == 0) vst2Path = argv[i] + 7;
    if (std::strncmp(argv[i], "--vst3=", 7) == 0) vst3Path = argv[i] + 7;
  }
  if (vst2Path.empty() || (vst3Path.empty() && showSeconds <= 0)) {
    std::fprintf(stderr, "usage: %s [gtest flags] --vst2=PATH --vst3=PATH | --vst2=PATH --show=SECONDS\n", argv[0]);
    return 2;
  }
  if (!edhost::LoadVst2UnderTest(vst2Path)) return 2;
  if (showSeconds > 0) {
    const int shown = ShowEditor(showSeconds);
    vst2host::UnloadModuleUnderTest();
    return shown;
  }
  if (!edhost::LoadVst3UnderTest(vst3Path)) return 2;
  return edhost::RunTestsAndUnload();
}
