// Randomised host input compared between runs: the same random event stream
// (MIDI of every kind, system exclusive, unknown events, null pointers) must
// sound the same whatever the blocks it arrives in, and every chunk the module
// accepts must read back the same way in any instance.
#include "tests/hosts/vst2/Fixtures.h"

#include <climits>
#include <random>

namespace vst2host {
namespace {

constexpr unsigned kSeed = 7741;

// One event of a stream, at an absolute frame.
struct StreamEvent {
  std::int64_t frame;
  int kind;  // 0 MIDI, 1 system exclusive, 2 unknown type, 3 null pointer
  unsigned char bytes[3];
};

std::vector<StreamEvent> RandomStream(std::mt19937& rng, std::int64_t frames, int count)
{
  std::vector<StreamEvent> events;
  for (int i = 0; i < count; ++i) {
    StreamEvent e{};
    e.frame = static_cast<std::int64_t>(rng() % static_cast<unsigned>(frames));
    unsigned r = rng() % 20;
    e.kind = r < 16 ? 0 : static_cast<int>(r - 16) % 4;
    // Mostly notes on a few keys, so voices start, steal nothing and stop.
    unsigned s = rng() % 10;
    e.bytes[0] = static_cast<unsigned char>(s < 4 ? 0x90 | rng() % 16 : s < 8 ? 0x80 | rng() % 16 : 0xA0 + rng() % 0x60);
    e.bytes[1] = static_cast<unsigned char>(rng() % 8 ? 48 + rng() % 24 : rng());
    e.bytes[2] = static_cast<unsigned char>(rng() % 8 ? 1 + rng() % 127 : rng());
    events.push_back(e);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const StreamEvent& a, const StreamEvent& b) { return a.frame < b.frame; });
  return events;
}

// Plays the stream through one instance in blocks of the given sizes and
// returns the first output; events reach each block as one list, deltas
// relative to the block.
std::vector<double> PlayStream(const std::vector<StreamEvent>& stream, std::int64_t frames,
                               const std::vector<int>& blocks, ProcessKind kind)
{
  Host host;
  auto plugin = Plugin::Create(host);
  if (!plugin) {
    ADD_FAILURE() << "no instance";
    return {};
  }
  plugin->Start(44100.0f, 512);
  std::vector<double> out(static_cast<std::size_t>(frames), 0.0);
  std::vector<float> fl(8192), fr(8192);
  std::vector<double> dl(8192), dr(8192);
  char dump[] = {char(0xF0), 0x43, 0x10, char(0xF7)};
  std::size_t next = 0;
  std::size_t blockIndex = 0;
  for (std::int64_t pos = 0; pos < frames;) {
    int n = static_cast<int>(std::min<std::int64_t>(blocks[blockIndex++ % blocks.size()], frames - pos));
    std::vector<vst2::MidiEvent> midi;
    std::vector<vst2::SysExEvent> sysex;
    std::vector<vst2::Event> other;
    midi.reserve(stream.size());
    sysex.reserve(stream.size());
    other.reserve(stream.size());
    std::vector<void*> list;
    for (; n > 0 && next < stream.size() && stream[next].frame < pos + n; ++next) {
      const StreamEvent& e = stream[next];
      const std::int32_t delta = static_cast<std::int32_t>(e.frame - pos);
      if (e.kind == 0) {
        vst2::MidiEvent m{};
        m.type = vst2::kEventMidi;
        m.byteSize = sizeof m;
        m.deltaFrames = delta;
        std::copy(e.bytes, e.bytes + 3, m.midiData);
        midi.push_back(m);
        list.push_back(&midi.back());
      } else if (e.kind == 1) {
        vst2::SysExEvent x{};
        x.type = vst2::kEventSysEx;
        x.byteSize = sizeof x;
        x.deltaFrames = delta;
        x.dumpBytes = e.bytes[1] % 2 ? static_cast<std::int32_t>(sizeof dump) : -static_cast<std::int32_t>(e.bytes[2]);
        x.sysexDump = e.bytes[2] % 3 ? dump : nullptr;
        sysex.push_back(x);
        list.push_back(&sysex.back());
      } else if (e.kind == 2) {
        vst2::Event u{};
        u.type = 2 + e.bytes[1];
        u.byteSize = sizeof u;
        u.deltaFrames = delta;
        other.push_back(u);
        list.push_back(&other.back());
      } else {
        list.push_back(nullptr);
      }
    }
    if (!list.empty())
      plugin->SendEventPointers(list, static_cast<std::int32_t>(list.size()));
    float* fOut[2] = {fl.data(), fr.data()};
    double* dOut[2] = {dl.data(), dr.data()};
    plugin->Process(kind, fOut, dOut, n);
    for (int i = 0; i < n; ++i)
      out[static_cast<std::size_t>(pos + i)] = kind == ProcessKind::kDouble ? dl[static_cast<std::size_t>(i)]
                                                                             : fl[static_cast<std::size_t>(i)];
    pos += n;
  }
  return out;
}

TEST(Vst2RandomStreams, SameSoundInAnyBlocks)
{
  std::mt19937 rng(kSeed);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(testing::Message() << "seed " << kSeed << " round " << round);
    const std::int64_t frames = 20000;
    std::vector<StreamEvent> stream = RandomStream(rng, frames, 40 + static_cast<int>(rng() % 200));
    std::vector<int> blocks;
    for (int i = 0; i < 64; ++i)
      blocks.push_back(static_cast<int>(rng() % 6 == 0 ? rng() % 2 : 1 + rng() % 3000));
    const ProcessKind kind = round % 2 ? ProcessKind::kReplacing : ProcessKind::kDouble;
    std::vector<double> reference = PlayStream(stream, frames, {512}, kind);
    std::vector<double> split = PlayStream(stream, frames, blocks, kind);
    ASSERT_TRUE(AllFinite(reference));
    EXPECT_GT(PeakAbs(reference), 0.0) << "the stream plays notes";
    EXPECT_EQ(split, reference);
  }
}

TEST(Vst2RandomStreams, AcceptedChunksReadBackTheSameEverywhere)
{
  std::mt19937 rng(kSeed + 1);
  Host host;
  auto plugin = Plugin::Create(host);
  ASSERT_NE(plugin, nullptr);
  plugin->Start();
  const std::vector<unsigned char> program = MakeState(DefaultValues(), true);
  int accepted = 0;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(testing::Message() << "seed " << kSeed + 1 << " round " << round);
    std::vector<unsigned char> chunk = program;
    // Whole doubles replaced by random bit patterns, or random bytes.
    for (int k = 1 + static_cast<int>(rng() % 6); k > 0; --k) {
      std::size_t at = rng() % 2 ? kChunkHeaderSize + 4 + 8 * (rng() % kParamCount) : rng() % (chunk.size() - 8);
      std::uint64_t bits = static_cast<std::uint64_t>(rng()) << 32 | rng();
      for (int b = 0; b < 8; ++b)
        chunk[at + static_cast<std::size_t>(b)] = static_cast<unsigned char>(bits >> (8 * b));
    }
    if (plugin->SetChunk(false, chunk) != 1)
      continue;
    ++accepted;
    std::vector<unsigned char> stored = plugin->GetChunk(false);
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kProgramChunkSize));
    EXPECT_EQ(plugin->GetChunk(false), stored) << "reading twice gives the same bytes";
    for (int i = 0; i < kParamCount; ++i) {
      double v = ReadDouble(stored, kChunkHeaderSize + 4 + 8 * static_cast<std::size_t>(i));
      EXPECT_TRUE(v >= kParams[i].minimum && v <= kParams[i].maximum) << kParams[i].name << " holds " << v;
    }
    Host otherHost;
    auto other = Plugin::Create(otherHost);
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->SetChunk(false, stored), 1);
    EXPECT_EQ(other->GetChunk(false), stored) << "what one instance stored, another restores exactly";
    ASSERT_EQ(other->SetChunk(true, plugin->GetChunk(true)), 1);
    EXPECT_EQ(other->GetChunk(true), plugin->GetChunk(true));
    if (HasFailure())
      break;
  }
  EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace vst2host
