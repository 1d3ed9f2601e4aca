#include "adapters/vst3/HostRunLoop.h"

#if SMTG_OS_LINUX
#include "adapters/vst3/EditorWindow.h"

using namespace Steinberg;

HostRunLoopLink::~HostRunLoopLink()
{
  Unregister();
  if (mRunLoop) mRunLoop->release();
}

bool HostRunLoopLink::Connect(IPlugFrame* frame)
{
  if (mRunLoop) return true;
  if (!frame) return false;
  void* runLoop = nullptr;
  if (frame->queryInterface(Linux::IRunLoop::iid, &runLoop) != kResultOk || !runLoop) return false;
  mRunLoop = static_cast<Linux::IRunLoop*>(runLoop);
  return true;
}

bool HostRunLoopLink::Register(int fd)
{
  if (!mRunLoop || fd < 0) return false;
  mHandler = mRunLoop->registerEventHandler(this, fd) == kResultOk;
  mTimer = mHandler && mRunLoop->registerTimer(this, kTimerMs) == kResultOk;
  if (mTimer) return true;
  Unregister();
  return false;
}

void HostRunLoopLink::Unregister()
{
  if (!mRunLoop) return;
  if (mTimer) mRunLoop->unregisterTimer(this);
  if (mHandler) mRunLoop->unregisterEventHandler(this);
  mTimer = mHandler = false;
  mEditor = nullptr;
}

tresult PLUGIN_API HostRunLoopLink::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
    *obj = static_cast<Linux::IEventHandler*>(this);
  } else if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid)) {
    *obj = static_cast<Linux::ITimerHandler*>(this);
  } else {
    *obj = nullptr;
    return kNoInterface;
  }
  addRef();
  return kResultOk;
}

Steinberg::uint32 PLUGIN_API HostRunLoopLink::release()
{
  const uint32 left = --mRefs;
  if (left == 0) delete this;
  return left;
}

void PLUGIN_API HostRunLoopLink::onFDIsSet(Linux::FileDescriptor)
{
  if (mEditor) vst3editor::Idle(mEditor);
}

void PLUGIN_API HostRunLoopLink::onTimer()
{
  if (mEditor) vst3editor::Idle(mEditor);
}
#endif
