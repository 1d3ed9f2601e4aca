// Saved state: the 488-byte layout, round trips between instances, and
// streams that deliver too little, too slowly or nonsense.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "plugin/ParamTable.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

double DoubleAt(const std::vector<uint8>& bytes, size_t offset)
{
  uint64_t bits = 0;
  for (int b = 7; b >= 0; --b) bits = bits << 8 | bytes[offset + static_cast<size_t>(b)];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void PutDouble(std::vector<uint8>& bytes, size_t offset, double v)
{
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof v);
  for (int b = 0; b < 8; ++b) bytes[offset + static_cast<size_t>(b)] = static_cast<uint8>(bits >> (8 * b));
}

std::unique_ptr<Plugin> StartedPlugin()
{
  auto plugin = Plugin::Create();
  if (plugin) plugin->Start();
  return plugin;
}

// A sound unlike the initial one: every parameter moved.
void MoveEveryParameter(Plugin& plugin)
{
  for (int i = 0; i < kParamCount; ++i) {
    plugin.controller->setParamNormalized(static_cast<ParamID>(i), 0.3 + 0.01 * (i % 7));
  }
}

void Bypass(Plugin& plugin, bool on)
{
  BlockSpec block;
  block.frames = 4;
  block.queues = {{{kBypassID, 0, on ? 1.0 : 0.0}}};
  plugin.Process(block);
}

TEST(Vst3State, LayoutIsVersionParametersAndBypass)
{
  auto plugin = StartedPlugin();
  ASSERT_NE(plugin, nullptr);
  tresult result = kResultFalse;
  std::vector<uint8> state = plugin->GetState(&result);
  ASSERT_EQ(result, kResultOk);
  ASSERT_EQ(state.size(), static_cast<size_t>(kStateSize));
  EXPECT_EQ(state[0], 0x01);  // 0x00010001, little-endian
  EXPECT_EQ(state[1], 0x00);
  EXPECT_EQ(state[2], 0x01);
  EXPECT_EQ(state[3], 0x00);
  for (int i = 0; i < kParamCount; ++i) {
    EXPECT_DOUBLE_EQ(DoubleAt(state, 4 + 8 * static_cast<size_t>(i)), GetParamDesc(i)->defaultValue) << i;
  }
  EXPECT_EQ(std::vector<uint8>(state.begin() + 484, state.end()), (std::vector<uint8>{0, 0, 0, 0}));
  EXPECT_NE(plugin->component->getState(nullptr), kResultOk);
}

TEST(Vst3State, RoundTripBetweenInstances)
{
  auto a = StartedPlugin();
  auto b = StartedPlugin();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  MoveEveryParameter(*a);
  Bypass(*a, true);
  std::vector<uint8> saved = a->GetState();
  ASSERT_EQ(saved.size(), static_cast<size_t>(kStateSize));
  EXPECT_EQ(saved[484], 1);

  ASSERT_EQ(b->SetState(saved), kResultOk);
  EXPECT_EQ(b->AllNormalized(), a->AllNormalized());
  EXPECT_EQ(b->Normalized(kBypassID), 1.0);
  EXPECT_EQ(b->GetState(), saved);

  // Through the controller's side too: the same object answers both.
  Bypass(*a, false);
  ByteStream stream;
  ASSERT_EQ(a->controller->getState(&stream), kResultOk);
  ByteStream replay(stream.Bytes());
  ASSERT_EQ(b->controller->setState(&replay), kResultOk);
  EXPECT_EQ(b->Normalized(kBypassID), 0.0);
}

TEST(Vst3State, FreshInstanceRestoresItsOwnState)
{
  auto plugin = StartedPlugin();
  ASSERT_NE(plugin, nullptr);
  std::vector<uint8> saved = plugin->GetState();
  std::vector<double> before = plugin->AllNormalized();
  ASSERT_EQ(plugin->SetState(saved), kResultOk);
  EXPECT_EQ(plugin->AllNormalized(), before);
  EXPECT_EQ(plugin->GetState(), saved);
}

TEST(Vst3State, StreamsInSmallPieces)
{
  auto a = StartedPlugin();
  auto b = StartedPlugin();
  MoveEveryParameter(*a);
  ByteStream stream(a->GetState());
  stream.SetPieceSize(3);
  ASSERT_EQ(b->SetState(stream), kResultOk);
  EXPECT_EQ(b->AllNormalized(), a->AllNormalized());
}

TEST(Vst3State, ShortStreamsChangeNothingAndSayNo)
{
  auto source = StartedPlugin();
  MoveEveryParameter(*source);
  const std::vector<uint8> full = source->GetState();

  for (size_t limit : {size_t{0}, size_t{3}, size_t{200}, size_t{483}, size_t{484}, size_t{486}, size_t{487}}) {
    SCOPED_TRACE(limit);
    auto plugin = StartedPlugin();
    plugin->controller->setParamNormalized(kOutputGain, 0.75);
    Bypass(*plugin, true);
    const std::vector<uint8> before = plugin->GetState();
    ByteStream cut(full);
    cut.SetReadLimit(limit);
    cut.SetPieceSize(5);
    EXPECT_EQ(plugin->SetState(cut), kResultFalse);
    EXPECT_EQ(plugin->GetState(), before) << "sound and bypass as they were";
  }
  EXPECT_NE(source->component->setState(nullptr), kResultOk);
}

TEST(Vst3State, ValuesOutOfRangeAreClampedAndNonNumbersRefused)
{
  auto plugin = StartedPlugin();
  std::vector<uint8> state = plugin->GetState();
  PutDouble(state, 4 + 8 * kOutputGain, 1000.0);
  PutDouble(state, 4 + 8 * kOsc1Octave, -1000.0);
  ASSERT_EQ(plugin->SetState(state), kResultOk);
  EXPECT_EQ(plugin->Normalized(kOutputGain), 1.0);
  EXPECT_EQ(plugin->Normalized(kOsc1Octave), 0.0);

  const std::vector<uint8> before = plugin->GetState();
  for (double bad : {std::nan(""), -std::numeric_limits<double>::infinity()}) {
    std::vector<uint8> broken = before;
    PutDouble(broken, 4 + 8 * kFilterLPCutoff, bad);
    EXPECT_EQ(plugin->SetState(broken), kResultFalse);
    EXPECT_EQ(plugin->GetState(), before);
  }
}

TEST(Vst3State, StreamThatRefusesBytesIsAFailedSave)
{
  auto plugin = StartedPlugin();
  for (size_t room : {size_t{0}, size_t{100}, size_t{484}, size_t{487}}) {
    ByteStream stream;
    stream.SetWriteLimit(room);
    EXPECT_EQ(plugin->component->getState(&stream), kResultFalse) << room;
  }
  ByteStream enough;
  enough.SetWriteLimit(488);
  EXPECT_EQ(plugin->component->getState(&enough), kResultOk);
  EXPECT_EQ(enough.Bytes().size(), 488u);
}

TEST(Vst3State, RandomStreamsNeverHurt)
{
  auto plugin = StartedPlugin();
  ASSERT_NE(plugin, nullptr);
  std::mt19937 random(20240601);
  const std::vector<uint8> valid = plugin->GetState();
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8> bytes;
    const size_t size = random() % 700;
    if (round % 3 == 0) {
      // A valid state with a few bytes flipped.
      bytes = valid;
      for (int flips = 0; flips < 8; ++flips) {
        bytes[random() % bytes.size()] ^= static_cast<uint8>(1u << (random() % 8));
      }
    } else {
      for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<uint8>(random()));
    }
    ByteStream stream(bytes);
    stream.SetPieceSize(1 + static_cast<int32>(random() % 64));
    const std::vector<uint8> before = plugin->GetState();
    const tresult result = plugin->SetState(stream);
    if (bytes.size() < static_cast<size_t>(kStateSize)) {
      EXPECT_EQ(result, kResultFalse) << round;
    }
    if (result != kResultOk) {
      EXPECT_EQ(plugin->GetState(), before) << round;
    }
    for (double v : plugin->AllNormalized()) {
      ASSERT_TRUE(std::isfinite(v)) << round;
      ASSERT_GE(v, 0.0) << round;
      ASSERT_LE(v, 1.0) << round;
    }
    BlockSpec block;
    block.frames = 128;
    block.notes = {{0, true, static_cast<int>(random() % 128), 1.0f}, {100, false, 60, 0.0f}};
    BlockResult r = plugin->Process(block);
    for (const auto& channel : r.out) {
      for (double s : channel) ASSERT_TRUE(std::isfinite(s)) << round;
    }
  }
}

}  // namespace
}  // namespace vst3host
