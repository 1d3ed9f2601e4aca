// What the editor asks of the system around it on Linux: a few standard
// folders. Message boxes, the colour chooser, file dialogs and web addresses
// have no X11 counterpart the editor could rely on and answer "not available".
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "editor/x11/IGraphicsX11.h"

namespace {

// The part of path up to and including its last slash; empty when there is
// none or the path ends with one.
void DirectoryOf(const char* path, std::string& out)
{
  out.clear();
  const char* slash = std::strrchr(path, '/');
  if (!slash || slash[1] == '\0') return;
  out.assign(path, static_cast<size_t>(slash - path + 1));
}

std::string Home()
{
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

}  // namespace

int IGraphicsX11::ShowMessageBox(const char*, const char*, int) { return 0; }

bool IGraphicsX11::PromptForColor(IColor&, const char*) { return false; }

void IGraphicsX11::PromptForFile(std::string& fileName, int, std::string&, const char*) { fileName.clear(); }

bool IGraphicsX11::OpenUrl(const char*, const char*, const char*, const char*) { return false; }

void IGraphicsX11::GetHostDirectory(std::string& out)
{
  char path[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  out.clear();
  if (n > 0) DirectoryOf(path, out);
}

void IGraphicsX11::GetModuleDirectory(std::string& out)
{
  Dl_info info = {};
  out.clear();
  if (dladdr(reinterpret_cast<void*>(&DirectoryOf), &info) && info.dli_fname) DirectoryOf(info.dli_fname, out);
}

void IGraphicsX11::GetDesktopDirectory(std::string& out)
{
  const std::string home = Home();
  out = home.empty() ? std::string() : home + "/Desktop";
}

void IGraphicsX11::GetAppDataDirectory(std::string& out, bool systemWide)
{
  if (systemWide) {
    out = "/usr/local/share";
    return;
  }
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && *dataHome) {
    out = dataHome;
    return;
  }
  const std::string home = Home();
  out = home.empty() ? std::string() : home + "/.local/share";
}
