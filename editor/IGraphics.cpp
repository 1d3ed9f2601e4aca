#include "editor/IGraphics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/GraphicsCaches.h"
#include "editor/IBitmapControl.h"
#include "framework/IPlugBase.h"

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int fps)
    : mPlug(plug), mWidth(width), mHeight(height), mFPS(fps)
{
}

IGraphics::~IGraphics()
{
  mKeyCatcher.reset();
  DeleteControls();
}

void IGraphics::DeleteControls()
{
  // Topmost first, the reverse of attaching.
  for (auto it = mControls.rbegin(); it != mControls.rend(); ++it) delete *it;
  mControls.clear();
}

void IGraphics::CreateDrawBitmaps()
{
  mDrawBitmap = std::make_unique<LICE_SysBitmap>(mWidth, mHeight);
  mTmpBitmap = std::make_unique<LICE_MemBitmap>();
}

void IGraphics::AttachControl(IControl* control)
{
  if (!control) return;
  control->SetGraphics(this);
  mControls.push_back(control);
}

void IGraphics::AttachBackground(int id, const char* fileName)
{
  IBitmap bitmap = LoadBitmap(id, fileName, 1);
  auto* background = new IBitmapControl(mPlug, 0, 0, -1, bitmap, IBlend(IBlend::kBlendClobber, 1.0f));
  background->SetGraphics(this);
  mControls.insert(mControls.begin(), background);
}

IBitmap IGraphics::LoadBitmap(int id, const char* fileName, int nFrames, bool framesAreHorizontal)
{
  LICE_IBitmap* data = BitmapCache::FindOrLoad(id, [&] { return LoadPlatformBitmap(id, fileName); });
  // A missing image gives an empty strip: controls built on it are 0 pixels
  // in size, draw nothing and are never hit.
  const int w = data ? data->GetWidth() : 0;
  const int h = data ? data->GetHeight() : 0;
  return IBitmap(data, w, h, nFrames, framesAreHorizontal);
}

void IGraphics::SetKeyCatcher(IControl* control)
{
  mKeyCatcher.reset(control);
  if (control) control->SetGraphics(this);
}

void IGraphics::SetParameterFromHost(int paramIdx, double value, bool normalized)
{
  if (!normalized) {
    const IParameter* param = mPlug ? mPlug->GetParameter(paramIdx) : nullptr;
    if (!param) return;
    value = param->ToNormalized(value);
  }
  for (IControl* control : mControls) {
    if (control->ParamIdx() == paramIdx) control->SetValueFromPlugin(value);
    for (int i = 0; i < control->NLinkedParams(); ++i) {
      if (control->GetLinkedParam(i).mParamIdx == paramIdx) {
        control->SetLinkedValueFromPlugin(i, value);
        break;
      }
    }
  }
}

void IGraphics::SetControlValueFromPlugin(int controlIdx, double value)
{
  if (controlIdx >= 0 && controlIdx < NControls()) mControls[controlIdx]->SetValueFromPlugin(value);
}

void IGraphics::SetControlsFromUserValue(int paramIdx, double normalizedValue)
{
  for (IControl* control : mControls)
    if (control->ParamIdx() == paramIdx) control->SetValueFromUser(normalizedValue);
}

void IGraphics::SetAllControlsDirty()
{
  for (IControl* control : mControls) control->MarkDirty(false);
}

void IGraphics::PromptForParameterValue(IControl* control, IParameter* param, const IRect& rect)
{
  if (!control || !param || !mPlug) return;
  char current[kParamTextSize] = {};
  const EParameterKind kind = param->Kind();
  const bool asMenu = kind == kTypeEnum || (kind == kTypeBool && param->NDisplayTexts() > 0);
  {
    // Automation may be changing the value on another thread.
    MutexLock lock(mPlug->Mutex());
    param->FormatDisplay(current, asMenu);
  }

  if (asMenu) {
    IPopupMenu menu;
    for (int i = 0; i < param->NDisplayTexts(); ++i) {
      const char* text = param->GetDisplayTextAtIndex(i);
      menu.AddItem(text, std::strcmp(text, current) == 0 ? IPopupMenu::kItemChecked : 0);
    }
    if (ShowPopupMenu(&menu, rect) == &menu && menu.GetChosenItemIdx() >= 0)
      control->SetValueFromUser(param->ToNormalized(menu.GetChosenItemIdx()));
    return;
  }
  ShowTextEntry(control, control->GetText(), rect, current, param);
}

void IGraphics::ApplyTextEntry(IControl* control, IParameter* param, const char* text)
{
  if (!control) return;
  if (!text) text = "";
  if (!param) {
    control->SetTextFromEntry(text);
    return;
  }
  double value = 0.0;
  const EParameterKind kind = param->Kind();
  if (kind == kTypeEnum || kind == kTypeBool) {
    int mapped = 0;
    if (param->MapDisplayText(text, &mapped)) value = mapped;
  } else {
    value = std::strtod(text, nullptr);
    if (param->NegateDisplay()) value = -value;
  }
  control->SetValueFromUser(param->ToNormalized(value));
}

void IGraphics::Resize(int width, int height)
{
  mWidth = width;
  mHeight = height;
  EndGesture();
  ReleaseMouseCapture();
  // Would point at a deleted control.
  mMouseOver = -1;
  DeleteControls();
  mDrawBitmap.reset();
  mTmpBitmap.reset();
  CreateDrawBitmaps();
  if (mPlug) mPlug->ResizeEditor(width, height);
}
