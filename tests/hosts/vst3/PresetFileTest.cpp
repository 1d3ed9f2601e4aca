// The preset (.vstpreset) that `vorblex state` writes, read with the SDK's own
// preset reader into an instance as a host loads a preset, and compared with
// what the SDK's writer makes of the same sound.
#include <gtest/gtest.h>

#include <cstdio>

#include "public.sdk/source/vst/vstpresetfile.h"
#include "tests/cli/ToolRun.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

// The class id as Windows hosts spell it in a preset: a 32-bit and two 16-bit
// little-endian numbers, then eight bytes in order.
std::string WindowsClassIdText(const TUID& id)
{
  const auto b = [&](int i) { return static_cast<unsigned>(static_cast<uint8>(id[i])); };
  char text[33];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X%02X%02X", b(3), b(2), b(1), b(0), b(5), b(4), b(7), b(6));
  for (int i = 8; i < 16; ++i) std::snprintf(text + 16 + 2 * (i - 8), 3, "%02X", b(i));
  return text;
}

TEST(Vst3PresetFile, TheToolsPresetLoadsTheSoundItWasMadeFrom)
{
  const std::string dir = toolrun::NewDir(), source = dir + "/powerup-s31-001.vorblex";
  ASSERT_EQ(toolrun::Run("generate powerup --seed 31 -o " + dir).status, 0);
  ASSERT_EQ(toolrun::Run("state --state " + source + " -o " + dir + "/up.vstpreset").status, 0);
  const std::string stateText = toolrun::Read(source), presetText = toolrun::Read(dir + "/up.vstpreset");
  std::vector<uint8> state(stateText.begin(), stateText.end());
  const std::vector<uint8> preset(presetText.begin(), presetText.end());
  ASSERT_EQ(state.size(), 484u);
  ASSERT_EQ(preset.size(), 48u + 2 * kStateSize + 8 + 2 * 20);
  EXPECT_EQ(std::string(preset.begin() + 8, preset.begin() + 40), WindowsClassIdText(ClassID()));

  auto loaded = Plugin::Create();
  ASSERT_NE(loaded, nullptr);
  loaded->Start();
  ByteStream file(preset);
  PresetFile reader(&file);
  ASSERT_TRUE(reader.readChunkList());
  ASSERT_TRUE(reader.contains(kComponentState) && reader.contains(kControllerState));
  EXPECT_TRUE(reader.restoreComponentState(loaded->component));
  EXPECT_TRUE(reader.restoreComponentState(loaded->controller));
  EXPECT_TRUE(reader.restoreControllerState(loaded->controller));

  // Every parameter as in the source state, bypass off.
  state.insert(state.end(), {0, 0, 0, 0});
  EXPECT_EQ(loaded->GetState(), state);

  // The SDK's writer makes the same file of the loaded sound, but for the
  // class id, which it spells byte for byte on this platform.
  ByteStream written;
  ASSERT_TRUE(PresetFile::savePreset(&written, FUID::fromTUID(ClassID()), loaded->component, loaded->controller));
  std::vector<uint8> expected = written.Bytes();
  ASSERT_EQ(expected.size(), preset.size());
  std::copy(preset.begin() + 8, preset.begin() + 40, expected.begin() + 8);
  EXPECT_EQ(preset, expected);
  EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}

}  // namespace
}  // namespace vst3host
