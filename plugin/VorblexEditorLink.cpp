// The parts of processing that reach the editor: the on-screen keyboard plays
// notes and shows the keys held, the meters show the block peaks. Each hand-
// over is an atomic read or write on a control, so the audio thread never
// waits for the editor.
#include "plugin/Vorblex.h"

#ifdef VORBLEX_HAS_EDITOR
#include "editor/IGraphics.h"
#include "editor/IKeyboardControl.h"
#endif

#ifdef VORBLEX_HAS_EDITOR
IGraphics* Vorblex::Graphics() const { return static_cast<IGraphics*>(GetEditor()); }
#endif

void Vorblex::SetKeyboard(IKeyboardControl* keyboard)
{
#ifdef VORBLEX_HAS_EDITOR
  mKeyboard = keyboard;
  if (mKeyboard) mKeyboard->SetMidiKeyFlags(mMidiReceiver.KeyFlags());
#else
  (void)keyboard;
#endif
}

#ifndef VORBLEX_HAS_EDITOR
// Built without the editor library: no editor, every editor branch skipped.
void Vorblex::BuildEditor() {}
#endif

void Vorblex::ReadOnScreenKeyboard()
{
#ifdef VORBLEX_HAS_EDITOR
  if (!mKeyboard) return;
  const int k = mKeyboard->HeldKey() + 12;  // key index -1 means none
  if (mKeyboardNote >= 12 && k != mKeyboardNote)
    ProcessMidiMessage(IMidiMessage(0, 0x80, static_cast<uint8_t>(mKeyboardNote), 0));
  if (k >= 12 && k != mKeyboardNote && k <= 127) {
    const int velocity = static_cast<int>(126.0 * mKeyboard->PressHeight() + 0.5) + 1;
    ProcessMidiMessage(IMidiMessage(0, 0x90, static_cast<uint8_t>(k), static_cast<uint8_t>(velocity)));
  }
  mKeyboardNote = k;
#endif
}

void Vorblex::OnMidiForKeyboard()
{
#ifdef VORBLEX_HAS_EDITOR
  if (mKeyboard) mKeyboard->MarkDirty(false);
#endif
}

void Vorblex::PushMeterLevels()
{
#ifdef VORBLEX_HAS_EDITOR
  IGraphics* graphics = Graphics();
  if (!graphics) return;
  const int n = graphics->NControls();
  if (mMeterLeftIndex >= 0 && mMeterLeftIndex < n)
    graphics->SetControlValueFromPlugin(mMeterLeftIndex, mPeakMeter.DisplayedLeft());
  if (mMeterRightIndex >= 0 && mMeterRightIndex < n)
    graphics->SetControlValueFromPlugin(mMeterRightIndex, mPeakMeter.DisplayedRight());
#endif
}

void Vorblex::OnPresetsChanged()
{
  MutexLock lock(Mutex());
#ifdef VORBLEX_HAS_EDITOR
  if (IGraphics* graphics = Graphics()) graphics->SetAllControlsDirty();
#endif
}
