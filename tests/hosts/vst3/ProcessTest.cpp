// Processing: notes at offsets, parameter queues, presets and bypass through
// the process call, both sample sizes, and blocks a careless host might send.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "plugin/ParamTable.h"
#include "tests/hosts/vst3/Probe.h"
#include "tests/hosts/vst3/TestHost.h"
#ifndef _WIN32
#include "support/AllocGuard.h"
#endif

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

const double kDefaultGain = std::pow(10.0, -6.0 / 20.0);  // "Output Gain" -6 dB

double GainAt(double normalized) { return std::pow(10.0, (-48.0 + 60.0 * normalized) / 20.0); }

class Started : public testing::TestWithParam<int32> {
protected:
  void SetUp() override
  {
    plugin = Plugin::Create();
    ASSERT_NE(plugin, nullptr);
    plugin->Start(44100.0, 1024, GetParam());
  }
  BlockResult Run(BlockSpec block)
  {
    block.sampleSize = GetParam();
    return plugin->Process(block);
  }
  // Tolerance of the block's sample size.
  double Tolerance() const { return GetParam() == kSample64 ? 1e-12 : 1e-6; }
  std::unique_ptr<Plugin> plugin;
};

INSTANTIATE_TEST_SUITE_P(SampleSizes, Started, testing::Values(kSample32, kSample64),
                         [](const testing::TestParamInfo<int32>& info) {
                           return info.param == kSample64 ? std::string("Double") : std::string("Float");
                         });

bool SilentUpTo(const std::vector<double>& x, size_t end)
{
  for (size_t i = 0; i < end && i < x.size(); ++i)
    if (x[i] != 0.0) return false;
  return true;
}

bool SoundsWithin(const std::vector<double>& x, size_t from, size_t to)
{
  for (size_t i = from; i < to && i < x.size(); ++i)
    if (x[i] != 0.0) return true;
  return false;
}

TEST_P(Started, NoteOnReachesThePluginAtItsOffset)
{
  BlockSpec block;
  block.notes = {{100, true, 69, 1.0f, 2}};
  BlockResult r = Run(block);
  ASSERT_EQ(r.result, kResultOk);
  EXPECT_EQ(r.untouched, 0) << "every sample of both channels is written";
  EXPECT_TRUE(SilentUpTo(r.out[0], 100));
  EXPECT_TRUE(SoundsWithin(r.out[0], 100, 512));
  if (!IsProbe()) return;
  EXPECT_NEAR(r.out[0][100], kDefaultGain, Tolerance());
  EXPECT_EQ(probe::CodeOf(r.out[1][99]), 0u);
  EXPECT_EQ(probe::CodeOf(r.out[1][100]), probe::MidiCode(0x92, 69, 127));
}

TEST_P(Started, NoteOffReachesThePluginWithVelocityZero)
{
  BlockSpec block;
  block.notes = {{10, true, 60, 0.5f}, {300, false, 60, 0.8f}};
  BlockResult r = Run(block);
  ASSERT_EQ(r.result, kResultOk);
  EXPECT_TRUE(SilentUpTo(r.out[0], 10));
  if (!IsProbe()) return;
  EXPECT_EQ(probe::CodeOf(r.out[1][10]), probe::MidiCode(0x90, 60, 63)) << "0.5 * 127 truncated";
  EXPECT_NEAR(r.out[0][10], kDefaultGain * 63.0 / 127.0, Tolerance());
  EXPECT_EQ(probe::CodeOf(r.out[1][299]), probe::MidiCode(0x90, 60, 63));
  EXPECT_EQ(probe::CodeOf(r.out[1][300]), probe::MidiCode(0x80, 60, 0));
  EXPECT_NE(r.out[0][299], 0.0);
  for (size_t i = 300; i < 512; ++i) ASSERT_EQ(r.out[0][i], 0.0) << i;
}

TEST_P(Started, SeveralNotesInOneBlock)
{
  if (!IsProbe()) GTEST_SKIP() << "needs the probe's MIDI read-out";
  BlockSpec block;
  block.notes = {{0, true, 40, 1.0f, 1}, {50, false, 40, 1.0f, 1}, {50, true, 41, 1.0f, 15}, {200, true, 42, 0.25f}};
  BlockResult r = Run(block);
  ASSERT_EQ(r.result, kResultOk);
  EXPECT_EQ(probe::CodeOf(r.out[1][0]), probe::MidiCode(0x91, 40, 127));
  EXPECT_EQ(probe::CodeOf(r.out[1][49]), probe::MidiCode(0x91, 40, 127));
  EXPECT_EQ(probe::CodeOf(r.out[1][50]), probe::MidiCode(0x9F, 41, 127)) << "same offset: arrival order";
  EXPECT_EQ(probe::CodeOf(r.out[1][200]), probe::MidiCode(0x90, 42, 31));
}

TEST_P(Started, VelocitiesAndPitchesHostsShouldNotSend)
{
  if (!IsProbe()) GTEST_SKIP() << "needs the probe's MIDI read-out";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float velocity;
    uint32_t byte;
  };
  // A note-on always sounds: whatever truncates to velocity 0 plays at 1.
  for (Case c : {Case{2.0f, 127}, Case{1.0f, 127}, Case{-1.0f, 1}, Case{nan, 1}, Case{1e-9f, 1}, Case{0.0f, 1},
                 Case{0.5f / 127.0f, 1}, Case{2.5f / 127.0f, 2}}) {
    BlockSpec block;
    block.frames = 16;
    block.notes = {{0, true, 64, c.velocity}};
    BlockResult r = Run(block);
    EXPECT_EQ(probe::CodeOf(r.out[1][0]), probe::MidiCode(0x90, 64, c.byte)) << c.velocity;
  }
  // Pitches outside 0..127 never reach the plug-in.
  BlockSpec block;
  block.frames = 16;
  block.notes = {{0, true, 128, 1.0f}, {1, true, -1, 1.0f}, {2, false, 300, 1.0f}, {3, true, 5, 1.0f, 300}};
  BlockResult r = Run(block);
  EXPECT_EQ(probe::CodeOf(r.out[1][2]), probe::MidiCode(0x90, 64, 2)) << "the previous message still";
  EXPECT_EQ(probe::CodeOf(r.out[1][3]), probe::MidiCode(0x9C, 5, 127)) << "channel kept to four bits";
}

TEST_P(Started, OffsetsOutsideTheBlockAreKeptInsideIt)
{
  if (!IsProbe()) GTEST_SKIP() << "needs the probe's MIDI read-out";
  BlockSpec block;
  block.frames = 64;
  block.notes = {{-20, true, 50, 1.0f}, {1000000, true, 51, 1.0f}};
  BlockResult r = Run(block);
  EXPECT_EQ(probe::CodeOf(r.out[1][0]), probe::MidiCode(0x90, 50, 127));
  EXPECT_EQ(probe::CodeOf(r.out[1][62]), probe::MidiCode(0x90, 50, 127));
  EXPECT_EQ(probe::CodeOf(r.out[1][63]), probe::MidiCode(0x90, 51, 127));
  // Nothing is left over for later blocks.
  BlockResult next = Run(block);
  EXPECT_EQ(probe::CodeOf(next.out[1][0]), probe::MidiCode(0x90, 50, 127));
}

TEST_P(Started, OnlyTheLastPointOfAQueueApplies)
{
  BlockSpec block;
  block.queues = {{{kOutputGain, 0, 1.0}, {kOutputGain, 100, 0.0}, {kOutputGain, 400, 0.2}},
                 {{kOsc1Octave, 3, 0.0}, {kOsc1Octave, 7, 0.75}}};
  block.notes = {{0, true, 69, 1.0f}};
  BlockResult r = Run(block);
  ASSERT_EQ(r.result, kResultOk);
  EXPECT_DOUBLE_EQ(plugin->Normalized(kOutputGain), 0.2);
  EXPECT_DOUBLE_EQ(plugin->Normalized(kOsc1Octave), 0.75);
  if (IsProbe()) {
    EXPECT_NEAR(r.out[0][0], GainAt(0.2), Tolerance()) << "applied before the block renders";
  }
}

TEST_P(Started, QueuesThatCannotApplyAreIgnored)
{
  const std::vector<double> before = plugin->AllNormalized();
  BlockSpec block;
  block.queues = {{{kOutputGain, 0, 0.3}, {kOutputGain, 10, std::nan("")}},
                 {{kOsc1Type, 0, std::numeric_limits<double>::infinity()}},
                 {{60, 0, 0.5}},
                 {{12345, 0, 0.5}},
                 {{0xFFFFFFFFu, 0, 0.5}}};
  EXPECT_EQ(Run(block).result, kResultOk);
  EXPECT_EQ(plugin->AllNormalized(), before);
}

TEST_P(Started, PresetChangeRecallsOnlyAnExistingPreset)
{
  BlockSpec move;
  move.frames = 8;
  move.queues = {{{kOutputGain, 0, 0.1}}};
  Run(move);
  ASSERT_DOUBLE_EQ(plugin->Normalized(kOutputGain), 0.1);

  BlockSpec beyond;
  beyond.frames = 8;
  beyond.queues = {{{kPresetID, 0, 1.0}}};
  Run(beyond);
  EXPECT_DOUBLE_EQ(plugin->Normalized(kOutputGain), 0.1) << "1.0 asks for preset 1, which does not exist";

  BlockSpec recall;
  recall.frames = 8;
  recall.queues = {{{kPresetID, 0, 0.0}, {kPresetID, 4, 0.5}}};
  Run(recall);
  EXPECT_NEAR(plugin->Normalized(kOutputGain), 0.7, 1e-12) << "0.5 recalls preset 0, the initial sound";
}

TEST_P(Started, BypassSilencesTheOutputAndTravelsInTheState)
{
  BlockSpec on;
  on.queues = {{{kBypassID, 0, 0.0}, {kBypassID, 10, 1.0}}};
  on.notes = {{0, true, 69, 1.0f}};
  BlockResult r = Run(on);
  ASSERT_EQ(r.result, kResultOk);
  EXPECT_EQ(r.untouched, 0);
  for (const auto& channel : r.out) EXPECT_TRUE(SilentUpTo(channel, channel.size()));
  EXPECT_EQ(plugin->Normalized(kBypassID), 1.0);
  std::vector<uint8> state = plugin->GetState();
  ASSERT_EQ(state.size(), static_cast<size_t>(kStateSize));
  EXPECT_EQ(state[484], 1);

  BlockSpec off;
  off.queues = {{{kBypassID, 0, 0.5}}};
  r = Run(off);
  EXPECT_EQ(plugin->Normalized(kBypassID), 0.0) << "0.5 is not above one half";
  EXPECT_TRUE(SoundsWithin(r.out[0], 0, r.out[0].size())) << "the held note sounds again";

  Run(on);
  ASSERT_EQ(plugin->Normalized(kBypassID), 1.0);
  EXPECT_EQ(plugin->Setup(44100.0, 1024, 2), kResultFalse) << "no such sample size";
  EXPECT_EQ(plugin->Normalized(kBypassID), 1.0) << "a refused set-up changes nothing";
  EXPECT_EQ(plugin->Setup(48000.0, 512, GetParam()), kResultOk);
  EXPECT_EQ(plugin->Normalized(kBypassID), 0.0) << "a new set-up ends the bypass";
}

TEST_P(Started, BlocksLongerThanTheSetUpMaximumAreRenderedWhole)
{
  auto small = Plugin::Create();
  ASSERT_NE(small, nullptr);
  small->Start(44100.0, 64, GetParam());
  BlockSpec block;
  block.frames = 1000;
  block.sampleSize = GetParam();
  block.notes = {{700, true, 69, 1.0f}};
  BlockResult longBlock = small->Process(block);
  ASSERT_EQ(longBlock.result, kResultOk);
  EXPECT_EQ(longBlock.untouched, 0);
  EXPECT_TRUE(SilentUpTo(longBlock.out[0], 700));
  EXPECT_TRUE(SoundsWithin(longBlock.out[0], 700, 1000));
  if (!IsProbe()) return;
  BlockResult reference = Run(block);
  for (size_t i = 0; i < 1000; ++i) ASSERT_NEAR(longBlock.out[0][i], reference.out[0][i], Tolerance()) << i;
}

TEST_P(Started, SampleRateOfTheSetUpReachesThePlugin)
{
  if (!IsProbe()) GTEST_SKIP() << "needs the probe's pure tone";
  ASSERT_EQ(plugin->Setup(48000.0, 1024, GetParam()), kResultOk);
  std::vector<double> x = plugin->Render(48000, 1000, {{0, true, 69, 1.0f}}, GetParam());
  int crossings = 0;
  for (size_t i = 1; i < x.size(); ++i) crossings += (x[i - 1] < 0.0) != (x[i] < 0.0);
  EXPECT_NEAR(crossings / 2.0, 440.0, 1.0) << "one second of note 69";
}

TEST_P(Started, MonoHostBusGetsTheFirstChannel)
{
  BlockSpec block;
  block.channels = 1;
  block.notes = {{0, true, 69, 1.0f}};
  BlockResult r = Run(block);
  ASSERT_EQ(r.result, kResultOk);
  ASSERT_EQ(r.out.size(), 1u);
  EXPECT_EQ(r.untouched, 0);
  EXPECT_TRUE(SoundsWithin(r.out[0], 0, r.out[0].size()));
}

TEST_P(Started, HostChannelsBeyondOursAreSilenced)
{
  BlockSpec block;
  block.channels = 8;
  block.notes = {{0, true, 69, 1.0f}};
  BlockResult r = Run(block);
  ASSERT_EQ(r.result, kResultOk);
  EXPECT_EQ(r.untouched, 0);
  EXPECT_TRUE(SoundsWithin(r.out[0], 0, r.out[0].size()));
  for (size_t c = 2; c < 8; ++c) EXPECT_TRUE(SilentUpTo(r.out[c], r.out[c].size())) << c;
}

TEST_P(Started, InactiveOutputBusIsSilent)
{
  ASSERT_EQ(plugin->component->activateBus(kAudio, kOutput, 0, false), kResultOk);
  BlockSpec block;
  block.notes = {{0, true, 69, 1.0f}};
  BlockResult r = Run(block);
  EXPECT_EQ(r.untouched, 0);
  for (const auto& channel : r.out) EXPECT_TRUE(SilentUpTo(channel, channel.size()));
}

// A process call assembled by hand, for blocks the BlockSpec helper will not
// make.
struct RawBlock {
  explicit RawBlock(int32 sampleSize, int32 frames = 64)
  {
    for (int c = 0; c < 2; ++c) {
      f[c].assign(static_cast<size_t>(frames), 9.0f);
      d[c].assign(static_cast<size_t>(frames), 9.0);
      fp[c] = f[c].data();
      dp[c] = d[c].data();
    }
    bus.numChannels = 2;
    if (sampleSize == kSample64) {
      bus.channelBuffers64 = dp;
    } else {
      bus.channelBuffers32 = fp;
    }
    data.symbolicSampleSize = sampleSize;
    data.numSamples = frames;
    data.numOutputs = 1;
    data.outputs = &bus;
  }
  bool Untouched() const
  {
    for (int c = 0; c < 2; ++c)
      for (size_t i = 0; i < f[c].size(); ++i)
        if (f[c][i] != 9.0f || d[c][i] != 9.0) return false;
    return true;
  }
  std::vector<float> f[2];
  std::vector<double> d[2];
  float* fp[2];
  double* dp[2];
  AudioBusBuffers bus;
  ProcessData data;
};

TEST_P(Started, MissingBuffersRenderNothingHarmful)
{
  {
    RawBlock b(GetParam());
    b.data.outputs = nullptr;
    EXPECT_EQ(plugin->processor->process(b.data), kResultOk);
    EXPECT_TRUE(b.Untouched());
  }
  {
    RawBlock b(GetParam());
    b.bus.channelBuffers32 = nullptr;
    EXPECT_EQ(plugin->processor->process(b.data), kResultOk);
  }
  {
    RawBlock b(GetParam());
    b.fp[1] = nullptr;
    b.dp[1] = nullptr;
    EXPECT_EQ(plugin->processor->process(b.data), kResultOk);
    EXPECT_NE(GetParam() == kSample64 ? b.d[0][0] : b.f[0][0], 9.0) << "the channel that is there is written";
  }
  {
    RawBlock b(GetParam());
    b.bus.numChannels = -3;
    EXPECT_EQ(plugin->processor->process(b.data), kResultOk);
    EXPECT_TRUE(b.Untouched());
  }
  {
    RawBlock b(GetParam());
    b.data.numOutputs = -1;
    EXPECT_EQ(plugin->processor->process(b.data), kResultOk);
    EXPECT_TRUE(b.Untouched());
  }
}

TEST_P(Started, BlocksThatCannotBeProcessedAreRefusedUntouched)
{
  RawBlock negative(GetParam());
  negative.data.numSamples = -64;
  EXPECT_NE(plugin->processor->process(negative.data), kResultOk);
  EXPECT_TRUE(negative.Untouched());

  RawBlock oddSize(GetParam());
  oddSize.data.symbolicSampleSize = 5;
  EXPECT_NE(plugin->processor->process(oddSize.data), kResultOk);
  EXPECT_TRUE(oddSize.Untouched());
}

TEST_P(Started, EmptyBlockStillTakesParameterChanges)
{
  ParameterChanges changes;
  changes.Add(kOutputGain, 0, 0.4);
  ProcessData data;
  data.symbolicSampleSize = GetParam();
  data.numSamples = 0;
  data.inputParameterChanges = &changes;
  EXPECT_EQ(plugin->processor->process(data), kResultOk);
  EXPECT_DOUBLE_EQ(plugin->Normalized(kOutputGain), 0.4);
}

// Two fresh instances play the initial sound, which has no noise in it, so
// their renders differ only by the rounding to single precision.
TEST_P(Started, SinglePrecisionFollowsDoublePrecision)
{
  auto other = Plugin::Create();
  ASSERT_NE(other, nullptr);
  const int32 otherSize = GetParam() == kSample64 ? kSample32 : kSample64;
  other->Start(44100.0, 1024, otherSize);
  const std::vector<Note> notes = {{30, true, 72, 0.9f}, {900, false, 72, 0.0f}, {1500, true, 60, 0.3f}};
  std::vector<double> a = plugin->Render(4096, 256, notes, GetParam());
  std::vector<double> b = other->Render(4096, 256, notes, otherSize);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) ASSERT_NEAR(a[i], b[i], 1e-6) << i;
}

#ifndef _WIN32
// The module shares this process's allocator natively, so the guard sees its
// allocations too.
TEST_P(Started, ProcessingAllocatesNothing)
{
  RawBlock b(GetParam(), 512);
  ParameterChanges changes;
  changes.Add(kOutputGain, 0, 0.3);
  changes.Add(kOutputGain, 100, 0.6);
  changes.Add(kFilterLPCutoff, 5, 0.5);
  EventList events;
  events.NoteOn(3, 0, 60, 0.7f);
  events.NoteOff(400, 0, 60, 0.0f);
  b.data.inputParameterChanges = &changes;
  b.data.inputEvents = &events;
  plugin->processor->process(b.data);  // first block may settle lazily built state
  {
    AllocGuard guard;
    for (int i = 0; i < 4; ++i) plugin->processor->process(b.data);
    EXPECT_EQ(guard.Count(), 0u);
  }
  // The guard does see the module: saving the state allocates there (the
  // stream has room already, so none of it is ours).
  ByteStream stream(std::vector<uint8>(1024));
  AllocGuard guard;
  plugin->component->getState(&stream);
  EXPECT_GT(guard.Count(), 0u);
}
#endif

TEST(Vst3Process, ProcessingBeforeSetUpPlaysAtTheDefaultRate)
{
  if (IsProbe()) GTEST_SKIP() << "the instrument's own sound";
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  ASSERT_EQ(plugin->Initialize(), kResultOk);
  plugin->component->activateBus(kAudio, kOutput, 0, true);
  BlockSpec block;
  block.notes = {{0, true, 69, 1.0f}};
  BlockResult r = plugin->Process(block);
  EXPECT_EQ(r.result, kResultOk);
  for (const auto& channel : r.out) {
    EXPECT_TRUE(SoundsWithin(channel, 0, channel.size()));
    for (double v : channel) EXPECT_TRUE(std::isfinite(v));
  }
  // The same block after a set-up at 44100 Hz sounds the same.
  auto prepared = Plugin::Create();
  ASSERT_NE(prepared, nullptr);
  prepared->Start(44100.0, 1024, kSample32);
  BlockResult s = prepared->Process(block);
  ASSERT_EQ(s.out.size(), r.out.size());
  for (size_t c = 0; c < r.out.size(); ++c) {
    ASSERT_EQ(s.out[c].size(), r.out[c].size());
    for (size_t i = 0; i < r.out[c].size(); ++i) EXPECT_NEAR(s.out[c][i], r.out[c][i], 1e-6) << c << " " << i;
  }
}

// What plug-in validators put a plug-in through, one after another on one
// instance with a note held throughout: blocks of 0 and 1 to 8192 frames at
// random, rate changes from 8 kHz to 384 kHz, suspend and resume, and state
// saved and restored between blocks. Every block answers kResultOk and every
// sample is a finite number no louder than the output stage allows.
TEST(Vst3Process, ValidatorScenariosMidNote)
{
  if (IsProbe()) GTEST_SKIP() << "the instrument's own output";
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  plugin->Start(44100.0, 8192, kSample32);
  std::mt19937 random(1515);
  int played = 0;
  auto play = [&](int32 frames, std::vector<Note> notes = {}) {
    BlockSpec block;
    block.frames = frames;
    block.notes = std::move(notes);
    block.sampleSize = random() % 2 ? kSample64 : kSample32;
    BlockResult r = plugin->Process(block);
    EXPECT_EQ(r.result, kResultOk) << frames;
    for (const auto& channel : r.out) {
      for (double v : channel) {
        ASSERT_TRUE(std::isfinite(v)) << frames;
        ASSERT_LE(std::fabs(v), 4.0) << frames;
      }
      if (SoundsWithin(channel, 0, channel.size())) ++played;
    }
  };
  {
    SCOPED_TRACE("block sizes 0 and 1 to 8192");
    play(64, {{0, true, 57, 0.9f}});
    for (int i = 0; i < 300; ++i) {
      const int32 frames = random() % 5 == 0 ? 0 : 1 + static_cast<int32>(random() % 8192);
      std::vector<Note> notes;
      if (frames > 0 && random() % 4 == 0) notes.push_back({static_cast<int32>(random() % frames), true,
                                                             36 + static_cast<int>(random() % 48), 0.7f});
      play(frames, notes);
    }
  }
  {
    SCOPED_TRACE("rate changes mid-note");
    for (double rate : {8000.0, 11025.0, 22050.0, 48000.0, 96000.0, 192000.0, 384000.0, 44100.0}) {
      play(256, {{0, true, 69, 1.0f}});
      plugin->processor->setProcessing(false);
      plugin->component->setActive(false);
      ASSERT_EQ(plugin->Setup(rate, 4096, kSample32), kResultOk) << rate;
      plugin->component->setActive(true);
      plugin->processor->setProcessing(true);
      for (int k = 0; k < 4; ++k) play(1 + static_cast<int32>(random() % 4096));
    }
  }
  {
    SCOPED_TRACE("suspend and resume mid-note");
    for (int k = 0; k < 10; ++k) {
      play(300, {{5, true, 48 + k, 0.8f}});
      plugin->processor->setProcessing(false);
      plugin->component->setActive(false);
      plugin->component->setActive(true);
      plugin->processor->setProcessing(true);
      play(300);
    }
  }
  {
    SCOPED_TRACE("state saved and loaded during playback");
    const std::vector<uint8> first = plugin->GetState();
    play(128, {{0, true, 60, 1.0f}});
    for (int k = 0; k < 40; ++k) {
      plugin->controller->setParamNormalized(static_cast<ParamID>(random() % kParamCount), (random() % 1000) / 999.0);
      play(1 + static_cast<int32>(random() % 1024));
      const std::vector<uint8> saved = plugin->GetState();
      ASSERT_EQ(plugin->SetState(k % 3 ? saved : first), kResultOk);
      if (k % 3) {
        EXPECT_EQ(plugin->GetState(), saved);
      }
      play(1 + static_cast<int32>(random() % 1024));
    }
  }
  EXPECT_GT(played, 100) << "the notes are heard";
}

TEST(Vst3Process, SetUpRefusesWhatItCannotRun)
{
  auto plugin = Plugin::Create();
  ASSERT_NE(plugin, nullptr);
  ASSERT_EQ(plugin->Initialize(), kResultOk);
  EXPECT_EQ(plugin->Setup(44100.0, 512, 2), kResultFalse);
  EXPECT_EQ(plugin->Setup(44100.0, 512, -1), kResultFalse);
  EXPECT_EQ(plugin->Setup(44100.0, 0, kSample32), kResultFalse);
  EXPECT_EQ(plugin->Setup(44100.0, -512, kSample32), kResultFalse);
  EXPECT_EQ(plugin->Setup(0.0, 512, kSample32), kResultFalse);
  EXPECT_EQ(plugin->Setup(std::nan(""), 512, kSample32), kResultFalse);
  EXPECT_EQ(plugin->Setup(-44100.0, 512, kSample32), kResultFalse);
  EXPECT_EQ(plugin->Setup(44100.0, std::numeric_limits<int32>::max(), kSample64), kResultOk)
      << "a huge announced block is served in slices";
  EXPECT_EQ(plugin->Setup(96000.0, 1, kSample32), kResultOk);
}

}  // namespace
}  // namespace vst3host
