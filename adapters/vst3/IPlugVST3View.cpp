#include "adapters/vst3/IPlugVST3View.h"

#include <cstring>

#include "adapters/vst3/EditorWindow.h"
#include "adapters/vst3/HostRunLoop.h"
#include "adapters/vst3/IPlugVST3.h"

using namespace Steinberg;

namespace {
// The one kind of host window the editor's window can live in here.
FIDString NativePlatformType()
{
#if SMTG_OS_WINDOWS
  return kPlatformTypeHWND;
#elif SMTG_OS_LINUX
  return kPlatformTypeX11EmbedWindowID;
#else
  return nullptr;
#endif
}

bool IsNativeType(FIDString type) { return type && NativePlatformType() && std::strcmp(type, NativePlatformType()) == 0; }
}  // namespace

IPlugVST3View::IPlugVST3View(IPlugVST3* plug) : mPlug(plug)
{
  if (mPlug) mPlug->addRef();
}

IPlugVST3View::~IPlugVST3View()
{
  if (!mPlug) return;
  // A host that drops the view without removing it first leaves no window behind.
  if (isAttached()) CloseEditor();
  mPlug->RemoveView(this);
  mPlug->release();
}

void IPlugVST3View::CloseEditor()
{
#if SMTG_OS_LINUX
  if (mRunLoop) {
    mRunLoop->Unregister();
    mRunLoop->release();
    mRunLoop = nullptr;
  }
#endif
  mPlug->OnEditorClose();
  vst3editor::CloseWindow(mPlug->GetEditor());
}

tresult PLUGIN_API IPlugVST3View::isPlatformTypeSupported(FIDString type)
{
  if (!mPlug || !vst3editor::HasWindow(mPlug->GetEditor()) || !type) return kResultFalse;
  return IsNativeType(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3View::attached(void* parent, FIDString type)
{
  if (!mPlug || !vst3editor::HasWindow(mPlug->GetEditor())) return kResultFalse;
  if (!parent) return kInvalidArgument;
  if (isAttached()) return kResultFalse;  // one window per view
  if (!IsNativeType(type)) return kResultFalse;
  IEditorLink* editor = mPlug->GetEditor();
  // Only a window that opened counts.
  bool open = vst3editor::OpenWindow(editor, parent) != nullptr;
#if SMTG_OS_LINUX
  // A window with events of its own (X11) lives on the host's run loop; a
  // host frame without one could never show it.
  const int fd = open ? vst3editor::WindowEventFd(editor) : -1;
  if (fd >= 0) {
    auto* runLoop = new HostRunLoopLink(editor);
    if (runLoop->Connect(plugFrame) && runLoop->Register(fd)) {
      mRunLoop = runLoop;
    } else {
      runLoop->release();
      vst3editor::CloseWindow(editor);
      open = false;
    }
  }
#endif
  if (!open) return kResultFalse;
  mPlug->OnEditorOpen();
  CPluginView::attached(parent, type);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::removed()
{
  // Only a view that was attached has a window to close.
  if (isAttached() && mPlug && vst3editor::HasWindow(mPlug->GetEditor())) CloseEditor();
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
