#include "editor/drawn/DrawnTextField.h"

#include "editor/drawn/OverlayPaint.h"
#include "framework/IParameter.h"

namespace {
constexpr LICE_pixel kSelection = LICE_RGBA(153, 201, 239, 255);
}

DrawnTextField::DrawnTextField(IControl* control, IParameter* param, const IText& text, const IRect& rect,
                               const char* initial, int maxLength)
    : mControl(control),
      mParam(param),
      mStyle(text),
      mRect(rect.L, rect.T, rect.R + 1, rect.B + 1),
      mText(initial ? initial : ""),
      mMaxLength(maxLength < 0 ? 0 : maxLength)
{
  // The initial text is shown whole even when longer than what may be typed.
}

bool DrawnTextField::CharAllowed(const IParameter* param, int c)
{
  if (c == '\b') return true;
  if (!param) return c >= ' ' && c < 127;
  const bool digitOrSign = (c >= '0' && c <= '9') || c == '-' || c == '+';
  switch (param->Kind()) {
    case kTypeBool:
    case kTypeInt:
    case kTypeEnum: return digitOrSign;
    case kTypeDouble: return digitOrSign || c == '.';
    default: return false;
  }
}

bool DrawnTextField::Type(int c)
{
  if (c == '\b') {
    Backspace();
    return true;
  }
  if (!CharAllowed(mParam, c)) return false;
  if (mAllSelected) mText.clear();
  mAllSelected = false;
  if (static_cast<int>(mText.size()) >= mMaxLength) return false;
  mText += static_cast<char>(c);
  return true;
}

void DrawnTextField::Backspace()
{
  if (mAllSelected)
    mText.clear();
  else if (!mText.empty())
    mText.pop_back();
  mAllSelected = false;
}

void DrawnTextField::Paste(const std::string& text)
{
  for (char c : text) Type(static_cast<unsigned char>(c));
}

void DrawnTextField::Draw(LICE_IBitmap* dest, const IBitmap& glyphs, const IRect& clip) const
{
  const IRect area = mRect.Intersect(clip);
  overlay::FillRect(dest, mRect, mStyle.mTextEntryBGColor.Packed() | 0xFF000000u, area);
  const int width = overlay::TextWidth(mText.c_str());
  int x = mRect.L + 2;
  if (mStyle.mAlign == IText::kAlignCenter) x = (mRect.L + mRect.R - width) / 2;
  if (mStyle.mAlign == IText::kAlignFar) x = mRect.R - 2 - width;
  const int y = (mRect.T + mRect.B - overlay::kGlyphHeight) / 2;
  if (mAllSelected && width > 0) overlay::FillRect(dest, IRect(x, y, x + width, y + overlay::kGlyphHeight), kSelection, area);
  overlay::DrawText(dest, glyphs, mText.c_str(), x, y, area);
  // The caret after the last character.
  if (!mAllSelected) {
    const LICE_pixel ink = mStyle.mTextEntryFGColor.Packed() | 0xFF000000u;
    overlay::FillRect(dest, IRect(x + width, y, x + width + 1, y + overlay::kGlyphHeight), ink, area);
  }
}
