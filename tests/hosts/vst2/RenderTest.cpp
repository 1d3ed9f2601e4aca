// Rendering through the three process functions: onsets at the exact frame,
// identical results whatever the block sizes, the two outputs, pitch and level
// at several sample rates, and process calls a host should not make.
#include "tests/hosts/vst2/Fixtures.h"

#include <climits>
#include <cmath>
#include <limits>

namespace vst2host {
namespace {

using Vst2Render = StartedPlugin;

// Default sound at note 81: triangle at 880 Hz times FastPow(2, 0), the
// instrument's own tuning.
constexpr double kNote81Hz = 880.0 * 0.9710078239440918;
constexpr double kDefaultGain = 0.50118723362727224;  // -6 dB

// Frequency from rising zero crossings with linear interpolation.
double MeasureFrequency(const std::vector<double>& x, std::size_t from, double sampleRate)
{
  double first = -1, last = -1;
  int crossings = 0;
  for (std::size_t i = from + 1; i < x.size(); ++i) {
    if (x[i - 1] < 0 && x[i] >= 0) {
      double t = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      if (first < 0)
        first = t;
      last = t;
      ++crossings;
    }
  }
  if (crossings < 2)
    return 0;
  return (crossings - 1) / (last - first) * sampleRate;
}

const std::vector<Midi> kPhrase = {
    {37, kNoteOn, 81, 127},  {1000, 0xB0, 1, 20},     {3000, kNoteOff, 81, 0}, {3500, kNoteOn, 64, 90},
    {3501, kNoteOn, 71, 90}, {5000, 0xE0, 0, 80},     {6000, kNoteOff, 64, 0}, {7000, kNoteOff, 71, 0},
    {7001, kNoteOn, 50, 1},  {7002, kNoteOff, 50, 0}, {7500, kNoteOn, 90, 127},
};

TEST_F(Vst2Render, SilenceWithoutNotes)
{
  Rendered r = Render(*plugin, {}, 20000);
  EXPECT_EQ(PeakAbs(r.left), 0.0);
  EXPECT_EQ(PeakAbs(r.right), 0.0);
}

TEST_F(Vst2Render, NoteStartsAtItsFrame)
{
  for (float rate : {22050.0f, 44100.0f, 48000.0f, 96000.0f}) {
    for (std::int64_t at : {0, 1, 17, 255, 256, 300, 1023}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, frame " << at);
      RenderSetup setup;
      setup.blockPattern = {256};
      Rendered r = RenderFresh(rate, 256, {{at, kNoteOn, 81, 127}}, at + 64, setup);
      EXPECT_EQ(FirstNonZero(r.left), at);
      EXPECT_EQ(r.left, r.right);
    }
  }
}

TEST_F(Vst2Render, BlockSizesDoNotChangeTheResult)
{
  const std::int64_t frames = 9000;
  Rendered reference = RenderFresh(44100.0f, 1024, kPhrase, frames);
  ASSERT_EQ(FirstNonZero(reference.left), 37);
  const std::vector<std::vector<int>> patterns = {{1}, {7}, {64}, {1000}, {1024}, {3, 0, 17, 1, 0, 250, 1024, 0}};
  for (const auto& pattern : patterns) {
    for (ProcessKind kind : {ProcessKind::kDouble, ProcessKind::kReplacing}) {
      SCOPED_TRACE(testing::Message() << "first block " << pattern[0] << ", kind " << static_cast<int>(kind));
      RenderSetup setup;
      setup.blockPattern = pattern;
      setup.kind = kind;
      Rendered r = RenderFresh(44100.0f, 1024, kPhrase, frames, setup);
      ASSERT_EQ(r.left.size(), reference.left.size());
      std::size_t mismatches = 0;
      for (std::size_t i = 0; i < r.left.size(); ++i) {
        double expected = kind == ProcessKind::kDouble ? reference.left[i]
                                                       : static_cast<double>(static_cast<float>(reference.left[i]));
        if (r.left[i] != expected)
          ++mismatches;
      }
      EXPECT_EQ(mismatches, 0u);
      EXPECT_EQ(r.left, r.right);
    }
  }
}

TEST_F(Vst2Render, ThreeProcessFunctionsAgree)
{
  const std::int64_t frames = 8192;
  Rendered d = RenderFresh(44100.0f, 512, kPhrase, frames);
  RenderSetup replacing;
  replacing.kind = ProcessKind::kReplacing;
  Rendered f = RenderFresh(44100.0f, 512, kPhrase, frames, replacing);
  RenderSetup accumulating;
  accumulating.kind = ProcessKind::kAccumulating;
  accumulating.accumulateBase = 0.25f;
  Rendered a = RenderFresh(44100.0f, 512, kPhrase, frames, accumulating);
  ASSERT_TRUE(AllFinite(d.left));
  EXPECT_GT(PeakAbs(d.left), 0.3);
  std::size_t badFloat = 0, badSum = 0;
  for (std::size_t i = 0; i < d.left.size(); ++i) {
    float single = static_cast<float>(d.left[i]);
    if (f.left[i] != single || f.right[i] != single)
      ++badFloat;
    float sum = 0.25f + single;
    if (a.left[i] != sum || a.right[i] != sum)
      ++badSum;
  }
  EXPECT_EQ(badFloat, 0u) << "single precision is the double result converted";
  EXPECT_EQ(badSum, 0u) << "accumulating adds the converted result to the output";
  EXPECT_EQ(d.left, d.right);
}

TEST_F(Vst2Render, OneOutputConnected)
{
  vst2::SpeakerArrangement mono{};
  mono.type = vst2::kSpeakerArrangementMono;
  mono.channelCount = 1;
  ASSERT_EQ(plugin->Dispatch(vst2::op::kSetSpeakerArrangement, 0, 0, &mono), 1);
  for (ProcessKind kind : {ProcessKind::kDouble, ProcessKind::kReplacing, ProcessKind::kAccumulating}) {
    SCOPED_TRACE(static_cast<int>(kind));
    RenderSetup setup;
    setup.outputs = 1;
    setup.kind = kind;
    Rendered r = Render(*plugin, {{5, kNoteOn, 81, 127}, {1500, kNoteOff, 81, 0}}, 2048, setup);
    EXPECT_TRUE(r.secondOutputUntouched);
    EXPECT_TRUE(AllFinite(r.left));
    EXPECT_GT(PeakAbs(r.left), 0.1);
  }
}

TEST_F(Vst2Render, PitchAndLevelAtEachSampleRate)
{
  for (float rate : {22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f}) {
    SCOPED_TRACE(rate);
    const std::int64_t frames = static_cast<std::int64_t>(rate * 0.25);
    Rendered r = RenderFresh(rate, 512, {{100, kNoteOn, 81, 127}}, frames);
    ASSERT_TRUE(AllFinite(r.left));
    std::size_t settled = static_cast<std::size_t>(rate * 0.05);
    EXPECT_NEAR(MeasureFrequency(r.left, settled, rate), kNote81Hz, kNote81Hz * 0.005);
    double peak = PeakAbs(r.left, settled);
    EXPECT_GT(peak, kDefaultGain * 0.9);
    // The triangle's wrap can step a little past -1 for one oversampled step.
    EXPECT_LT(peak, kDefaultGain * 1.05);
  }
}

TEST_F(Vst2Render, SampleRateChangeMidStream)
{
  Render(*plugin, {{0, kNoteOn, 81, 127}, {2000, kNoteOff, 81, 0}}, 44100);
  plugin->Dispatch(vst2::op::kMainsChanged, 0, 0);
  plugin->Dispatch(vst2::op::kSetSampleRate, 0, 0, nullptr, 96000.0f);
  plugin->Dispatch(vst2::op::kSetBlockSize, 0, 333);
  plugin->Dispatch(vst2::op::kMainsChanged, 0, 1);
  RenderSetup setup;
  setup.blockPattern = {333};
  Rendered r = Render(*plugin, {{0, kNoteOn, 81, 127}}, 24000, setup);
  ASSERT_TRUE(AllFinite(r.left));
  EXPECT_NEAR(MeasureFrequency(r.left, 4800, 96000.0), kNote81Hz, kNote81Hz * 0.005);
}

TEST_F(Vst2Render, NoteOffEndsInSilence)
{
  // Release 0.2 s; after that the voice is free and the output exactly 0.
  const std::int64_t off = 4410;
  Rendered r = Render(*plugin, {{0, kNoteOn, 81, 127}, {off, kNoteOff, 81, 0}}, 44100);
  EXPECT_GT(PeakAbs(r.left, off - 200, off), 0.4);
  EXPECT_GT(PeakAbs(r.left, off, off + 441), 0.0);
  std::int64_t quiet = off + static_cast<std::int64_t>(0.2 * 44100) + 200;
  EXPECT_EQ(PeakAbs(r.left, static_cast<std::size_t>(quiet)), 0.0);
}

TEST_F(Vst2Render, FourVoicesAtOnce)
{
  Rendered one = RenderFresh(44100.0f, 512, {{0, kNoteOn, 60, 127}}, 8192);
  Rendered five = RenderFresh(44100.0f, 512,
                              {{0, kNoteOn, 60, 127},
                               {0, kNoteOn, 64, 127},
                               {0, kNoteOn, 67, 127},
                               {0, kNoteOn, 72, 127},
                               {0, kNoteOn, 76, 127}},
                              8192);
  Rendered four = RenderFresh(
      44100.0f, 512, {{0, kNoteOn, 60, 127}, {0, kNoteOn, 64, 127}, {0, kNoteOn, 67, 127}, {0, kNoteOn, 72, 127}},
      8192);
  EXPECT_NE(one.left, four.left);
  EXPECT_EQ(four.left, five.left) << "a fifth note finds no free voice";
}

// Process calls that carry nothing to process leave the instance as it was.
TEST_F(Vst2Render, NullBuffersAndNegativeFrameCountsDoNothing)
{
  Host refHost;
  auto reference = Plugin::Create(refHost);
  ASSERT_NE(reference, nullptr);
  reference->Start(44100.0f, 1024);
  const std::vector<Midi> note = {{10, kNoteOn, 81, 127}};
  plugin->SendMidi(note);
  reference->SendMidi(note);

  std::vector<float> fl(1024, 7.0f), fr(1024, 7.0f);
  std::vector<double> dl(1024, 7.0), dr(1024, 7.0);
  float* fOut[2] = {fl.data(), fr.data()};
  double* dOut[2] = {dl.data(), dr.data()};
  float* fIn[2] = {fl.data(), fr.data()};
  double* dIn[2] = {dl.data(), dr.data()};
  vst2::Entry* e = plugin->Entry();
  e->processReplacing(e, nullptr, nullptr, 512);
  e->processReplacing(e, fIn, nullptr, 512);
  e->processAccumulating(e, nullptr, nullptr, 512);
  e->processAccumulating(e, fIn, nullptr, 512);
  e->processDoubleReplacing(e, nullptr, nullptr, 512);
  e->processDoubleReplacing(e, dIn, nullptr, 512);
  for (std::int32_t frames : {-1, -512, INT_MIN}) {
    SCOPED_TRACE(frames);
    e->processReplacing(e, fIn, fOut, frames);
    e->processAccumulating(e, fIn, fOut, frames);
    e->processDoubleReplacing(e, dIn, dOut, frames);
  }
  for (std::size_t i = 0; i < 1024; ++i) {
    ASSERT_EQ(fl[i], 7.0f);
    ASSERT_EQ(fr[i], 7.0f);
    ASSERT_EQ(dl[i], 7.0);
    ASSERT_EQ(dr[i], 7.0);
  }

  Rendered r = Render(*plugin, {}, 4096);
  Rendered expected = Render(*reference, {}, 4096);
  EXPECT_EQ(FirstNonZero(r.left), 10) << "the pending note was not consumed";
  EXPECT_EQ(r.left, expected.left);
}

TEST_F(Vst2Render, ZeroFramesRenderNothingAndLoseNothing)
{
  plugin->SendMidi({{10, kNoteOn, 81, 127}});
  std::vector<float> l(16, 3.0f), r(16, 3.0f);
  float* out[2] = {l.data(), r.data()};
  plugin->Process(ProcessKind::kReplacing, out, nullptr, 0);
  plugin->Process(ProcessKind::kAccumulating, out, nullptr, 0);
  std::vector<double> dl(16, 3.0), dr(16, 3.0);
  double* dOut[2] = {dl.data(), dr.data()};
  plugin->Process(ProcessKind::kDouble, nullptr, dOut, 0);
  EXPECT_EQ(l, std::vector<float>(16, 3.0f));
  EXPECT_EQ(dl, std::vector<double>(16, 3.0));
  Rendered after = Render(*plugin, {}, 1024);
  EXPECT_EQ(FirstNonZero(after.left), 10);
}

// Sample rates that are not positive finite numbers leave the rate as it was.
TEST_F(Vst2Render, ImpossibleSampleRatesAreIgnored)
{
  const std::vector<Midi> note = {{0, kNoteOn, 81, 127}};
  Rendered expected = RenderFresh(48000.0f, 512, note, 12000);

  Host h;
  auto p = Plugin::Create(h);
  ASSERT_NE(p, nullptr);
  p->Start(48000.0f, 512);
  for (float rate : {0.0f, -0.0f, -48000.0f, -1.0f, std::numeric_limits<float>::infinity(),
                     -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    p->Dispatch(vst2::op::kSetSampleRate, 0, 0, nullptr, rate);
  }
  p->Dispatch(vst2::op::kMainsChanged, 0, 0);
  p->Dispatch(vst2::op::kMainsChanged, 0, 1);
  Rendered r = Render(*p, note, 12000);
  ASSERT_TRUE(AllFinite(r.left));
  EXPECT_EQ(r.left, expected.left);

  // The comparison would notice a rate change.
  Rendered other = RenderFresh(44100.0f, 512, note, 12000);
  EXPECT_NE(other.left, expected.left);
}

// Block sizes below 1 change nothing; blocks of the size set before still run.
TEST_F(Vst2Render, ImpossibleBlockSizesAreIgnored)
{
  const std::vector<Midi> note = {{3, kNoteOn, 81, 127}};
  RenderSetup setup;
  setup.kind = ProcessKind::kReplacing;
  setup.blockPattern = {512};
  Rendered expected = RenderFresh(44100.0f, 512, note, 8192, setup);

  Host h;
  auto p = Plugin::Create(h);
  ASSERT_NE(p, nullptr);
  p->Start(44100.0f, 512);
  for (std::intptr_t size : {std::intptr_t(0), std::intptr_t(-1), std::intptr_t(-512), std::intptr_t(INT_MIN)})
    p->Dispatch(vst2::op::kSetBlockSize, 0, size);
  Rendered r = Render(*p, note, 8192, setup);
  EXPECT_EQ(r.left, expected.left);
  EXPECT_EQ(r.right, expected.right);
}

// A host may announce any block size; the plug-in keeps one slice's worth of
// scratch and serves longer blocks in slices, with the same result.
TEST_F(Vst2Render, HugeBlockSizesAreServedInSlices)
{
  RenderSetup setup;
  setup.kind = ProcessKind::kReplacing;
  setup.blockPattern = {70000, 131072, 5};
  const std::vector<Midi> phrase = {{10, kNoteOn, 81, 127}, {69999, kNoteOff, 81, 0}, {70001, kNoteOn, 60, 90},
                                    {150000, kNoteOn, 64, 90}};
  Rendered expected = RenderFresh(44100.0f, 512, phrase, 220000, setup);
  ASSERT_GT(PeakAbs(expected.left, 150000), 0.1);
  for (std::intptr_t size : {std::intptr_t(131072), std::intptr_t(INT_MAX), std::numeric_limits<std::intptr_t>::max()}) {
    SCOPED_TRACE(size);
    Host h;
    auto p = Plugin::Create(h);
    ASSERT_NE(p, nullptr);
    p->Start(44100.0f, 512);
    p->Dispatch(vst2::op::kSetBlockSize, 0, size);
    Rendered r = Render(*p, phrase, 220000, setup);
    EXPECT_EQ(r.left, expected.left);
    EXPECT_EQ(r.right, expected.right);
  }
}

TEST_F(Vst2Render, SuspendAndResume)
{
  Rendered a = Render(*plugin, {{0, kNoteOn, 81, 127}}, 4096);
  for (int i = 0; i < 5; ++i) {
    plugin->Dispatch(vst2::op::kMainsChanged, 0, 0);
    plugin->Dispatch(vst2::op::kMainsChanged, 0, 1);
  }
  Rendered b = Render(*plugin, {}, 4096);
  EXPECT_TRUE(AllFinite(b.left));
  EXPECT_GT(PeakAbs(b.left), 0.4) << "voices keep sounding across a suspend";
  EXPECT_GT(PeakAbs(a.left), 0.4);
}

}  // namespace
}  // namespace vst2host
