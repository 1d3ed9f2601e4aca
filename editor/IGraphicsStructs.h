#pragma once
// Small value types shared by the whole editor: rectangles, colours, text
// styles, bitmap strips, blends and mouse modifiers, plus the frame arithmetic
// of bitmap strips.
#include <cstdint>

#include "editor/raster/LICE_Bitmap.h"

class LICE_IFont;

// Pixel rectangle; R and B are exclusive. All-zero is "empty", and only that:
// a rectangle with R < L is not empty, it just covers nothing.
struct IRect {
  int L = 0, T = 0, R = 0, B = 0;

  IRect() = default;
  IRect(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  // A rectangle whose right or bottom edge merely touches the other counts.
  bool Intersects(const IRect& o) const
  {
    return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
  }
  IRect Intersect(const IRect& o) const;
  IRect Union(const IRect& o) const;

  bool operator==(const IRect& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRect& o) const { return !(*this == o); }
};

struct IColor {
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  LICE_pixel Packed() const
  {
    return LICE_RGBA(static_cast<unsigned>(R), static_cast<unsigned>(G), static_cast<unsigned>(B),
                     static_cast<unsigned>(A));
  }
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
};

constexpr int kFontNameSize = 32;

struct IText {
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EQuality { kQualityDefault = 0, kQualityNonAntiAliased = 1, kQualityAntiAliased = 2, kQualityClearType = 3 };

  char mFont[kFontNameSize];
  int mSize;
  IColor mColor;
  int mStyle = kStyleNormal;
  int mAlign = kAlignCenter;
  int mOrientation = 0;  // degrees
  int mQuality = kQualityDefault;
  IColor mTextEntryBGColor = IColor(255, 255, 255, 255);
  IColor mTextEntryFGColor = IColor(255, 0, 0, 0);
  LICE_IFont* mCached = nullptr;  // belongs to the font cache

  // No colour means opaque black, no font name "Verdana".
  explicit IText(int size = 12, const IColor* color = nullptr, const char* font = nullptr);
};

// A strip of equal frames inside one image of the bitmap cache.
struct IBitmap {
  LICE_IBitmap* mData = nullptr;  // owned by the bitmap cache (or by a test)
  int W = 0, H = 0;
  int N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(LICE_IBitmap* data, int w, int h, int n = 1, bool horizontal = false)
      : mData(data), W(w), H(h), N(n < 1 ? 1 : n), mFramesAreHorizontal(horizontal)
  {
  }
  int FrameWidth() const { return mFramesAreHorizontal ? W / N : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / N; }
};

struct IBlend {
  enum EMethod { kBlendNone = 0, kBlendClobber = 1, kBlendAdd = 2, kBlendColorDodge = 3 };

  int mMethod = kBlendNone;
  float mWeight = 1.0f;

  IBlend() = default;
  IBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

struct IMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false) : L(l), R(r), S(s), C(c), A(a) {}
};

// Key codes handed to controls.
enum EKeyCode : int {
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5,   // digits 0 to 9: 5 to 14
  kKeyLetterA = 15, // letters A to Z: 15 to 40
  kKeyLetterZ = 40,
};

// 1-based frame of a strip of n frames for a normalised value; NaN gives 1.
int FrameFromValue(double value, int nFrames);
// Source position of frame i (1-based) inside the strip.
void FrameOffset(const IBitmap& bitmap, int frame, int* x, int* y);
