#pragma once
// Fonts of the raster layer: a native font plus what is needed to measure and
// draw text with it into raster bitmaps.
#include "editor/raster/LICE_Bitmap.h"

// LICE_IFont::SetFromNativeFont flags.
enum : int {
  kFontFlagPrecache = 4,         // render the first 128 glyphs at once (accepted, nothing to precache)
  kFontFlagOwnsNative = 0x200,   // the font deletes the native font when replaced or destroyed
  kFontFlagAllowNative = 0x400,  // may draw with the platform's own text drawing
};

// DrawString flags. The layout values equal the native ones so that they pass
// straight through on Windows.
enum : int {
  kTextLeft = 0,
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextVCenter = 0x4,
  kTextBottom = 0x8,
  kTextSingleLine = 0x20,
  kTextNoClip = 0x100,
  kTextCalcRect = 0x400,          // measure only: rect receives the extent
  kTextUseFgAlpha = 0x20000000,   // blend with the text colour's alpha
};

// What a native font is made from (the platform side of the text style).
struct LICE_FontSpec {
  int height = 12;        // pixels
  int orientation = 0;    // degrees, counter-clockwise
  bool bold = false;
  bool italic = false;
  int quality = 0;        // 0 default, 1 not antialiased, 2 antialiased, 3 subpixel
  const char* face = "";  // family name
};

// A native font (a GDI font on Windows); null on failure.
LICE_HFONT LICE_CreateNativeFont(const LICE_FontSpec& desc);
void LICE_DestroyNativeFont(LICE_HFONT font);

// The virtual operations keep this order.
class LICE_IFont {
public:
  virtual ~LICE_IFont() = default;
  virtual void SetFromNativeFont(LICE_HFONT font, int flags) = 0;
  // Each setter returns the previous colour.
  virtual LICE_pixel SetTextColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetBackgroundColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetEffectColor(LICE_pixel color) = 0;
  // 1 transparent, 2 opaque background; returns the previous mode.
  virtual int SetBackgroundMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // Draws (or with kTextCalcRect measures) len bytes of UTF-8 text (len < 0:
  // up to the terminating zero) in rect. Returns the text height, 0 when
  // nothing could be done.
  virtual int DrawString(LICE_IBitmap* bitmap, const char* text, int len, LICE_Rect* rect, int flags) = 0;
  virtual LICE_pixel GetTextColor() = 0;
  virtual LICE_HFONT GetNativeFont() = 0;
  virtual int GetLineHeight() = 0;
  virtual bool DrawGlyph(LICE_IBitmap* bitmap, unsigned short c, int x, int y, const LICE_Rect* clip) = 0;
};

class LICE_CachedFont : public LICE_IFont {
public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  void SetFromNativeFont(LICE_HFONT font, int flags) override;
  LICE_pixel SetTextColor(LICE_pixel color) override;
  LICE_pixel SetBackgroundColor(LICE_pixel color) override;
  LICE_pixel SetEffectColor(LICE_pixel color) override;
  int SetBackgroundMode(int mode) override;
  void SetCombineMode(int mode, float alpha) override;
  int DrawString(LICE_IBitmap* bitmap, const char* text, int len, LICE_Rect* rect, int flags) override;
  LICE_pixel GetTextColor() override { return mTextColor; }
  LICE_HFONT GetNativeFont() override { return mFont; }
  int GetLineHeight() override { return mLineHeight; }
  bool DrawGlyph(LICE_IBitmap* bitmap, unsigned short c, int x, int y, const LICE_Rect* clip) override;

  // Fonts alive in the process; the shared scratch bitmap lives while any is.
  static int LiveCount();

private:
  // Platform parts.
  int MeasureNative(const char* text, int len, LICE_Rect* rect, int flags);
  int DrawNative(LICE_IBitmap* bitmap, const char* text, int len, LICE_Rect* rect, int flags);
  static int NativeLineHeight(LICE_HFONT font);
  // Shared white-on-black bitmap that text is rendered into before blending.
  static LICE_SysBitmap* Scratch();

  LICE_HFONT mFont = nullptr;
  int mFlags = 0;
  int mLineHeight = 0;
  LICE_pixel mTextColor = 0;
  LICE_pixel mBackgroundColor = 0xFFFFFFFFu;
  LICE_pixel mEffectColor = 0xFFFFFFFFu;
  int mBackgroundMode = 1;
  int mCombineMode = 0;
  float mCombineAlpha = 1.0f;
};
