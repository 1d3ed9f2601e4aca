#include "editor/IKeyboardControl.h"

#include "editor/IGraphics.h"

namespace {
// Added to a key's index, the step of its semitone gives the next key of the
// same colour.
constexpr int kKeySteps[12] = {2, 2, 2, 3, 1, 2, 2, 2, 2, 2, 3, 1};
constexpr int kBlackSemitones[5] = {1, 3, 6, 8, 10};
// White-key image frames by semitone (C, D, E, F, G, A, B); the top key has
// its own.
constexpr int kWhiteFrames[12] = {1, 0, 2, 0, 3, 1, 0, 4, 0, 5, 0, 3};
constexpr int kTopKeyFrame = 6;
}  // namespace

IKeyboardControl::IKeyboardControl(IPlugBase* plug, int x, int y, const IBitmap& whiteKeys, const IBitmap& blackKeys,
                                   const int* keyOffsets)
    : IControl(plug, IRect(x, y, x + 57 * whiteKeys.W, y + whiteKeys.H / whiteKeys.N)),
      mWhiteKeys(whiteKeys),
      mBlackKeys(blackKeys),
      mOctaveWidth(7 * whiteKeys.W)
{
  for (int i = 0; i < 12; ++i) mKeyOffsets[i] = keyOffsets ? keyOffsets[i] : 0;
  mDblAsSingleClick = true;
}

int IKeyboardControl::KeyAt(int x, int y, double* pressHeight) const
{
  const IRect& r = mTargetRECT;
  // An empty white-key image would make every octave 0 pixels wide.
  if (!r.Contains(x, y) || mOctaveWidth <= 0 || mWhiteKeys.W <= 0) return -1;
  const int dx = x - r.L, dy = y - r.T;
  const int octave = dx / mOctaveWidth;
  const int p = dx % mOctaveWidth;
  const int blackHeight = mBlackKeys.H / mBlackKeys.N;

  if (dy < blackHeight && octave < kOctaves) {
    for (int s : kBlackSemitones) {
      if (p >= mKeyOffsets[s] && p < mKeyOffsets[s] + mBlackKeys.W) {
        if (pressHeight) *pressHeight = static_cast<double>(dy) / blackHeight;
        return s + 12 * octave;
      }
    }
  }
  const int k = p / mWhiteKeys.W;
  const int semitone = 2 * k - 1 + (k < 3 ? 1 : 0);
  if (pressHeight) *pressHeight = static_cast<double>(dy) / r.H();
  return semitone + 12 * octave;
}

void IKeyboardControl::OnMouseDown(int x, int y, const IMouseMod& mod)
{
  if (mod.R) return;
  double height = 0.0;
  const int key = KeyAt(x, y, &height);
  if (key == mHeldKey.load(std::memory_order_relaxed)) return;
  // Off the keyboard (-1) always lets go, whatever MIDI note 11 is doing.
  if (key >= 0 && IsNoteSounding(kLowestNote + key)) return;
  mPressHeight.store(height, std::memory_order_relaxed);
  mHeldKey.store(key, std::memory_order_release);
  MarkDirty(true);
}

void IKeyboardControl::OnMouseDrag(int x, int y, int, int, const IMouseMod& mod) { OnMouseDown(x, y, mod); }

void IKeyboardControl::OnMouseUp(int, int, const IMouseMod&)
{
  if (mHeldKey.load(std::memory_order_relaxed) < 0) return;
  mHeldKey.store(-1, std::memory_order_release);
  MarkDirty(true);
}

bool IKeyboardControl::AnyNoteSounding() const
{
  if (!mKeyFlags) return false;
  for (int note = 0; note < kNumMidiKeys; ++note)
    if (mKeyFlags[note].load(std::memory_order_relaxed)) return true;
  return false;
}

bool IKeyboardControl::Draw(IGraphics* graphics)
{
  const int held = mHeldKey.load(std::memory_order_relaxed);
  if (held < 0 && !AnyNoteSounding()) return true;

  const int whiteW = mWhiteKeys.W;
  int pen = mRECT.L;
  for (int k = 0; k < kLastKey; k += kKeySteps[k % 12]) {
    if (IsNoteSounding(kLowestNote + k) || k == held)
      DrawKey(graphics, IRect(pen, mRECT.T, pen + whiteW, mRECT.B), k, k % 12, false);
    pen += whiteW;
  }
  if (IsNoteSounding(kLowestNote + kLastKey) || held == kLastKey)
    DrawKey(graphics, IRect(pen, mRECT.T, pen + whiteW, mRECT.B), kLastKey, kLastKey % 12, false);

  const int blackH = mBlackKeys.H / mBlackKeys.N;
  int origin = mRECT.L;
  for (int k = 1; k <= kLastKey;) {
    const int s = k % 12;
    if (IsNoteSounding(kLowestNote + k) || k == held) {
      const int left = origin + mKeyOffsets[s];
      DrawKey(graphics, IRect(left, mRECT.T, left + mBlackKeys.W, mRECT.T + blackH), k, s, true);
    }
    k += kKeySteps[s];
    if (s == 10) origin += mOctaveWidth;
  }
  return true;
}

void IKeyboardControl::DrawKey(IGraphics* graphics, const IRect& rect, int key, int semitone, bool isBlack)
{
  const IBitmap& image = isBlack ? mBlackKeys : mWhiteKeys;
  int frame = 1;
  if (!isBlack) frame = key == kLastKey ? kTopKeyFrame : kWhiteFrames[semitone % 12];
  int srcX = 0, srcY = 0;
  FrameOffset(image, frame, &srcX, &srcY);
  graphics->DrawBitmap(image, rect, srcX, srcY, &mBlend);
}
