#pragma once
// Loading the modules under test for an editor test host, shared by the
// Windows and the X11 host: each prints why a module does not load.
#include <string>

namespace edhost {

bool LoadVst2UnderTest(const std::string& path);
bool LoadVst3UnderTest(const std::string& path);
// Runs the tests, then unloads both modules; the tests' result.
int RunTestsAndUnload();

}  // namespace edhost
