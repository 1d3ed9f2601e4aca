#pragma once
// The window procedures of the editor window and of its text field, shared by
// the files of the Windows editor only.
#include "editor/win/IGraphicsWin.h"

#include <windows.h>

struct IGraphicsWinProcs {
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
