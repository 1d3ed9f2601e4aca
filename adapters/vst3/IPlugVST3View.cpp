#include "adapters/vst3/IPlugVST3View.h"

#include <cstring>

#include "adapters/vst3/EditorWindow.h"
#include "adapters/vst3/IPlugVST3.h"

using namespace Steinberg;

IPlugVST3View::IPlugVST3View(IPlugVST3* plug) : mPlug(plug)
{
  if (mPlug) mPlug->addRef();
}

IPlugVST3View::~IPlugVST3View()
{
  if (!mPlug) return;
  // A host that drops the view without removing it first leaves no window behind.
  if (isAttached()) {
    mPlug->OnEditorClose();
    vst3editor::CloseWindow(mPlug->GetEditor());
  }
  mPlug->RemoveView(this);
  mPlug->release();
}

tresult PLUGIN_API IPlugVST3View::isPlatformTypeSupported(FIDString type)
{
  if (!mPlug || !vst3editor::HasWindow(mPlug->GetEditor()) || !type) return kResultFalse;
  return std::strcmp(type, kPlatformTypeHWND) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3View::attached(void* parent, FIDString type)
{
  if (!mPlug || !vst3editor::HasWindow(mPlug->GetEditor())) return kResultFalse;
  if (!parent) return kInvalidArgument;
  if (isAttached()) return kResultFalse;  // one window per view
  // Only a Windows window can hold the editor, and only one that opened counts.
  if (!type || std::strcmp(type, kPlatformTypeHWND) != 0) return kResultFalse;
  if (!vst3editor::OpenWindow(mPlug->GetEditor(), parent)) return kResultFalse;
  mPlug->OnEditorOpen();
  CPluginView::attached(parent, type);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::removed()
{
  // Only a view that was attached has a window to close.
  if (isAttached() && mPlug && vst3editor::HasWindow(mPlug->GetEditor())) {
    mPlug->OnEditorClose();
    vst3editor::CloseWindow(mPlug->GetEditor());
  }
  CPluginView::removed();
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::getSize(ViewRect* size)
{
  if (!size) return kInvalidArgument;
  int width = 0, height = 0;
  if (!mPlug || !vst3editor::WindowSize(mPlug->GetEditor(), &width, &height)) return kResultFalse;
  *size = ViewRect(0, 0, width, height);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::onSize(ViewRect* newSize)
{
  if (!newSize) return kInvalidArgument;
  CPluginView::onSize(newSize);
  if (mResizeRequested) {
    mResizeRequested = false;
    if (mPlug) mPlug->OnEditorResize();
  }
  return kResultOk;
}

void IPlugVST3View::RequestResize(int width, int height)
{
  mResizeRequested = true;
  if (plugFrame) {
    ViewRect rect(0, 0, width, height);
    plugFrame->resizeView(this, &rect);
  }
}
