// Untrusted host input in bulk: random chunks, random MIDI streams with
// random block sizes, and parameter values outside 0..1. Nothing may crash,
// every value read back stays a number in range, and the sound stays finite.
#include "tests/hosts/vst2/Fixtures.h"

#include <cmath>
#include <limits>
#include <random>

namespace vst2host {
namespace {

using Vst2Robustness = StartedPlugin;

constexpr unsigned kSeed = 20240611;

// Output bound: gain at most +12 dB after a curve clamped to +-2.
const double kBound = 2.0 * std::pow(10.0, 12.0 / 20.0) + 1e-6;

void ExpectSaneParameters(Plugin& plugin)
{
  for (int i = 0; i < kParamCount; ++i) {
    float v = plugin.Get(i);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << kParams[i].name << " reads " << v;
    std::string display = plugin.Display(i);
    EXPECT_FALSE(display.empty()) << kParams[i].name;
    EXPECT_LT(display.size(), 32u) << kParams[i].name;
    for (const char* bad : {"nan", "NAN", "inf", "INF", "IND"})
      EXPECT_EQ(display.find(bad), std::string::npos) << kParams[i].name << " shows " << display;
  }
}

void ExpectSaneSound(Plugin& plugin)
{
  Rendered r = Render(plugin, {{0, kNoteOn, 69, 100}, {300, kNoteOff, 69, 0}}, 1024);
  EXPECT_TRUE(AllFinite(r.left));
  EXPECT_LE(PeakAbs(r.left), kBound);
  EXPECT_EQ(r.left, r.right);
}

TEST_F(Vst2Robustness, RandomChunks)
{
  std::mt19937 rng(kSeed);
  std::vector<unsigned char> program = MakeState(DefaultValues(), true);
  std::vector<unsigned char> bank = BankChunk();
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(testing::Message() << "seed " << kSeed << " round " << round);
    std::vector<unsigned char> chunk;
    switch (rng() % 5) {
    case 0:  // random bytes
      chunk.resize(rng() % 1200);
      for (auto& b : chunk)
        b = static_cast<unsigned char>(rng());
      break;
    case 1:  // a program with some bytes changed
    case 2:  // a bank with some bytes changed
      chunk = rng() % 2 ? program : bank;
      for (int k = 1 + static_cast<int>(rng() % 8); k > 0; --k)
        chunk[rng() % chunk.size()] = static_cast<unsigned char>(rng());
      break;
    case 3:  // cut short or lengthened
      chunk = rng() % 2 ? program : bank;
      chunk.resize(rng() % (chunk.size() + 64), static_cast<unsigned char>(rng()));
      break;
    default:  // a valid header in front of random bytes
      chunk.resize(8 + rng() % 600);
      for (auto& b : chunk)
        b = static_cast<unsigned char>(rng());
      WriteU32(chunk, 0, kChunkMagic);
      WriteU32(chunk, 4, rng() % 2 ? kChunkHeaderVersion : static_cast<std::uint32_t>(rng()));
      break;
    }
    bool asBank = rng() % 2;
    std::intptr_t result = plugin->SetChunk(asBank, chunk);
    EXPECT_TRUE(result == 0 || result == 1) << result;
    ExpectSaneParameters(*plugin);
    if (round % 25 == 0)
      ExpectSaneSound(*plugin);
    std::vector<unsigned char> after = plugin->GetChunk(false);
    EXPECT_EQ(after.size(), static_cast<std::size_t>(kProgramChunkSize));
    EXPECT_FALSE(plugin->GetChunk(true).empty());
    if (HasFatalFailure() || HasNonfatalFailure())
      break;  // one broken round says enough
  }
  // A valid program still restores afterwards.
  EXPECT_EQ(plugin->SetChunk(false, program), 1);
  EXPECT_EQ(plugin->GetChunk(false), program);
}

TEST_F(Vst2Robustness, RandomMidiStreams)
{
  std::mt19937 rng(kSeed + 1);
  std::vector<float> fl(1024), fr(1024);
  std::vector<double> dl(1024), dr(1024);
  for (int block = 0; block < 600; ++block) {
    SCOPED_TRACE(testing::Message() << "seed " << kSeed + 1 << " block " << block);
    int frames = static_cast<int>(rng() % 5 == 0 ? rng() % 2 : rng() % 1025);
    int count = static_cast<int>(rng() % 12);
    std::vector<Midi> events;
    for (int i = 0; i < count; ++i) {
      Midi m;
      m.frame = static_cast<std::int64_t>(rng() % 1200) - 50;
      // Mostly notes, with any other byte now and then.
      unsigned r = rng() % 10;
      m.status = static_cast<unsigned char>(r < 4 ? 0x90 | (rng() % 16) : r < 7 ? 0x80 | (rng() % 16) : rng());
      m.data1 = static_cast<unsigned char>(rng() % 3 ? 24 + rng() % 80 : rng());
      m.data2 = static_cast<unsigned char>(rng());
      events.push_back(m);
    }
    if (!events.empty())
      plugin->SendMidi(events);
    if (rng() % 50 == 0)
      plugin->Set(static_cast<int>(rng() % kParamCount), std::uniform_real_distribution<float>(0, 1)(rng));
    ProcessKind kind = static_cast<ProcessKind>(rng() % 3);
    std::fill(fl.begin(), fl.end(), 0.0f);
    std::fill(fr.begin(), fr.end(), 0.0f);
    float* fOut[2] = {fl.data(), fr.data()};
    double* dOut[2] = {dl.data(), dr.data()};
    plugin->Process(kind, fOut, dOut, frames);
    bool ok = true;
    for (int i = 0; i < frames && ok; ++i) {
      double l = kind == ProcessKind::kDouble ? dl[static_cast<std::size_t>(i)] : fl[static_cast<std::size_t>(i)];
      double r2 = kind == ProcessKind::kDouble ? dr[static_cast<std::size_t>(i)] : fr[static_cast<std::size_t>(i)];
      ok = std::isfinite(l) && std::fabs(l) <= kBound && l == r2;
    }
    ASSERT_TRUE(ok) << "frames " << frames;
  }
  ExpectSaneParameters(*plugin);
}

TEST_F(Vst2Robustness, RandomDispatcherCalls)
{
  // Opcodes the plug-in answers, with random indices and values and a zeroed
  // buffer or none: no crash, and the instance still reads back and sounds
  // sane afterwards.
  // Opcodes whose value argument is a pointer (speaker arrangements) and the
  // rate and block size (tested on their own) are left out.
  const std::int32_t opcodes[] = {
      vst2::op::kSetProgram,         vst2::op::kGetProgram,           vst2::op::kSetProgramName,
      vst2::op::kGetProgramName,     vst2::op::kGetParamLabel,        vst2::op::kGetParamDisplay,
      vst2::op::kGetParamName,       vst2::op::kMainsChanged,         vst2::op::kEditGetRect,
      vst2::op::kEditClose,          vst2::op::kEditIdle,             vst2::op::kIdentify,
      vst2::op::kGetChunk,           vst2::op::kCanBeAutomated,       vst2::op::kString2Parameter,
      vst2::op::kGetProgramNameIndexed, vst2::op::kGetInputProperties, vst2::op::kGetOutputProperties,
      vst2::op::kGetPlugCategory,    vst2::op::kProcessVarIo,         vst2::op::kGetEffectName,
      vst2::op::kGetVendorString,    vst2::op::kGetProductString,     vst2::op::kGetVendorVersion,
      vst2::op::kVendorSpecific,     vst2::op::kCanDo,                vst2::op::kGetTailSize,
      vst2::op::kIdle,               vst2::op::kGetVstVersion,        vst2::op::kGetMidiKeyName,
  };
  std::mt19937 rng(kSeed + 2);
  for (int round = 0; round < 3000; ++round) {
    alignas(8) unsigned char buf[1024] = {};
    std::int32_t opcode = opcodes[rng() % (sizeof opcodes / sizeof opcodes[0])];
    std::int32_t index = static_cast<std::int32_t>(rng() % 3 ? rng() % 80 : rng());
    std::intptr_t value = static_cast<std::intptr_t>(rng() % 3 ? rng() % 80 : rng());
    float opt = std::uniform_real_distribution<float>(-2, 2)(rng);
    plugin->Dispatch(opcode, index, value, rng() % 4 ? buf : nullptr, opt);
  }
  ExpectSaneParameters(*plugin);
  ExpectSaneSound(*plugin);
}

// Normalised values outside 0..1 are held at the nearer end; values that are
// not numbers change nothing. Either way every parameter keeps a value in its
// range.
// What plug-in validators put a module through, on one instance with notes
// held throughout: blocks of 0 and 1 to 8192 frames at random, rate changes
// from 8 kHz to 384 kHz, suspend and resume (mains off and on), program and
// bank chunks saved and restored between blocks, and parameter changes
// between blocks.
TEST_F(Vst2Robustness, ValidatorScenariosMidNote)
{
  std::mt19937 rng(kSeed + 9);
  vst2::Entry* e = plugin->Entry();
  std::vector<float> fl(8192), fr(8192);
  std::vector<double> dl(8192), dr(8192);
  long heard = 0;
  auto play = [&](int frames, std::vector<Midi> notes = {}) {
    if (!notes.empty()) plugin->SendMidi(notes);
    const bool useDouble = rng() % 2;
    float* fOut[2] = {fl.data(), fr.data()};
    double* dOut[2] = {dl.data(), dr.data()};
    if (useDouble)
      e->processDoubleReplacing(e, dOut, dOut, frames);
    else
      e->processReplacing(e, fOut, fOut, frames);
    for (int i = 0; i < frames; ++i) {
      const double v = useDouble ? dl[static_cast<std::size_t>(i)] : fl[static_cast<std::size_t>(i)];
      ASSERT_TRUE(std::isfinite(v)) << frames;
      ASSERT_LE(std::fabs(v), kBound) << frames;
      heard += v != 0.0;
    }
  };
  auto restart = [&](float rate, int block) {
    plugin->Dispatch(vst2::op::kMainsChanged, 0, 0);
    plugin->Dispatch(vst2::op::kSetSampleRate, 0, 0, nullptr, rate);
    plugin->Dispatch(vst2::op::kSetBlockSize, 0, block);
    plugin->Dispatch(vst2::op::kMainsChanged, 0, 1);
  };
  restart(44100.0f, 8192);
  {
    SCOPED_TRACE("block sizes 0 and 1 to 8192");
    play(64, {{0, kNoteOn, 57, 110}});
    for (int i = 0; i < 300; ++i) {
      const int frames = rng() % 5 == 0 ? 0 : 1 + static_cast<int>(rng() % 8192);
      std::vector<Midi> notes;
      if (frames > 0 && rng() % 4 == 0)
        notes.push_back({static_cast<std::int64_t>(rng() % static_cast<unsigned>(frames)), kNoteOn,
                         static_cast<unsigned char>(36 + rng() % 48), 90});
      play(frames, notes);
    }
  }
  {
    SCOPED_TRACE("rate changes mid-note");
    for (float rate : {8000.0f, 11025.0f, 22050.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f, 44100.0f}) {
      play(256, {{0, kNoteOn, 69, 127}});
      restart(rate, 4096);
      for (int k = 0; k < 4; ++k) play(1 + static_cast<int>(rng() % 4096));
    }
  }
  {
    SCOPED_TRACE("suspend and resume mid-note");
    for (int k = 0; k < 10; ++k) {
      play(300, {{5, kNoteOn, static_cast<unsigned char>(48 + k), 100}});
      plugin->Dispatch(vst2::op::kMainsChanged, 0, 0);
      plugin->Dispatch(vst2::op::kMainsChanged, 0, 1);
      play(300);
    }
  }
  {
    SCOPED_TRACE("chunks saved and loaded during playback");
    const std::vector<unsigned char> firstBank = plugin->GetChunk(true);
    play(128, {{0, kNoteOn, 60, 127}});
    for (int k = 0; k < 40; ++k) {
      plugin->Set(static_cast<int>(rng() % kParamCount), (rng() % 1000) / 999.0f);
      play(1 + static_cast<int>(rng() % 1024));
      if (k % 5 == 4) {
        ASSERT_EQ(plugin->SetChunk(true, firstBank), 1);
      } else {
        const bool bank = k % 2;
        const std::vector<unsigned char> saved = plugin->GetChunk(bank);
        ASSERT_EQ(plugin->SetChunk(bank, saved), 1);
        EXPECT_EQ(plugin->GetChunk(bank), saved);
      }
      play(1 + static_cast<int>(rng() % 1024));
    }
  }
  ExpectSaneParameters(*plugin);
  ExpectSaneSound(*plugin);
  EXPECT_GT(heard, 10000) << "the notes are heard";
}

TEST_F(Vst2Robustness, AutomationOutsideZeroToOne)
{
  const float values[] = {-0.5f,
                          1.5f,
                          -1e30f,
                          1e30f,
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()};
  for (float x : values) {
    SCOPED_TRACE(x);
    std::vector<unsigned char> before = plugin->GetChunk(false);
    for (int i = 0; i < kParamCount; ++i)
      plugin->Set(i, x);
    std::vector<unsigned char> after = plugin->GetChunk(false);
    ASSERT_EQ(after.size(), static_cast<std::size_t>(kProgramChunkSize));
    for (int i = 0; i < kParamCount; ++i) {
      const std::size_t at = kChunkHeaderSize + 4 + 8 * static_cast<std::size_t>(i);
      const double expected = std::isnan(x) ? ReadDouble(before, at) : RealFromNormalized(i, x < 0.0f ? 0.0 : 1.0);
      EXPECT_EQ(ReadDouble(after, at), expected) << kParams[i].name;
    }
    ExpectSaneParameters(*plugin);
    ExpectSaneSound(*plugin);
  }
}

}  // namespace
}  // namespace vst2host
