// GDI side of the cached font: native fonts, measuring, and drawing either
// with GDI directly into the bitmap's DC or by rendering white-on-black text
// into the shared scratch bitmap and blending the colour through it.
#include <windows.h>

#include <algorithm>
#include <string>

#include "editor/raster/LICE_Font.h"

static_assert(kTextCenter == DT_CENTER && kTextRight == DT_RIGHT && kTextVCenter == DT_VCENTER &&
                  kTextBottom == DT_BOTTOM && kTextSingleLine == DT_SINGLELINE && kTextNoClip == DT_NOCLIP &&
                  kTextCalcRect == DT_CALCRECT,
              "text flags pass straight to DrawText");

namespace {
// Wine's GDI text does not match what Windows draws into DIB sections, so under
// Wine the blended path is used. Asked once per process.
bool RunningUnderWine()
{
  static const bool wine = [] {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }();
  return wine;
}

// UTF-8 when the bytes are valid UTF-8, else the system code page.
std::wstring Widen(const char* text, int len)
{
  if (len <= 0) return std::wstring();
  UINT codePage = CP_UTF8;
  DWORD check = MB_ERR_INVALID_CHARS;
  int n = MultiByteToWideChar(codePage, check, text, len, nullptr, 0);
  if (n <= 0) {
    codePage = CP_ACP;
    check = 0;
    n = MultiByteToWideChar(codePage, check, text, len, nullptr, 0);
  }
  std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, check, text, len, &wide[0], n);
  return wide;
}

COLORREF ToColorRef(LICE_pixel p) { return RGB(LICE_GETR(p), LICE_GETG(p), LICE_GETB(p)); }

const int kNativeFlagMask = ~kTextUseFgAlpha;

// A memory DC with the font selected, for measuring.
class FontDC {
public:
  explicit FontDC(HFONT font) : mDC(CreateCompatibleDC(nullptr))
  {
    if (mDC) mOld = SelectObject(mDC, font);
  }
  ~FontDC()
  {
    if (mDC) {
      SelectObject(mDC, mOld);
      DeleteDC(mDC);
    }
  }
  FontDC(const FontDC&) = delete;
  FontDC& operator=(const FontDC&) = delete;
  HDC Get() const { return mDC; }

private:
  HDC mDC;
  HGDIOBJ mOld = nullptr;
};
}  // namespace

LICE_HFONT LICE_CreateNativeFont(const LICE_FontSpec& desc)
{
  static const DWORD kQuality[] = {DEFAULT_QUALITY, NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY};
  const DWORD quality = desc.quality >= 0 && desc.quality <= 3 ? kQuality[desc.quality] : DEFAULT_QUALITY;
  return CreateFontA(desc.height, 0, desc.orientation * 10, desc.orientation * 10, desc.bold ? FW_BOLD : FW_NORMAL,
                     desc.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                     DEFAULT_PITCH, desc.face ? desc.face : "");
}

void LICE_DestroyNativeFont(LICE_HFONT font)
{
  if (font) DeleteObject(font);
}

int LICE_CachedFont::NativeLineHeight(LICE_HFONT font)
{
  FontDC dc(font);
  TEXTMETRICW tm = {};
  return dc.Get() && GetTextMetricsW(dc.Get(), &tm) ? tm.tmHeight : 0;
}

int LICE_CachedFont::MeasureNative(const char* text, int len, LICE_Rect* rect, int flags)
{
  FontDC dc(mFont);
  if (!dc.Get()) return 0;
  const std::wstring wide = Widen(text, len);
  RECT r = {rect->l, rect->t, rect->r, rect->b};
  const int height = DrawTextW(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &r,
                               (flags & kNativeFlagMask) | DT_CALCRECT);
  *rect = {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
  return height;
}

int LICE_CachedFont::DrawNative(LICE_IBitmap* bitmap, const char* text, int len, LICE_Rect* rect, int flags)
{
  const std::wstring wide = Widen(text, len);
  const int count = static_cast<int>(wide.size());
  const int nativeFlags = flags & kNativeFlagMask;
  HDC dest = bitmap->GetDC();
  const bool native = (mFlags & kFontFlagAllowNative) && dest && !(flags & kTextUseFgAlpha) &&
                      mEffectColor == 0xFFFFFFFFu && !RunningUnderWine();
  if (native) {
    HGDIOBJ old = SelectObject(dest, mFont);
    ::SetTextColor(dest, ToColorRef(mTextColor));
    SetBkColor(dest, ToColorRef(mBackgroundColor));
    SetBkMode(dest, mBackgroundMode == 2 ? OPAQUE : TRANSPARENT);
    RECT r = {rect->l, rect->t, rect->r, rect->b};
    const int height = DrawTextW(dest, wide.c_str(), count, &r, nativeFlags);
    SelectObject(dest, old);
    GdiFlush();
    return height;
  }

  // Lay the text out as DrawText would, then render it once in white.
  LICE_Rect box = *rect;
  const int height = MeasureNative(text, len, &box, flags);
  const int w = box.r - box.l, h = box.b - box.t;
  if (height <= 0 || w <= 0 || h <= 0) return 0;
  int x = rect->l, y = rect->t;
  if (flags & kTextCenter) x = rect->l + (rect->r - rect->l - w) / 2;
  else if (flags & kTextRight) x = rect->r - w;
  if (flags & kTextVCenter) y = rect->t + (rect->b - rect->t - h) / 2;
  else if (flags & kTextBottom) y = rect->b - h;

  LICE_SysBitmap* scratch = Scratch();
  if (scratch->GetWidth() < w || scratch->GetHeight() < h)
    scratch->Resize(std::max(scratch->GetWidth(), w), std::max(scratch->GetHeight(), h));
  HDC sdc = scratch->GetDC();
  if (!sdc || !scratch->GetBits() || scratch->GetWidth() < w || scratch->GetHeight() < h) return 0;
  HGDIOBJ old = SelectObject(sdc, mFont);
  ::SetTextColor(sdc, RGB(255, 255, 255));
  SetBkColor(sdc, RGB(0, 0, 0));
  SetBkMode(sdc, OPAQUE);
  RECT local = {0, 0, w, h};
  FillRect(sdc, &local, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawTextW(sdc, wide.c_str(), count, &local, nativeFlags & ~(DT_VCENTER | DT_BOTTOM));
  SelectObject(sdc, old);
  GdiFlush();

  // Clip to the destination, and to rect unless asked not to.
  int cl = 0, ct = 0, cr = bitmap->GetWidth(), cb = bitmap->GetHeight();
  if (!(flags & kTextNoClip)) {
    cl = std::max(cl, rect->l);
    ct = std::max(ct, rect->t);
    cr = std::min(cr, rect->r);
    cb = std::min(cb, rect->b);
  }
  const int textAlpha = (flags & kTextUseFgAlpha) ? static_cast<int>(LICE_GETA(mTextColor)) : 255;
  const int strength = static_cast<int>(textAlpha * std::min(std::max(mCombineAlpha, 0.0f), 1.0f) + 0.5f);
  const bool opaque = mBackgroundMode == 2;
  for (int py = std::max(0, ct - y); py < h && y + py < cb; ++py) {
    const LICE_pixel* s = LICE_Row(scratch, py);
    LICE_pixel* d = LICE_Row(bitmap, y + py);
    for (int px = std::max(0, cl - x); px < w && x + px < cr; ++px) {
      const int coverage = static_cast<int>(std::max({LICE_GETR(s[px]), LICE_GETG(s[px]), LICE_GETB(s[px])}));
      LICE_pixel& out = d[x + px];
      if (opaque) out = mBackgroundColor | 0xFF000000u;
      const int a = coverage * strength / 255;
      if (a == 0) continue;
      LICE_pixel mixed = static_cast<LICE_pixel>(std::min(255, a + static_cast<int>(LICE_GETA(out)))) << 24;
      for (int shift = 0; shift < 24; shift += 8) {
        const int dc = static_cast<int>((out >> shift) & 0xFF);
        const int tc = static_cast<int>((mTextColor >> shift) & 0xFF);
        mixed |= static_cast<LICE_pixel>(dc + (tc - dc) * a / 255) << shift;
      }
      out = mixed;
    }
  }
  return height;
}
