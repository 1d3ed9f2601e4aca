#pragma once
// On Linux a VST3 host lends the editor its event loop: the host frame offers
// IRunLoop, on which the view registers a timer and a handler for the window
// connection's descriptor. Both call the editor's idle, which handles the
// waiting window events and redraws when a timer period has passed.
#include "pluginterfaces/gui/iplugview.h"

#if SMTG_OS_LINUX
#include <atomic>

class IEditorLink;

class HostRunLoopLink : public Steinberg::Linux::IEventHandler, public Steinberg::Linux::ITimerHandler {
public:
  using tresult = Steinberg::tresult;
  using uint32 = Steinberg::uint32;

  // The timer period; the editor redraws every 40 ms and skips the calls
  // that come early.
  static constexpr uint32 kTimerMs = 20;

  explicit HostRunLoopLink(IEditorLink* editor) : mEditor(editor) {}

  // The frame's run loop, kept; false when the frame offers none.
  bool Connect(Steinberg::IPlugFrame* frame);
  // Timer and descriptor handler; false (and nothing left registered) when
  // the run loop refuses either.
  bool Register(int fd);
  void Unregister();

  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
  uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return ++mRefs; }
  uint32 PLUGIN_API release() SMTG_OVERRIDE;
  void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) SMTG_OVERRIDE;
  void PLUGIN_API onTimer() SMTG_OVERRIDE;

private:
  virtual ~HostRunLoopLink();

  IEditorLink* mEditor;
  Steinberg::Linux::IRunLoop* mRunLoop = nullptr;
  bool mTimer = false;
  bool mHandler = false;
  std::atomic<uint32> mRefs{1};
};
#endif
