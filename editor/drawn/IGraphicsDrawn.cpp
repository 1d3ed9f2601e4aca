// Frame composition, the text field's life, the drawn popup menu's loop and
// the tooltip of IGraphicsDrawn; IGraphicsDrawnEvents.cpp turns window events
// into graphics-core events.
#include "editor/drawn/IGraphicsDrawn.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "editor/IControl.h"
#include "editor/drawn/OverlayPaint.h"

namespace {
constexpr LICE_pixel kTooltipPaper = LICE_RGBA(255, 255, 225, 255);
constexpr LICE_pixel kTooltipBorder = LICE_RGBA(118, 118, 118, 255);
// The tooltip sits this far below the pointer, clear of the cursor image.
constexpr int kTooltipOffsetY = 20;
}  // namespace

IGraphicsDrawn::IGraphicsDrawn(IPlugBase* plug, int width, int height, int fps) : IGraphics(plug, width, height, fps)
{
}

IGraphicsDrawn::~IGraphicsDrawn() = default;

unsigned long IGraphicsDrawn::Now() const
{
  using namespace std::chrono;
  return static_cast<unsigned long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

unsigned long IGraphicsDrawn::TickPeriod() const { return static_cast<unsigned long>(1000 / (FPS() > 0 ? FPS() : 25)); }

void IGraphicsDrawn::CreateFrame() { mFrame = std::make_unique<LICE_MemBitmap>(Width(), Height()); }

void IGraphicsDrawn::ReleaseFrame() { mFrame.reset(); }

void IGraphicsDrawn::ResetWindowState()
{
  mTextField.reset();
  mTextEntryState = kTextEntryNone;
  mTooltipShowing = false;
  mTooltipIdx = -1;
  mPointerInside = false;
  mLastPressValid = false;
  mCaptured = false;
}

bool IGraphicsDrawn::PresentToScreen(const IRect& rect)
{
  LICE_IBitmap* source = GetDrawBitmap();
  if (!mFrame || !mFrame->GetBits() || !source || !source->GetBits()) return false;
  const IRect r(std::max(rect.L, 0), std::max(rect.T, 0), std::min(rect.R, std::min(Width(), source->GetWidth())),
                std::min(rect.B, std::min(Height(), source->GetHeight())));
  if (r.L >= r.R || r.T >= r.B) return true;
  for (int y = r.T; y < r.B; ++y)
    std::memcpy(LICE_Row(mFrame.get(), y) + r.L, LICE_Row(source, y) + r.L, sizeof(LICE_pixel) * r.W());

  const IBitmap glyphs = overlay::LoadGlyphs(this);
  if (mTextField) mTextField->Draw(mFrame.get(), glyphs, r);
  if (mTooltipShowing && mTooltipRect.Intersects(r)) {
    const IRect area = mTooltipRect.Intersect(r);
    overlay::FillRect(mFrame.get(), mTooltipRect, kTooltipPaper, area);
    overlay::FrameRect(mFrame.get(), mTooltipRect, kTooltipBorder, area);
    overlay::DrawText(mFrame.get(), glyphs, mTooltipText.c_str(), mTooltipRect.L + 4, mTooltipRect.T + 3, area);
  }
  if (mMenu) mMenu->Draw(mFrame.get(), glyphs, r);
  return BlitToWindow(r);
}

void IGraphicsDrawn::Resize(int width, int height)
{
  if (width == Width() && height == Height()) return;
  IGraphics::Resize(width, height);
  if (mFrame) CreateFrame();
}

void IGraphicsDrawn::ShowTextEntry(IControl* control, const IText& text, const IRect& rect, const char* initial,
                                   IParameter* param)
{
  if (!control || mTextField || !mFrame) return;
  mTextField = std::make_unique<DrawnTextField>(control, param, text, rect, initial, control->GetTextEntryLength());
  TakeFocus();
  mTextEntryState = kTextEntryEditing;
  PresentToScreen(mTextField->Rect());
}

void IGraphicsDrawn::EndTextEntry()
{
  if (mTextEntryState == kTextEntryCommit && mTextField) {
    const std::string text = mTextField->Text();
    IControl* control = mTextField->Control();
    IParameter* param = mTextField->Param();
    // Gone first: applying the value may reach back into us.
    DestroyTextEntry();
    ApplyTextEntry(control, param, text.c_str());
    return;
  }
  DestroyTextEntry();
}

void IGraphicsDrawn::DestroyTextEntry()
{
  if (!mTextField) return;
  const IRect rect = mTextField->Rect();
  mTextField.reset();
  mTextEntryState = kTextEntryNone;
  PresentToScreen(rect);
}

void IGraphicsDrawn::CancelTextEntry() { DestroyTextEntry(); }

IPopupMenu* IGraphicsDrawn::ShowPopupMenu(IPopupMenu* menu, const IRect& rect)
{
  SetMouseCapture(-1);
  SetMousePosition(-1, -1);
  if (!menu || !mFrame || mMenu) return nullptr;
  HideTooltip();
  mMenu = std::make_unique<DrawnMenu>(menu, rect, IRect(0, 0, Width(), Height()));
  IRect shown = mMenu->Area();
  PresentToScreen(shown);
  while (!mMenu->Done()) {
    const unsigned long period = TickPeriod(), since = Now() - mLastTick;
    if (!WaitForEvents(since >= period ? 0 : static_cast<int>(period - since))) break;
    TickIfDue();
    const IRect area = mMenu->Area();
    PresentToScreen(shown.Union(area));
    shown = area;
  }
  const int id = mMenu->ChosenCommandId();
  mMenu.reset();
  // As after a native menu: the whole editor drawn again.
  if (mFrame) Draw(IRect(0, 0, Width(), Height()));
  int itemIdx = -1;
  IPopupMenu* chosen = menu->MenuForCommandId(id, &itemIdx);
  if (chosen) chosen->SetChosenItemIdx(itemIdx);
  return chosen;
}

void IGraphicsDrawn::ShowTooltip()
{
  const IControl* control = GetControl(mTooltipIdx);
  mTooltipText = control ? control->GetTooltip() : std::string();
  mTooltipShowing = true;
  if (mTooltipText.empty()) {
    mTooltipRect = IRect();
    return;
  }
  const int w = overlay::TextWidth(mTooltipText.c_str()) + 8, h = overlay::kGlyphHeight + 6;
  int x = std::min(mHoverX, Width() - w), y = mHoverY + kTooltipOffsetY;
  if (y + h > Height()) y = mHoverY - h - 4;
  x = std::max(x, 0);
  y = std::max(y, 0);
  mTooltipRect = IRect(x, y, x + w, y + h);
  PresentToScreen(mTooltipRect);
}

void IGraphicsDrawn::HideTooltip()
{
  if (!mTooltipShowing) return;
  mTooltipShowing = false;
  mTooltipText.clear();
  const IRect rect = mTooltipRect;
  mTooltipRect = IRect();
  if (!rect.Empty()) PresentToScreen(rect);
}

void IGraphicsDrawn::TickIfDue()
{
  const unsigned long now = Now();
  if (now - mLastTick >= TickPeriod()) OnTick(now);
}

void IGraphicsDrawn::OnTick(unsigned long now)
{
  mLastTick = now;
  if (mTextField && mTextEntryState != kTextEntryNone) {
    if (mTextEntryState == kTextEntryEditing || mTextEntryState == kTextEntryRepainted) {
      mTextEntryState = kTextEntryNone;
      return;
    }
    EndTextEntry();
    return;
  }
  if (TooltipsEnabled() && !mTooltipShowing && mTooltipIdx >= 0 && mPointerInside && !mMenu &&
      now - mHoverStart >= kHoverMs)
    ShowTooltip();

  IRect dirty;
  if (!CollectDirtyRect(&dirty)) return;
  Draw(dirty);
  if (mTextField) mTextEntryState = kTextEntryRepainted;
}
