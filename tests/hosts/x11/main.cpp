// Entry of the X11 editor test host: --vst2=PATH names the Linux VST2 module
// and --vst3=PATH the VST3 bundle (or its binary). The editors open in
// windows on the X display named by DISPLAY, which must offer the XTest
// extension (Xvfb does); without one the run fails rather than skipping.
//
// With --show=SECONDS --picture=PATH it runs no tests: it opens the VST2
// module's editor at the screen's top-left corner, lets it draw, and writes
// the window's pixels to PATH (PPM) after that many seconds.
// GoogleTest first: Xlib's macros (None, Bool) would rename its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "adapters/vst2/VstInterface.h"
#include "tests/hosts/editor/EditorFacts.h"
#include "tests/hosts/editor/ModulesUnderTest.h"
#include "tests/hosts/vst2/Module.h"
#include "tests/hosts/vst2/TestHost.h"
#include "tests/hosts/x11/X11Host.h"

namespace {

int ShowEditor(int seconds, const std::string& picture)
{
  vst2host::Host host;
  auto plugin = vst2host::Plugin::Create(host);
  if (!plugin) return 1;
  plugin->Start();
  x11host::HostWindow window(edhost::kEditorWidth, edhost::kEditorHeight);
  void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.Handle()));
  if (plugin->Dispatch(vst2::op::kEditOpen, 0, 0, parent) != 1) return 1;
  std::printf("editor open\n");
  std::fflush(stdout);
  x11host::Pump(window, seconds * 1000, [&] { plugin->Dispatch(vst2::op::kEditIdle); });
  const std::vector<Window> editors = x11host::Children(window.Handle());
  const bool written = !editors.empty() &&
                       edhost::WritePpm(picture, x11host::Capture(editors[0], edhost::kEditorWidth, edhost::kEditorHeight),
                                        edhost::kEditorWidth, edhost::kEditorHeight);
  plugin->Dispatch(vst2::op::kEditClose);
  return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
  // The menu picker works the display from a thread of its own.
  XInitThreads();
  testing::InitGoogleTest(&argc, argv);
  std::string vst2Path, vst3Path, picture;
  int showSeconds = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--show=", 7) == 0) showSeconds = std::atoi(argv[i] + 7);
    if (std::strncmp(argv[i], "--picture=", 10) == 0) picture = argv[i] + 10;
    if (std::strncmp(argv[i], "--vst2=", 7) == 0) vst2Path = argv[i] + 7;
    if (std::strncmp(argv[i], "--vst3=", 7) == 0) vst3Path = argv[i] + 7;
  }
  if (vst2Path.empty() || (vst3Path.empty() && (showSeconds <= 0 || picture.empty()))) {
    std::fprintf(stderr, "usage: %s [gtest flags] --vst2=PATH --vst3=PATH | --vst2=PATH --show=SECONDS --picture=PATH\n",
                 argv[0]);
    return 2;
  }
  Display* display = x11host::HostDisplay();
  int event, error, major, minor;
  if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "no X display with the XTest extension (DISPLAY=%s): start one, e.g. Xvfb\n",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    return 2;
  }
  if (!edhost::LoadVst2UnderTest(vst2Path)) return 2;
  if (showSeconds > 0) {
    const int shown = ShowEditor(showSeconds, picture);
    vst2host::UnloadModuleUnderTest();
    return shown;
  }
  if (!edhost::LoadVst3UnderTest(vst3Path)) return 2;
  return edhost::RunTestsAndUnload();
}
