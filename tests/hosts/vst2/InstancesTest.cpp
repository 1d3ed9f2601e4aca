// Many instances in one process: each keeps its own parameters, programs and
// sound while the others run, and creating and closing instances over and
// over leaves nothing behind that a new instance would notice.
#include "tests/hosts/vst2/Fixtures.h"

#include <algorithm>
#include <cmath>

namespace vst2host {
namespace {

const std::vector<Midi> kChord = {{5, kNoteOn, 60, 127}, {9, kNoteOn, 67, 100}, {2000, kNoteOff, 60, 0}};

TEST(Vst2Instances, ManyInstancesKeepTheirOwnState)
{
  constexpr int kCount = 16;
  std::vector<std::unique_ptr<Host>> hosts;
  std::vector<std::unique_ptr<Plugin>> plugins;
  for (int i = 0; i < kCount; ++i) {
    hosts.push_back(std::make_unique<Host>());
    plugins.push_back(Plugin::Create(*hosts.back()));
    ASSERT_NE(plugins.back(), nullptr) << "instance " << i;
    plugins.back()->Start(44100.0f, 256);
  }
  for (int i = 0; i < kCount; ++i) {
    plugins[static_cast<std::size_t>(i)]->Set(0, static_cast<float>(i) / kCount);
    std::string name = "Sound " + std::to_string(i);
    plugins[static_cast<std::size_t>(i)]->Dispatch(vst2::op::kSetProgramName, 0, 0, &name[0]);
  }
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(plugins[static_cast<std::size_t>(i)]->Get(0), static_cast<float>(i) / kCount, 1e-6);
    EXPECT_EQ(plugins[static_cast<std::size_t>(i)]->ProgramName(), "Sound " + std::to_string(i));
  }
  // Rendered block by block in turn, every instance gives what one instance
  // gives on its own.
  for (auto& p : plugins)
    ASSERT_EQ(p->SetChunk(false, MakeState(DefaultValues(), true)), 1);
  Rendered alone = RenderFresh(44100.0f, 256, kChord, 4096);
  std::vector<Rendered> outs(kCount);
  for (auto& o : outs) {
    o.left.assign(4096, 0.0);
    o.right.assign(4096, 0.0);
  }
  for (int start = 0; start < 4096; start += 256) {
    for (int i = 0; i < kCount; ++i) {
      std::vector<Midi> block;
      for (const Midi& m : kChord)
        if (m.frame >= start && m.frame < start + 256)
          block.push_back({m.frame - start, m.status, m.data1, m.data2});
      Plugin& p = *plugins[static_cast<std::size_t>(i)];
      if (!block.empty())
        p.SendMidi(block);
      std::vector<double> l(256), r(256);
      double* out[2] = {l.data(), r.data()};
      p.Process(ProcessKind::kDouble, nullptr, out, 256);
      std::copy(l.begin(), l.end(), outs[static_cast<std::size_t>(i)].left.begin() + start);
      std::copy(r.begin(), r.end(), outs[static_cast<std::size_t>(i)].right.begin() + start);
    }
  }
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(outs[static_cast<std::size_t>(i)].left, alone.left);
    EXPECT_EQ(outs[static_cast<std::size_t>(i)].right, alone.right);
  }
  // Closing in a scattered order leaves the others working.
  for (int i = 0; i < kCount; i += 2)
    plugins[static_cast<std::size_t>(i)]->Close();
  for (int i = 1; i < kCount; i += 2) {
    Rendered r = Render(*plugins[static_cast<std::size_t>(i)], {{0, kNoteOn, 72, 127}}, 512);
    EXPECT_GT(PeakAbs(r.left), 0.0);
  }
}

// Sound j of a small set: oscillator 1 on one of the seven waveforms (none
// of them noise, whose random state is per thread, not per instance) at a
// gain of its own.
std::vector<double> SoundValues(int j)
{
  std::vector<double> values = DefaultValues();
  values[0] = -12.0 + j;
  values[1] = 1 + j % 7;
  return values;
}

TEST(Vst2Instances, HundredsAliveAtOnceRenderLikeOneAlone)
{
  constexpr int kCount = 128;
  constexpr int kSounds = 8;
  constexpr int kBlock = 256;
  constexpr int kFrames = 2048;
  const std::vector<Midi> note = {{3, kNoteOn, 69, 110}, {1200, kNoteOff, 69, 0}};

  std::vector<Rendered> alone;
  for (int j = 0; j < kSounds; ++j) {
    Host host;
    auto p = Plugin::Create(host);
    ASSERT_NE(p, nullptr);
    p->Start(44100.0f, kBlock);
    ASSERT_EQ(p->SetChunk(false, MakeState(SoundValues(j), true)), 1);
    alone.push_back(Render(*p, note, kFrames));
    ASSERT_GT(PeakAbs(alone.back().left), 0.0) << "sound " << j;
  }

  Host host;  // one host for all of them, as in a project
  std::vector<std::unique_ptr<Plugin>> plugins;
  for (int i = 0; i < kCount; ++i) {
    plugins.push_back(Plugin::Create(host));
    ASSERT_NE(plugins.back(), nullptr) << "instance " << i;
    Plugin& p = *plugins.back();
    p.Start(44100.0f, kBlock);
    ASSERT_EQ(p.SetChunk(false, MakeState(SoundValues(i % kSounds), true)), 1);
    std::string name = "Instance " + std::to_string(i);
    p.Dispatch(vst2::op::kSetProgramName, 0, 0, &name[0]);
  }
  EXPECT_EQ(host.CountCalls(vst2::hostop::kGetProductString), static_cast<std::size_t>(kCount))
      << "each instance identifies the host once";

  // Block by block in turn, with every instance's events sent just before
  // its own block.
  std::vector<std::vector<double>> left(kCount, std::vector<double>(kFrames));
  std::vector<double> l(kBlock), r(kBlock);
  for (int start = 0; start < kFrames; start += kBlock) {
    for (int i = 0; i < kCount; ++i) {
      Plugin& p = *plugins[static_cast<std::size_t>(i)];
      std::vector<Midi> block;
      for (const Midi& m : note)
        if (m.frame >= start && m.frame < start + kBlock)
          block.push_back({m.frame - start, m.status, m.data1, m.data2});
      if (!block.empty())
        p.SendMidi(block);
      double* out[2] = {l.data(), r.data()};
      p.Process(ProcessKind::kDouble, nullptr, out, kBlock);
      ASSERT_EQ(l, r);
      std::copy(l.begin(), l.end(), left[static_cast<std::size_t>(i)].begin() + start);
    }
  }
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    Plugin& p = *plugins[static_cast<std::size_t>(i)];
    EXPECT_EQ(left[static_cast<std::size_t>(i)], alone[static_cast<std::size_t>(i % kSounds)].left);
    EXPECT_EQ(p.ProgramName(), "Instance " + std::to_string(i));
    EXPECT_EQ(p.GetChunk(false), MakeState(SoundValues(i % kSounds), true));
  }
  EXPECT_EQ(Host::StrayCalls(), 0);
}

TEST(Vst2Instances, CreatedAndClosedOverAndOver)
{
  const std::vector<unsigned char> fresh = MakeState(DefaultValues(), true);
  Rendered reference = RenderFresh(44100.0f, 512, {{0, kNoteOn, 76, 127}}, 1024);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    Host host;
    auto p = Plugin::Create(host, round % 2 ? "main" : "VSTPluginMain");
    ASSERT_NE(p, nullptr);
    // What the previous instance was left with must not show in this one.
    ASSERT_EQ(p->GetChunk(false), fresh);
    ASSERT_EQ(p->ProgramName(), "-");
    p->Start(44100.0f, 512);
    if (round % 10 == 0) {
      Rendered r = Render(*p, {{0, kNoteOn, 76, 127}}, 1024);
      ASSERT_EQ(r.left, reference.left);
    }
    p->Set(round % kParamCount, 1.0f);
    std::string name = "Round " + std::to_string(round);
    p->Dispatch(vst2::op::kSetProgramName, 0, 0, &name[0]);
    if (round % 3 == 0) {
      // Closed before the block runs out, with a note still pending.
      p->SendMidi({{100000, kNoteOn, 60, 100}});
    }
    p->Close();
  }
  EXPECT_EQ(Host::StrayCalls(), 0);
}

}  // namespace
}  // namespace vst2host
