// The preset (.vstpreset) that `vorblex state` writes, read with the SDK's own
// preset reader into an instance as a host loads a preset, and compared with
// what the SDK's writer makes of the same sound.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "public.sdk/source/vst/vstpresetfile.h"
#include "tests/hosts/vst3/TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace vst3host {
namespace {

std::vector<uint8> ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

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
  char tmpl[] = "/tmp/vorblex-vstpreset-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl, tool = VORBLEX_CLI;
  ASSERT_EQ(std::system((tool + " generate powerup --seed 31 -o " + dir + " >/dev/null").c_str()), 0);
  const std::string source = dir + "/powerup-s31-001.vorblex";
  ASSERT_EQ(std::system((tool + " state --state " + source + " -o " + dir + "/up.vstpreset >/dev/null").c_str()), 0);
  std::vector<uint8> state = ReadAll(source);
  const std::vector<uint8> preset = ReadAll(dir + "/up.vstpreset");
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

  // Every parameter as the source state gives it to an instance directly.
  auto direct = Plugin::Create();
  ASSERT_NE(direct, nullptr);
  direct->Start();
  state.insert(state.end(), {0, 0, 0, 0});
  ASSERT_EQ(direct->SetState(state), kResultOk);
  EXPECT_EQ(loaded->AllNormalized(), direct->AllNormalized());
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
