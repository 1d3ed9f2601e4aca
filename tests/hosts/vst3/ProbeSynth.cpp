// The plug-in of the probe module: the instrument's identity, parameters,
// presets and state layout on the VST3 adapter, with a sound simple enough to
// predict sample by sample, so the test host can see through the published
// interfaces exactly what the adapter handed the plug-in.
//
// Output 1: a cosine at the held note's pitch, amplitude velocity / 127 times
// the "Output Gain" parameter (dB), starting at the note-on's offset and
// stopping at the note-off's. Output 2 (when connected): the last MIDI
// message received, as (status << 16 | data1 << 8 | data2) / 2^24, exact in
// single precision.
#include <cmath>

#include "adapters/vst3/IEditorWindow.h"
#include "adapters/vst3/VST3Module.h"
#include "plugin/ParamTable.h"
#include "tests/hosts/vst3/Probe.h"

namespace {

IPlugConfig ProbeConfig()
{
  IPlugConfig c;
  c.nParams = kParamCount;
  c.channelIOStr = "0-1 0-2";
  c.nPresets = 1;
  c.effectName = "Vorblex";
  c.makerName = "Tessolar";
  c.version = 0x00010001;
  c.uniqueID = MakeFourCC('s', 'p', 'g', 'p');
  c.makerID = MakeFourCC('P', 'q', 'x', 'r');
  c.isInstrument = true;
  c.midiIn = true;
  return c;
}

// An editor that has a window of the instrument's size but draws nothing.
class ProbeEditor : public IEditorLink, public IEditorWindow {
public:
  void SetParameterFromHost(int, double, bool) override {}
  void CreateDrawBitmaps() override {}
  int WindowWidth() const override { return probe::kEditorWidth; }
  int WindowHeight() const override { return probe::kEditorHeight; }
  void* OpenWindow(void* parent) override { return parent; }
  void CloseWindow() override {}
};

class ProbeSynth : public IPlugVST3 {
public:
  explicit ProbeSynth(const IPlugInstanceInfo& info) : IPlugVST3(info, ProbeConfig())
  {
    InitParameters(*this);
    NotifyAllParameters();
    AttachEditor(new ProbeEditor);
    FillEmptyPresets("-", 1);
  }
  ~ProbeSynth() override { DeleteEditor(); }

  bool SerializeState(IStateChunk& chunk) override
  {
    MutexLock lock(Mutex());
    return chunk.PutInt(GetEffectVersion()) && SerializeParams(chunk);
  }

  int UnserializeState(const IStateChunk& chunk, int pos) override
  {
    MutexLock lock(Mutex());
    pos = (pos < 0 || static_cast<long long>(pos) + 4 > chunk.Size()) ? -1 : pos + 4;
    return UnserializeParams(chunk, pos);
  }

  int CheckState(const IStateChunk& chunk, int pos) override
  {
    pos = (pos < 0 || static_cast<long long>(pos) + 4 > chunk.Size()) ? -1 : pos + 4;
    return CheckParams(chunk, pos);
  }

  void Reset() override
  {
    MutexLock lock(Mutex());
    mRate = GetSampleRate();
    mCount = 0;
  }

  void OnParameterChange(int idx) override
  {
    MutexLock lock(Mutex());
    if (idx == kOutputGain) mGain = std::pow(10.0, GetParameter(idx)->Value() / 20.0);
  }

  void ProcessMidiMessage(const IMidiMessage& msg) override
  {
    if (mCount >= kQueueSize) return;
    // Kept in offset order; equal offsets keep their arrival order.
    int at = mCount;
    while (at > 0 && mQueue[at - 1].mOffset > msg.mOffset) {
      mQueue[at] = mQueue[at - 1];
      --at;
    }
    mQueue[at] = msg;
    ++mCount;
  }

  void ProcessBlockDouble(double**, double** outputs, int nFrames) override
  {
    const bool second = IsOutChannelConnected(1);
    int next = 0;
    for (int i = 0; i < nFrames; ++i) {
      for (; next < mCount && mQueue[next].mOffset <= i; ++next) Consume(mQueue[next]);
      double out = 0.0;
      if (mNote >= 0) {
        const double freq = 440.0 * std::pow(2.0, (mNote - 69) / 12.0);
        out = mGain * mVelocity / 127.0 * std::cos(2.0 * probe::kPi * freq * static_cast<double>(mFrame) / mRate);
        ++mFrame;
      }
      outputs[0][i] = out;
      if (second) outputs[1][i] = probe::DecodeScale * static_cast<double>(mLastCode);
    }
    // Messages due in later blocks move to the front, their offsets shifted.
    int kept = 0;
    for (int m = next; m < mCount; ++m) {
      mQueue[kept] = mQueue[m];
      mQueue[kept].mOffset -= nFrames;
      ++kept;
    }
    mCount = kept;
  }

private:
  static constexpr int kQueueSize = 512;

  void Consume(const IMidiMessage& m)
  {
    mLastCode = static_cast<uint32_t>(m.mStatus) << 16 | static_cast<uint32_t>(m.mData1) << 8 | m.mData2;
    const int kind = m.mStatus & 0xF0;
    if (kind == 0x90 && m.mData2 > 0) {
      mNote = m.mData1;
      mVelocity = m.mData2;
      mFrame = 0;
    } else if ((kind == 0x80 || kind == 0x90) && m.mData1 == mNote) {
      mNote = -1;
    }
  }

  double mRate = 44100.0;
  double mGain = 1.0;
  int mNote = -1;
  int mVelocity = 0;
  long mFrame = 0;
  uint32_t mLastCode = 0;
  IMidiMessage mQueue[kQueueSize];
  int mCount = 0;
};

}  // namespace

IPlugVST3* MakeVST3Plug(const IPlugInstanceInfo& instanceInfo) { return new ProbeSynth(instanceInfo); }
