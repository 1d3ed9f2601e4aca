#pragma once
// Plain records the plug-in base exchanges with adapters and the plug-in class.
#include <cstdint>
#include <vector>

#include "framework/IStateChunk.h"
#include "platform/MidiMessage.h"

struct ISysExMessage {
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;  // not owned
};

struct ITransportInfo {
  double mTempo = 120.0;
  double mSamplePos = 0.0;
  double mPPQPos = 0.0;
  double mLastBar = 0.0;
  double mCycleStart = 0.0;
  double mCycleEnd = 0.0;
  int32_t mNumerator = 4;
  int32_t mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

struct IChannelPair {
  int32_t mIn = 0;
  int32_t mOut = 0;
};

struct IInputChannel {
  bool mConnected = false;
  double** mDataSlot = nullptr;  // this channel's entry in the input data array
  std::vector<double> mScratch;
  char mLabel[32] = {};
  // Host arrays bound for the current block (one of them, or neither).
  const float* mHostFloat = nullptr;
  double* mHostDouble = nullptr;
};

struct IOutputChannel {
  bool mConnected = false;
  double** mDataSlot = nullptr;
  float* mFloatDest = nullptr;  // host's float array for the current block
  std::vector<double> mScratch;
  char mLabel[32] = {};
  double* mDoubleDest = nullptr;  // host's double array for the current block
};

constexpr int kPresetNameSize = 256;  // 255 characters plus the terminator

struct IPresetSlot {
  bool mInitialized = false;
  char mName[kPresetNameSize] = "empty";
  IStateChunk mChunk;
};
