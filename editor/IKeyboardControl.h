#pragma once
// On-screen piano keyboard of 97 keys (MIDI notes 12 to 108). Pressing or
// sliding over a key holds it; the plug-in's processing polls the held key and
// the press height once per block and turns them into notes. Drawing shows the
// keys held here and the notes sounding from MIDI over the background's
// picture of the keys at rest, every pass.
//
// Threads: the held key and press height are written here on the editor
// thread and read by processing without a lock; the MIDI key flags are written
// by processing and read here. All three are atomics.
#include <atomic>

#include "editor/IControl.h"

class IKeyboardControl : public IControl {
public:
  static constexpr int kOctaves = 8;
  static constexpr int kLowestNote = 12;
  static constexpr int kLastKey = 96;
  static constexpr int kNumMidiKeys = 128;

  // keyOffsets: x of each of the 12 semitones' keys within an octave; only
  // the black keys' entries (1, 3, 6, 8, 10) are used.
  IKeyboardControl(IPlugBase* plug, int x, int y, const IBitmap& whiteKeys, const IBitmap& blackKeys,
                   const int* keyOffsets);

  void OnMouseDown(int x, int y, const IMouseMod& mod) override;
  void OnMouseUp(int x, int y, const IMouseMod& mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) override;
  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override { return true; }
  virtual void DrawKey(IGraphics* graphics, const IRect& rect, int key, int semitone, bool isBlack);

  // Key index (0 to 96) at (x, y), or -1; the press height there (0 at the
  // top edge of the key) in *pressHeight when given.
  int KeyAt(int x, int y, double* pressHeight = nullptr) const;

  // ---- Read by processing, once per block: lock-free, allocation-free ----
  // The held key index (-1 when none). The press height stored before it is
  // at least as new as the key read.
  int HeldKey() const noexcept { return mHeldKey.load(std::memory_order_acquire); }
  double PressHeight() const noexcept { return mPressHeight.load(std::memory_order_relaxed); }

  // ---- Set by the plug-in: the MIDI receiver's 128 key flags, which must
  // outlive this control. Null means no note is ever sounding from MIDI. ----
  void SetMidiKeyFlags(const std::atomic<bool>* keyFlags) { mKeyFlags = keyFlags; }
  bool IsNoteSounding(int note) const
  {
    return mKeyFlags && note >= 0 && note < kNumMidiKeys && mKeyFlags[note].load(std::memory_order_relaxed);
  }

  int OctaveWidth() const { return mOctaveWidth; }

private:
  bool AnyNoteSounding() const;

  IBitmap mWhiteKeys;
  IBitmap mBlackKeys;
  int mKeyOffsets[12];
  int mOctaveWidth;
  std::atomic<int> mHeldKey{-1};
  std::atomic<double> mPressHeight{0.0};
  const std::atomic<bool>* mKeyFlags = nullptr;
};

static_assert(std::atomic<int>::is_always_lock_free, "held key must be lock-free");
static_assert(std::atomic<bool>::is_always_lock_free, "key flags must be lock-free");
