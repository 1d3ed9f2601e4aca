#include "tests/hosts/x11/RunLoopFrame.h"

#include <poll.h>

#include <algorithm>

using namespace Steinberg;

namespace x11host {

RunLoopFrame::~RunLoopFrame()
{
  for (Handler& h : mHandlers) h.handler->release();
  for (Timer& t : mTimers) t.handler->release();
}

tresult PLUGIN_API RunLoopFrame::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
    *obj = static_cast<IPlugFrame*>(this);
  } else if (mOffersRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
    *obj = static_cast<Linux::IRunLoop*>(this);
  } else {
    return kNoInterface;
  }
  return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
  if (!handler || fd < 0) return kInvalidArgument;
  handler->addRef();
  mHandlers.push_back(Handler{handler, fd});
  return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::unregisterEventHandler(Linux::IEventHandler* handler)
{
  auto it = std::find_if(mHandlers.begin(), mHandlers.end(), [&](const Handler& h) { return h.handler == handler; });
  if (it == mHandlers.end()) return kResultFalse;
  it->handler->release();
  mHandlers.erase(it);
  return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms)
{
  if (!handler || ms == 0) return kInvalidArgument;
  handler->addRef();
  mTimers.push_back(Timer{handler, static_cast<uint32>(ms), Clock::now() + std::chrono::milliseconds(ms)});
  return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::unregisterTimer(Linux::ITimerHandler* handler)
{
  auto it = std::find_if(mTimers.begin(), mTimers.end(), [&](const Timer& t) { return t.handler == handler; });
  if (it == mTimers.end()) return kResultFalse;
  it->handler->release();
  mTimers.erase(it);
  return kResultOk;
}

void RunLoopFrame::Run(int ms)
{
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  do {
    Clock::time_point next = end;
    for (const Timer& t : mTimers) next = std::min(next, t.due);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    std::vector<pollfd> fds;
    for (const Handler& h : mHandlers) fds.push_back(pollfd{h.fd, POLLIN, 0});
    poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(0, std::min<long long>(wait, 10))));
    // A callback may unregister: work on copies.
    const std::vector<Handler> handlers = mHandlers;
    for (size_t i = 0; i < fds.size() && i < handlers.size(); ++i)
      if (fds[i].revents & POLLIN) handlers[i].handler->onFDIsSet(handlers[i].fd);
    const Clock::time_point now = Clock::now();
    for (Timer& t : mTimers) {
      if (t.due > now) continue;
      t.due = now + std::chrono::milliseconds(t.ms);
      t.handler->onTimer();
      break;  // the list may have changed
    }
  } while (Clock::now() < end);
}

}  // namespace x11host
