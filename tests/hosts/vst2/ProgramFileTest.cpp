// The program file (.fxp) that `vorblex state` writes, opened as a host opens
// one for a plug-in without program chunks: its header checked against the
// plug-in, each value handed over with set-parameter.
#include "tests/hosts/vst2/Fixtures.h"

#include <algorithm>
#include <cstring>

#include "tests/cli/ToolRun.h"

namespace vst2host {
namespace {

using Vst2ProgramFile = StartedPlugin;

std::uint32_t BigEndian(const std::vector<unsigned char>& b, std::size_t at)
{
  return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
         static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

TEST_F(Vst2ProgramFile, TheToolsProgramFileLoadsTheSoundItWasMadeFrom)
{
  const std::string dir = toolrun::NewDir();
  ASSERT_EQ(toolrun::Run("generate shoot --seed 12 -o " + dir).status, 0);
  ASSERT_EQ(toolrun::Run("state --state " + dir + "/shoot-s12-001.vorblex -o " + dir + "/laser.fxp").status, 0);
  const std::string stateText = toolrun::Read(dir + "/shoot-s12-001.vorblex");
  const std::string fxpText = toolrun::Read(dir + "/laser.fxp");
  const std::vector<unsigned char> state(stateText.begin(), stateText.end()), fxp(fxpText.begin(), fxpText.end());
  ASSERT_EQ(state.size(), static_cast<std::size_t>(kStateSize));
  ASSERT_EQ(fxp.size(), 56u + 4 * kParamCount);

  // What a host checks before it loads a program into a plug-in without
  // program chunks: magic, size, kind, format version, the plug-in's id,
  // version and parameter count; then the name and one float per parameter.
  EXPECT_EQ(std::string(fxp.begin(), fxp.begin() + 4), "CcnK");
  EXPECT_EQ(BigEndian(fxp, 4), fxp.size() - 8);
  EXPECT_EQ(std::string(fxp.begin() + 8, fxp.begin() + 12), "FxCk");
  EXPECT_EQ(BigEndian(fxp, 12), 1u);
  EXPECT_EQ(BigEndian(fxp, 16), static_cast<std::uint32_t>(plugin->Entry()->uniqueId));
  EXPECT_EQ(BigEndian(fxp, 20), static_cast<std::uint32_t>(plugin->Entry()->version));
  EXPECT_EQ(BigEndian(fxp, 24), static_cast<std::uint32_t>(plugin->Entry()->parameterCount));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(fxp.data() + 28)), "laser");

  for (int i = 0; i < kParamCount; ++i) {
    const std::uint32_t bits = BigEndian(fxp, 56 + 4 * static_cast<std::size_t>(i));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    plugin->Set(i, value);
  }
  for (int i = 0; i < kParamCount; ++i) {
    SCOPED_TRACE(kParams[i].name);
    EXPECT_NEAR(plugin->Get(i), NormalizedFromReal(i, ReadDouble(state, 4 + 8 * static_cast<std::size_t>(i))), 1e-6);
  }
  EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}

}  // namespace
}  // namespace vst2host
