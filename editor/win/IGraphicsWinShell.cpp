// What the editor asks of the system around it: message boxes, the colour
// chooser, file dialogs, opening a web address, the clipboard and a few
// standard folders.
#include "editor/win/IGraphicsWin.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The part of path up to and including its last backslash; empty when there
// is none or the path ends with one.
void DirectoryOf(const char* path, std::string& out)
{
  out.clear();
  const char* slash = std::strrchr(path, '\\');
  if (!slash || slash[1] == '\0') return;
  out.assign(path, static_cast<size_t>(slash - path + 1));
}

void SpecialFolder(int folder, std::string& out)
{
  char path[MAX_PATH] = {};
  out.clear();
  if (SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) out = path;
}

UINT_PTR CALLBACK ColorDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam)
{
  if (msg == WM_INITDIALOG) {
    const auto* cc = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    if (cc && cc->lCustData) SetWindowTextA(dialog, reinterpret_cast<const char*>(cc->lCustData));
  }
  return 0;
}

}  // namespace

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type)
{
  return MessageBoxA(GetMainWnd(), text, caption, static_cast<UINT>(type));
}

void IGraphicsWin::GetHostDirectory(std::string& out)
{
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DirectoryOf(path, out);
}

void IGraphicsWin::GetModuleDirectory(std::string& out)
{
  char path[MAX_PATH] = {};
  GetModuleFileNameA(mHInstance, path, MAX_PATH);
  DirectoryOf(path, out);
}

void IGraphicsWin::GetDesktopDirectory(std::string& out) { SpecialFolder(CSIDL_DESKTOP, out); }

void IGraphicsWin::GetAppDataDirectory(std::string& out, bool systemWide)
{
  SpecialFolder(systemWide ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA, out);
}

bool IGraphicsWin::GetTextFromClipboard(std::string& out)
{
  out.clear();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(mPlugWnd)) return false;
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      if (n > 0) {
        std::vector<char> utf8(static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
        out = utf8.data();
        ok = true;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return ok;
}

bool IGraphicsWin::PromptForColor(IColor& color, const char* prompt)
{
  if (!mPlugWnd) return false;
  if (!mCustomColors) mCustomColors = static_cast<unsigned long*>(std::calloc(16, sizeof(COLORREF)));
  if (!mCustomColors) return false;
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = mPlugWnd;
  cc.hInstance = reinterpret_cast<HWND>(mHInstance);
  cc.rgbResult = RGB(color.R, color.G, color.B);
  cc.lpCustColors = mCustomColors;
  cc.lCustData = reinterpret_cast<LPARAM>(prompt);
  cc.lpfnHook = ColorDialogHook;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_ENABLEHOOK;
  if (!ChooseColorA(&cc)) return false;
  color.R = GetRValue(cc.rgbResult);
  color.G = GetGValue(cc.rgbResult);
  color.B = GetBValue(cc.rgbResult);
  return true;
}

void IGraphicsWin::PromptForFile(std::string& fileName, int action, std::string& directory, const char* extensions)
{
  if (!mPlugWnd) {
    fileName.clear();
    return;
  }
  char file[MAX_PATH] = {};
  lstrcpynA(file, fileName.c_str(), MAX_PATH);
  if (directory.empty()) GetDesktopDirectory(directory);

  // "png jpg" -> "*.png;*.jpg", used as both the description and the pattern.
  std::string pattern, defaultExt;
  const char* p = extensions ? extensions : "";
  while (*p) {
    while (*p == ' ') ++p;
    const char* end = p;
    while (*end && *end != ' ') ++end;
    if (end > p) {
      if (defaultExt.empty()) defaultExt.assign(p, end);
      if (!pattern.empty()) pattern += ';';
      pattern += "*.";
      pattern.append(p, end);
    }
    p = end;
  }
  std::string filter = pattern;
  filter += '\0';
  filter += pattern;
  filter += '\0';

  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = mPlugWnd;
  ofn.lpstrFilter = pattern.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = directory.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  BOOL ok;
  if (action == 1) {
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    ok = GetSaveFileNameA(&ofn);
  } else {
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    ok = GetOpenFileNameA(&ofn);
  }
  if (!ok) {
    fileName.clear();
    return;
  }
  fileName = file;
  char drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {};
  _splitpath(file, drive, dir, nullptr, nullptr);
  directory = std::string(drive) + dir;
}

bool IGraphicsWin::OpenUrl(const char* url, const char* title, const char* confirmation, const char* error)
{
  if (confirmation && MessageBoxA(GetMainWnd(), confirmation, title, MB_YESNO) != IDYES) return false;
  DWORD state = 0;
  if (url && InternetGetConnectedState(&state, 0)) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(mPlugWnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (error) MessageBoxA(GetMainWnd(), error, title, MB_OK);
  return false;
}
