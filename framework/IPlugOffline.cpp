#include "framework/IPlugOffline.h"

#include <algorithm>
#include <cmath>

IPlugOffline::IPlugOffline(const IPlugConfig& config) : IPlugBase(config, kInterfaceOffline)
{
  mMidiOut.reserve(kMidiOutCapacity);
  mMidiIn.reserve(kMidiInCapacity);
  SetBlockSize(kDefaultBlockSize);
  ConnectOutputChannels(0, NOutChannels(), true);
}

bool IPlugOffline::SetHostSampleRate(double sampleRate)
{
  MutexLock lock(mMutex);
  if (!SetSampleRate(sampleRate)) return false;
  Reset();
  return true;
}

bool IPlugOffline::SetHostBlockSize(int blockSize)
{
  MutexLock lock(mMutex);
  if (blockSize < 1) return false;
  SetBlockSize(blockSize);
  Reset();
  return true;
}

void IPlugOffline::ConnectOutputs(int n)
{
  MutexLock lock(mMutex);
  n = std::max(0, std::min(n, NOutChannels()));
  ConnectOutputChannels(0, n, true);
  ConnectOutputChannels(n, NOutChannels() - n, false);
}

bool IPlugOffline::AddMidi(const IMidiMessage& msg)
{
  MutexLock lock(mMutex);
  if (static_cast<int>(mMidiIn.size()) >= kMidiInCapacity) return false;
  mMidiIn.push_back(msg);
  return true;
}

void IPlugOffline::DeliverPendingMidi()
{
  // Hosts deliver a block's events in offset order. Insertion sort: stable,
  // and unlike std::stable_sort it never allocates on the audio path.
  for (size_t i = 1; i < mMidiIn.size(); ++i) {
    const IMidiMessage m = mMidiIn[i];
    size_t j = i;
    for (; j > 0 && mMidiIn[j - 1].mOffset > m.mOffset; --j) mMidiIn[j] = mMidiIn[j - 1];
    mMidiIn[j] = m;
  }
  for (const IMidiMessage& msg : mMidiIn) ProcessMidiMessage(msg);
  mMidiIn.clear();
}

void IPlugOffline::ProcessBlock(double** outputs, int nOutputs, int nFrames)
{
  MutexLock lock(mMutex);
  // A block of no frames renders nothing and leaves the pending MIDI pending.
  if (nFrames <= 0) return;
  DeliverPendingMidi();
  BindInputBuffers(0, static_cast<double**>(nullptr), nFrames);
  BindOutputBuffers(outputs ? nOutputs : 0, outputs);
  RunBlock(nFrames);
}

void IPlugOffline::ProcessBlock(float** outputs, int nOutputs, int nFrames, bool accumulate)
{
  MutexLock lock(mMutex);
  // A block of no frames renders nothing and leaves the pending MIDI pending.
  if (nFrames <= 0) return;
  DeliverPendingMidi();
  BindInputBuffers(0, static_cast<float**>(nullptr), nFrames);
  BindOutputBuffers(outputs ? nOutputs : 0, outputs);
  RunBlock(nFrames, accumulate);
}

void IPlugOffline::BeginHostParameterEdit(int paramIdx)
{
  MutexLock lock(mMutex);
  mHostEvents.push_back({HostEvent::kBeginEdit, paramIdx, 0.0});
}

void IPlugOffline::InformHostParameterValue(int paramIdx, double normalizedValue)
{
  MutexLock lock(mMutex);
  mHostEvents.push_back({HostEvent::kValue, paramIdx, normalizedValue});
}

void IPlugOffline::EndHostParameterEdit(int paramIdx)
{
  MutexLock lock(mMutex);
  mHostEvents.push_back({HostEvent::kEndEdit, paramIdx, 0.0});
}

void IPlugOffline::InformHostPresetChange()
{
  MutexLock lock(mMutex);
  mHostEvents.push_back({HostEvent::kPresetChange, -1, 0.0});
}

void IPlugOffline::GetTimeSignature(int* numerator, int* denominator)
{
  if (numerator) *numerator = mTransport.mNumerator;
  if (denominator) *denominator = mTransport.mDenominator;
}

void IPlugOffline::GetTransportInfo(ITransportInfo* info)
{
  if (info) *info = mTransport;
}

void IPlugOffline::ResizeEditor(int, int) { ++mResizeRequests; }

bool IPlugOffline::SendMidiMessage(const IMidiMessage& msg)
{
  // Runs on the audio path: record into the reserved capacity, never grow.
  if (mMidiOut.size() < mMidiOut.capacity()) {
    mMidiOut.push_back(msg);
  } else {
    ++mDroppedMidiOut;
  }
  return false;
}

bool IPlugOffline::SendSysEx(const ISysExMessage&)
{
  ++mSysExOut;
  return false;
}
