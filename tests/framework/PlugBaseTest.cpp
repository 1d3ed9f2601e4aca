#include <gtest/gtest.h>

#include <vector>

#include "support/TestPlug.h"

namespace {
class RecordingEditor : public IEditorLink {
public:
  struct Call {
    int idx;
    double value;
    bool normalized;
  };
  explicit RecordingEditor(std::vector<Call>* calls, bool* destroyed) : mCalls(calls), mDestroyed(destroyed) {}
  ~RecordingEditor() override { *mDestroyed = true; }
  void SetParameterFromHost(int idx, double value, bool normalized) override
  {
    mCalls->push_back({idx, value, normalized});
  }
  void CreateDrawBitmaps() override { mCalls->push_back({-1, 0, false}); }

private:
  std::vector<Call>* mCalls;
  bool* mDestroyed;
};
}  // namespace

TEST(PlugBase, IdentityAndChannels)
{
  TestPlug plug;
  EXPECT_STREQ(plug.GetEffectName(), "Vorblex");
  EXPECT_STREQ(plug.GetMakerName(), "Tessolar");
  EXPECT_STREQ(plug.GetProductName(), "");
  EXPECT_EQ(plug.GetUniqueID(), 0x73706770);
  EXPECT_EQ(plug.GetMakerID(), 0x50717872);
  EXPECT_EQ(plug.VersionDecimal(), 10001);
  EXPECT_EQ(plug.GetInterfaceKind(), kInterfaceOffline);
  EXPECT_EQ(plug.GetHostKind(), kHostUninit);
  EXPECT_EQ(plug.NInChannels(), 0);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_TRUE(plug.LegalIO(0, 2));
  EXPECT_TRUE(plug.LegalIO(0, 1));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_FALSE(plug.LegalIO(1, -1));
  EXPECT_FALSE(plug.LegalIO(0, 3));
  EXPECT_EQ(plug.NPresets(), 1);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
}

TEST(PlugBase, MalformedChannelTextGivesEmptyPairs)
{
  IPlugConfig c = InstrumentConfig();
  c.channelIOStr = "x 2-4";
  class Plain : public IPlugOffline {
  public:
    explicit Plain(const IPlugConfig& cfg) : IPlugOffline(cfg) {}
  } plain(c);
  EXPECT_EQ(plain.NInChannels(), 2);
  EXPECT_EQ(plain.NOutChannels(), 4);
  EXPECT_TRUE(plain.LegalIO(0, 0));
  EXPECT_TRUE(plain.LegalIO(2, 4));
  EXPECT_FALSE(plain.LegalIO(2, 3));
}

TEST(PlugBase, BlockSizeRules)
{
  TestPlug plug;
  EXPECT_EQ(plug.GetBlockSize(), IPlugOffline::kDefaultBlockSize);
  EXPECT_FALSE(plug.SetHostBlockSize(0));
  EXPECT_FALSE(plug.SetHostBlockSize(-5));
  EXPECT_EQ(plug.GetBlockSize(), IPlugOffline::kDefaultBlockSize);
  EXPECT_TRUE(plug.SetHostBlockSize(64));
  EXPECT_EQ(plug.GetBlockSize(), 64);
  EXPECT_FALSE(plug.SetHostSampleRate(0));
  EXPECT_FALSE(plug.SetHostSampleRate(-48000));
  EXPECT_FALSE(plug.SetHostSampleRate(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(plug.SetHostSampleRate(std::numeric_limits<double>::infinity()));
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_TRUE(plug.SetHostSampleRate(48000));
  EXPECT_EQ(plug.GetSampleRate(), 48000.0);
}

TEST(PlugBase, FloatBlocksReplaceOrAccumulateAndLongBlocksAreSliced)
{
  TestPlug plug;
  ASSERT_TRUE(plug.SetHostBlockSize(4));
  std::vector<float> left(10, 100.0f), right(10, 100.0f);
  float* outs[2] = {left.data(), right.data()};
  plug.ProcessBlock(outs, 2, 10);
  EXPECT_EQ(plug.blocks, 3);  // 4 + 4 + 2
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(left[i], static_cast<float>(i));
    EXPECT_EQ(right[i], -static_cast<float>(i));
  }
  plug.ProcessBlock(outs, 2, 2, true);
  EXPECT_EQ(left[0], 10.0f);  // 0 + 10
  EXPECT_EQ(left[1], 12.0f);  // 1 + 11
}

TEST(PlugBase, UnconnectedOutputNeverReachesTheHost)
{
  TestPlug plug;
  plug.ConnectOutputs(1);
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  std::vector<double> left(8, 7.0), right(8, 7.0);
  double* outs[2] = {left.data(), right.data()};
  plug.ProcessBlock(outs, 2, 8);
  EXPECT_EQ(plug.blocks, 1);
  EXPECT_EQ(left[3], 3.0);
  for (double v : right) EXPECT_EQ(v, 7.0);
  // No block at all for zero or negative frame counts.
  plug.ProcessBlock(outs, 2, 0);
  plug.ProcessBlock(outs, 2, -3);
  EXPECT_EQ(plug.blocks, 1);
}

TEST(PlugBase, SetParameterFromEditorInformsHostWithGivenValue)
{
  TestPlug plug;
  plug.SetParameterFromEditor(kOsc1Octave, 0.51);  // rounds to 0 octaves
  EXPECT_EQ(plug.GetParameter(kOsc1Octave)->Value(), 0.0);
  ASSERT_EQ(plug.HostEvents().size(), 1u);
  EXPECT_EQ(plug.HostEvents()[0].kind, IPlugOffline::HostEvent::kValue);
  EXPECT_EQ(plug.HostEvents()[0].value, 0.51);
  ASSERT_EQ(plug.changes.size(), 1u);
  EXPECT_EQ(plug.changes[0], kOsc1Octave);
  plug.SetParameterFromEditor(60, 0.5);
  plug.SetParameterFromEditor(-1, 0.5);
  EXPECT_EQ(plug.HostEvents().size(), 1u);
}

TEST(PlugBase, AttachEditorAndRedraw)
{
  std::vector<RecordingEditor::Call> calls;
  bool destroyed = false;
  {
    TestPlug plug;
    plug.AttachEditor(nullptr);
    EXPECT_EQ(plug.GetEditor(), nullptr);
    plug.AttachEditor(new RecordingEditor(&calls, &destroyed));
    ASSERT_EQ(calls.size(), 61u);
    EXPECT_TRUE(calls[0].normalized);
    EXPECT_DOUBLE_EQ(calls[kOutputGain].value, 0.7);  // -6 dB in -48..12
    EXPECT_EQ(calls[60].idx, -1);                   // bitmaps created after the values
    calls.clear();
    plug.RedrawParameterControls();
    ASSERT_EQ(calls.size(), 60u);
    EXPECT_FALSE(calls[0].normalized);
    EXPECT_EQ(calls[kOutputGain].value, -6.0);
  }
  EXPECT_TRUE(destroyed);
}
