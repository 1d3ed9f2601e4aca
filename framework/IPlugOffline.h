#pragma once
// In-process adapter: the plug-in driven directly by our own code (tests,
// benchmarks, the command-line tool) instead of by a host. It plays the host's
// part: sets rate and block size, feeds MIDI, renders blocks, and records what
// a host would be told (parameter edits, preset changes, MIDI out) so callers
// can inspect it.
#include <vector>

#include "framework/IPlugBase.h"

// Nothing to hand over from a host; the type keeps the plug-in class's
// constructor the same on every adapter.
struct IPlugOfflineInstanceInfo {};

class IPlugOffline : public IPlugBase {
public:
  static constexpr int kDefaultBlockSize = 512;
  static constexpr int kMidiOutCapacity = 4096;
  static constexpr int kMidiInCapacity = 4096;

  struct HostEvent {
    enum Kind { kBeginEdit, kValue, kEndEdit, kPresetChange } kind;
    int paramIdx;
    double value;
  };

  explicit IPlugOffline(const IPlugConfig& config);
  IPlugOffline(IPlugOfflineInstanceInfo, const IPlugConfig& config) : IPlugOffline(config) {}

  // ---- Driving the plug-in, as a host would ----
  // Sets the rate and resets; a rate that is not a positive finite number is
  // refused (false) and changes nothing.
  bool SetHostSampleRate(double sampleRate);
  // Sets the block size and resets; sizes below 1 are refused.
  bool SetHostBlockSize(int blockSize);
  // Connects the first n outputs (and disconnects the rest).
  void ConnectOutputs(int n);
  // Queues a MIDI message for the next processed block; false when the
  // pending list is full.
  bool AddMidi(const IMidiMessage& msg);
  // Hands the pending MIDI to the plug-in and renders nFrames into the first
  // nOutputs arrays (which must hold nFrames samples), under the plug-in mutex.
  void ProcessBlock(double** outputs, int nOutputs, int nFrames);
  void ProcessBlock(float** outputs, int nOutputs, int nFrames, bool accumulate = false);
  void SetOfflineRender(bool offline) { mOffline = offline; }

  // ---- What a host would have been told ----
  const std::vector<HostEvent>& HostEvents() const { return mHostEvents; }
  void ClearHostEvents() { mHostEvents.clear(); }
  // MIDI passed back to the host (MIDI thru), in order, up to the capacity.
  const std::vector<IMidiMessage>& MidiOut() const { return mMidiOut; }
  void ClearMidiOut() { mMidiOut.clear(); }
  int DroppedMidiOut() const { return mDroppedMidiOut; }
  int SysExOutCount() const { return mSysExOut; }
  ITransportInfo& Transport() { return mTransport; }
  int ResizeRequests() const { return mResizeRequests; }

  // ---- IPlugBase host calls ----
  void BeginHostParameterEdit(int paramIdx) override;
  void InformHostParameterValue(int paramIdx, double normalizedValue) override;
  void EndHostParameterEdit(int paramIdx) override;
  void InformHostPresetChange() override;
  bool IsOfflineRender() override { return mOffline; }
  int GetSamplePosition() override { return static_cast<int>(mTransport.mSamplePos); }
  double GetTempo() override { return mTransport.mTempo; }
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  void ResizeEditor(int width, int height) override;
  bool SendMidiMessage(const IMidiMessage& msg) override;
  bool SendSysEx(const ISysExMessage& msg) override;

private:
  void DeliverPendingMidi();

  std::vector<HostEvent> mHostEvents;
  std::vector<IMidiMessage> mMidiOut;   // capacity reserved up front: written on the audio path
  std::vector<IMidiMessage> mMidiIn;    // likewise
  int mDroppedMidiOut = 0;
  int mSysExOut = 0;
  int mResizeRequests = 0;
  bool mOffline = false;
  ITransportInfo mTransport;
};
