#pragma once
// The editor view a VST3 host embeds: opens the plug-in's editor window inside
// the host's window (HWND on Windows; on Linux an X11 window id, with the
// host frame's run loop driving the window) and reports its fixed size. A
// view holds a reference to its plug-in for as long as it exists.
#include "public.sdk/source/common/pluginview.h"

class IPlugVST3;
class HostRunLoopLink;

class IPlugVST3View : public Steinberg::CPluginView {
public:
  using tresult = Steinberg::tresult;

  explicit IPlugVST3View(IPlugVST3* plug);
  ~IPlugVST3View() override;

  tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) SMTG_OVERRIDE;
  tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) SMTG_OVERRIDE;
  tresult PLUGIN_API removed() SMTG_OVERRIDE;
  tresult PLUGIN_API getSize(Steinberg::ViewRect* size) SMTG_OVERRIDE;
  tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
  // The editor has one size; the host may not change it.
  tresult PLUGIN_API canResize() SMTG_OVERRIDE { return Steinberg::kResultFalse; }
  tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* /*rect*/) SMTG_OVERRIDE
  {
    return Steinberg::kResultFalse;
  }

  // The plug-in asks for a new size: remembered, so the host's onSize answer
  // tells the editor, and passed to the host frame.
  void RequestResize(int width, int height);

private:
  void CloseEditor();

  IPlugVST3* mPlug;
  HostRunLoopLink* mRunLoop = nullptr;  // Linux: the registration on the host's run loop
  bool mResizeRequested = false;
};
