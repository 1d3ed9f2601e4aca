#pragma once
// Sample-accurate MIDI intake: messages wait in a queue ordered by sample
// offset and are consumed, once per output sample, before that sample is
// rendered. Key flags track which notes are down; the on-screen keyboard reads
// them from the editor thread, so they are atomics.
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/Signal.h"
#include "platform/MidiMessage.h"

class MidiQueue {
public:
  static constexpr int kInitialCapacity = 1024;

  MidiQueue();
  // Inserts after every queued message with an offset not greater than m's,
  // so equal offsets keep their arrival order. Growing beyond the capacity is
  // the one allocation the audio path may make; if it fails, m is dropped.
  void Add(const IMidiMessage& m);
  // Drops consumed messages and sizes the queue for n messages.
  void Resize(int n);
  bool HasDue(int32_t counter) const { return mFront < mCount && mBuf[mFront].mOffset <= counter; }
  const IMidiMessage& PopFront() { return mBuf[mFront++]; }
  // Drops consumed messages and moves the rest n samples earlier.
  void EndBlock(int n);

  int Pending() const { return mCount - mFront; }
  int Capacity() const { return mCapacity; }
  const IMidiMessage& PendingAt(int i) const { return mBuf[mFront + i]; }

private:
  void DropConsumed();
  std::vector<IMidiMessage> mBuf;  // mCapacity entries
  int mFront = 0;
  int mCount = 0;
  int mCapacity = 0;
  int mGranularity = kInitialCapacity;
};

class MidiReceiver {
public:
  static constexpr int kNumKeys = 128;

  MidiReceiver();

  void Add(const IMidiMessage& m) { mQueue.Add(m); }
  void Resize(int n) { mQueue.Resize(n); }
  // Consumes the messages due at the current sample, then counts the sample.
  void Advance();
  // After Advance(): how many samples, the one just advanced and at most
  // `limit` in all, pass before the next message falls due. Skip() counts
  // all but the first of them, so the caller can render them as one run.
  int32_t QuietFrames(int32_t limit) const
  {
    if (mQueue.Pending() == 0) return limit;
    const int64_t due = static_cast<int64_t>(mQueue.PendingAt(0).mOffset) - (mSampleCounter - 1);
    return due < 1 ? 1 : (due < limit ? static_cast<int32_t>(due) : limit);
  }
  void Skip(int32_t n) { mSampleCounter += n; }
  void EndBlock(int n)
  {
    mQueue.EndBlock(n);
    mSampleCounter = 0;
  }

  bool IsKeyDown(int note) const
  {
    return note >= 0 && note < kNumKeys && mKeys[note].load(std::memory_order_relaxed);
  }
  // The flags themselves, for the on-screen keyboard to read while drawing.
  const std::atomic<bool>* KeyFlags() const { return mKeys; }
  int KeysDown() const { return mKeysDown; }
  const MidiQueue& Queue() const { return mQueue; }

  Signal<int, int> mNoteOn;          // note, velocity
  Signal<int, int> mNoteOff;         // note, velocity
  Signal<double> mPitchBend;         // -1..1
  Signal<int, int> mPolyAftertouch;  // note, pressure
  Signal<int> mChannelPressure;
  Signal<double, int> mControlChange;  // value 0..1, controller
  Signal<int> mProgramChange;

private:
  void Consume(const IMidiMessage& m);

  MidiQueue mQueue;
  int32_t mSampleCounter = 0;
  int32_t mKeysDown = 0;
  std::atomic<bool> mKeys[kNumKeys];
};
