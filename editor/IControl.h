#pragma once
// Base of every editor control: a rectangle that draws itself into the
// graphics object's draw bitmap, reacts to the events routed to it and, when
// bound to a parameter, carries that parameter's normalised value both ways.
//
// Threads: events, drawing and the value prompt run on the editor thread.
// SetValueFromPlugin, SetLinkedValueFromPlugin and MarkDirty(false) may also
// come from the threads on which the host changes parameters or processes
// audio, so the value, the default and the dirty state are atomics that those
// calls touch without locking or allocating.
#include <atomic>
#include <string>
#include <vector>

#include "editor/IGraphicsStructs.h"

class IGraphics;
class IPlugBase;

static_assert(std::atomic<double>::is_always_lock_free, "control values must be lock-free");
static_assert(std::atomic<unsigned>::is_always_lock_free, "dirty flags must be lock-free");

class IControl {
public:
  struct LinkedParam {
    double mValue;
    int mParamIdx;
  };

  IControl(IPlugBase* plug, const IRect& rect, int paramIdx = -1, const IBlend& blend = IBlend());
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  virtual void OnMouseDown(int x, int y, const IMouseMod& mod);
  virtual void OnMouseUp(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseDblClick(int x, int y, const IMouseMod& mod);
  virtual void OnMouseWheel(int /*x*/, int /*y*/, const IMouseMod& /*mod*/, int /*notches*/) {}
  virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
  virtual void OnMouseOver(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* graphics) = 0;
  // A value from the plug-in side: shown, never sent back.
  virtual void SetValueFromPlugin(double value);
  // A value chosen by the user (typed, picked, generated): shown and pushed to
  // the plug-in as an edit.
  virtual void SetValueFromUser(double value);
  virtual void SetTextFromEntry(const char* /*text*/) {}
  virtual void Hide(bool hide);
  virtual void SetGreyed(bool greyed);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }
  // Clamps the value and marks the control for the next draw pass; with push,
  // a bound control hands the value to the plug-in base as an editor edit.
  virtual void MarkDirty(bool pushToPlug = true);
  // Drawn: stays dirty for one more pass only when a redraw was requested.
  virtual void MarkClean();
  virtual bool IsDirty() { return (mFlags.load() & kDirty) != 0; }
  virtual void SetLinkedValueFromPlugin(int position, double value);

  // Opens the value prompt (menu or text field) when prompts are enabled.
  void PromptForValue();
  void PromptForValue(const IRect& rect);

  double GetValue() const { return mValue.load(std::memory_order_relaxed); }
  void SetValue(double value) { mValue.store(value, std::memory_order_relaxed); }
  double GetDefaultValue() const { return mDefaultValue.load(std::memory_order_relaxed); }
  void SetDefaultValue(double value) { mDefaultValue.store(value, std::memory_order_relaxed); }
  void SetClamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }
  void SetRedrawAgain() { mFlags.fetch_or(kRedrawAgain); }
  bool RedrawAgain() const { return (mFlags.load() & kRedrawAgain) != 0; }

  const IRect& GetRECT() const { return mRECT; }
  const IRect& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetArea(const IRect& rect) { mTargetRECT = rect; }
  int ParamIdx() const { return mParamIdx; }
  IPlugBase* GetPlug() const { return mPlug; }
  IGraphics* GetGraphics() const { return mGraphics; }
  // Set by the graphics object when it takes the control.
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }

  bool IsHidden() const { return mHide; }
  bool IsGreyed() const { return mGreyed; }
  bool GetMOWhenGreyed() const { return mMOWhenGreyed; }
  void SetMOWhenGreyed(bool allow) { mMOWhenGreyed = allow; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool PromptDisabled() const { return mDisablePrompt; }
  const IBlend& GetBlend() const { return mBlend; }

  IText& GetText() { return mText; }
  void SetText(const IText& text) { mText = text; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }
  const std::string& GetTooltip() const { return mTooltip; }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip ? tooltip : ""; }

  int NLinkedParams() const { return static_cast<int>(mLinkedParams.size()); }
  const LinkedParam& GetLinkedParam(int position) const { return mLinkedParams[position]; }
  void AddLinkedParam(int paramIdx) { mLinkedParams.push_back(LinkedParam{0.0, paramIdx}); }

protected:
  enum : unsigned { kDirty = 1u, kRedrawAgain = 2u };

  int mTextEntryLength = 7;
  IText mText;
  IPlugBase* mPlug;
  IRect mRECT;
  IRect mTargetRECT;
  int mParamIdx;
  std::vector<LinkedParam> mLinkedParams;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  double mClampLo = 0.0, mClampHi = 1.0;
  // Dirty and redraw-again live in one word so that a value pushed from the
  // plug-in's thread while the editor cleans the control is never lost.
  std::atomic<unsigned> mFlags{kDirty};
  bool mHide = false;
  bool mGreyed = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGreyed = false;
  IBlend mBlend;
  std::string mTooltip;
  IGraphics* mGraphics = nullptr;
};
