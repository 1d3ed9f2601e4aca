#include "engine/MidiReceiver.h"

#include <algorithm>
#include <new>

MidiQueue::MidiQueue() : mBuf(kInitialCapacity), mCapacity(kInitialCapacity) {}

void MidiQueue::DropConsumed()
{
  if (mFront == 0) return;
  std::copy(mBuf.begin() + mFront, mBuf.begin() + mCount, mBuf.begin());
  mCount -= mFront;
  mFront = 0;
}

void MidiQueue::Add(const IMidiMessage& m)
{
  if (mCount >= mCapacity) {
    if (mFront > 0) {
      DropConsumed();
    } else {
      int grown = mGranularity * (mCapacity / mGranularity + 1);
      try {
        mBuf.resize(static_cast<size_t>(grown));
      } catch (const std::bad_alloc&) {
        return;
      }
      mCapacity = grown;
    }
  }
  int at = mCount;
  while (at > mFront && mBuf[at - 1].mOffset > m.mOffset) {
    mBuf[at] = mBuf[at - 1];
    --at;
  }
  mBuf[at] = m;
  ++mCount;
}

void MidiQueue::Resize(int n)
{
  DropConsumed();
  if (n < 1) return;
  // Never below the initial size: a host with tiny blocks would otherwise
  // make the queue grow, and allocate, on the audio thread for every few
  // messages.
  mGranularity = std::max(n, kInitialCapacity);
  int capacity = std::max({n, mCount, kInitialCapacity});
  try {
    mBuf.resize(static_cast<size_t>(capacity));
    mBuf.shrink_to_fit();
  } catch (const std::bad_alloc&) {
    return;
  }
  mCapacity = capacity;
}

void MidiQueue::EndBlock(int n)
{
  DropConsumed();
  for (int i = 0; i < mCount; ++i) mBuf[i].mOffset -= n;
}

MidiReceiver::MidiReceiver()
{
  for (auto& key : mKeys) key.store(false, std::memory_order_relaxed);
}

void MidiReceiver::Advance()
{
  while (mQueue.HasDue(mSampleCounter)) Consume(mQueue.PopFront());
  ++mSampleCounter;
}

void MidiReceiver::Consume(const IMidiMessage& m)
{
  // Data bytes come from the host; anything above 127 is not a MIDI value.
  if (m.mData1 > 127 || m.mData2 > 127) return;
  const int note = m.mData1;
  switch (m.Kind()) {
    case 0x9:
      if (m.mData2 > 0) {
        if (!mKeys[note].load(std::memory_order_relaxed)) {
          mKeys[note].store(true, std::memory_order_relaxed);
          ++mKeysDown;
          mNoteOn.Emit(note, m.mData2);
        }
        break;
      }
      [[fallthrough]];  // note-on with velocity 0 is a note-off
    case 0x8:
      if (mKeys[note].load(std::memory_order_relaxed)) {
        mKeys[note].store(false, std::memory_order_relaxed);
        --mKeysDown;
        mNoteOff.Emit(note, m.mData2);
      }
      break;
    case 0xA:
      if (mKeys[note].load(std::memory_order_relaxed)) mPolyAftertouch.Emit(note, m.mData2);
      break;
    case 0xB:
      mControlChange.Emit(m.mData2 / 127.0, m.mData1);
      break;
    case 0xC:
      mProgramChange.Emit(m.mData1);
      break;
    case 0xD:
      mChannelPressure.Emit(m.mData1);
      break;
    case 0xE:
      mPitchBend.Emit((m.mData1 + 128.0 * m.mData2 - 8192.0) / 8192.0);
      break;
    default:
      break;
  }
}
