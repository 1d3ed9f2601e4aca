#pragma once
// Native handle types of the raster layer, declared without <windows.h>. The
// tags are the ones the Windows headers use for their strict handle types, so
// these aliases are the very HDC and HFONT there; other platforms never see a
// device context and give HFONT__ a definition of their own.
struct HDC__;
struct HFONT__;
using LICE_HDC = HDC__*;
using LICE_HFONT = HFONT__*;

// Rectangle in pixels: left and top inclusive, right and bottom exclusive.
struct LICE_Rect {
  int l = 0;
  int t = 0;
  int r = 0;
  int b = 0;
};
