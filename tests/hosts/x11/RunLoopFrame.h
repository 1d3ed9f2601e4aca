#pragma once
// The host frame a Linux VST3 host hands an editor view, with the host's run
// loop behind it (or, for the test of hosts without one, without it): file
// descriptor handlers and timers that Run() serves for a while, as a host's
// main loop would.
#include <chrono>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"

namespace x11host {

class RunLoopFrame : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop {
public:
  using tresult = Steinberg::tresult;
  using uint32 = Steinberg::uint32;

  explicit RunLoopFrame(bool offersRunLoop = true) : mOffersRunLoop(offersRunLoop) {}
  ~RunLoopFrame();

  // Serves descriptors and timers for ms milliseconds.
  void Run(int ms);
  int Handlers() const { return static_cast<int>(mHandlers.size()); }
  int Timers() const { return static_cast<int>(mTimers.size()); }
  // Period of the first timer registered, 0 for none.
  uint32 TimerPeriod() const { return mTimers.empty() ? 0 : mTimers.front().ms; }

  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
  // Lives on the test's stack: references are not counted.
  uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
  uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
  tresult PLUGIN_API resizeView(Steinberg::IPlugView*, Steinberg::ViewRect*) SMTG_OVERRIDE
  {
    return Steinberg::kResultFalse;
  }
  tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                          Steinberg::Linux::FileDescriptor fd) SMTG_OVERRIDE;
  tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) SMTG_OVERRIDE;
  tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                   Steinberg::Linux::TimerInterval ms) SMTG_OVERRIDE;
  tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) SMTG_OVERRIDE;

private:
  using Clock = std::chrono::steady_clock;
  struct Handler {
    Steinberg::Linux::IEventHandler* handler;
    int fd;
  };
  struct Timer {
    Steinberg::Linux::ITimerHandler* handler;
    uint32 ms;
    Clock::time_point due;
  };
  bool mOffersRunLoop;
  std::vector<Handler> mHandlers;
  std::vector<Timer> mTimers;
};

}  // namespace x11host
