// Preset files for hosts: what `vorblex state` writes is read back by
// `--state` as the same sound, and damaged or foreign files are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "cli/CliCommon.h"
#include "cli/PresetFiles.h"
#include "plugin/Vorblex.h"
#include "tests/cli/ToolRun.h"

using toolrun::Read;

namespace {
const std::string& Dir()
{
  static const std::string dir = toolrun::NewDir();
  return dir;
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

void PutBe(std::string& s, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
}
}  // namespace

TEST(PresetFiles, PresetsRenderAsTheStateTheyWereMadeFrom)
{
  ASSERT_EQ(toolrun::Run("generate blade --seed 77 -o " + Dir()).status, 0);
  const std::string state = Dir() + "/blade-s77-001.vorblex";
  ASSERT_EQ(toolrun::Run("state --state " + state + " -o " + Dir() + "/b.fxp").status, 0);
  ASSERT_EQ(toolrun::Run("state --state " + state + " -o " + Dir() + "/b.VSTPRESET").status, 0);
  EXPECT_EQ(Read(Dir() + "/b.fxp").size(), 56u + 4 * kParamCount);
  EXPECT_EQ(Read(Dir() + "/b.VSTPRESET").size(), 1072u);
  EXPECT_EQ(Vst3ClassIdText(), "F2AEE70D00DE4F4E5071787273706770");
  for (const char* file : {"b.vorblex", "b.fxp", "b.VSTPRESET"}) {
    const std::string from = std::string(file) == "b.vorblex" ? state : Dir() + "/" + file;
    ASSERT_EQ(toolrun::Run("render --dc --state " + from + " -o " + Dir() + "/" + file + ".wav").status, 0) << file;
  }
  const std::string reference = Read(Dir() + "/b.vorblex.wav");
  EXPECT_GT(reference.size(), 10000u);
  EXPECT_EQ(Read(Dir() + "/b.VSTPRESET.wav"), reference);

  // The program file holds each value as a 32-bit float, as a host saves it.
  Vorblex source, fromList;
  LoadStateFile(source, state);
  LoadStateFile(fromList, Dir() + "/b.fxp");
  for (int i = 0; i < kParamCount; ++i)
    EXPECT_NEAR(fromList.GetParameter(i)->GetNormalized(), source.GetParameter(i)->GetNormalized(), 1e-7) << i;

  // The opaque-chunk form holds the chunk the VST2 module hands out: exact.
  IStateChunk chunk;
  WriteChunkHeader(chunk);
  const std::string stateBytes = Read(state);
  chunk.PutBytes(stateBytes.data(), static_cast<int>(stateBytes.size()));
  std::string opaque = Read(Dir() + "/b.fxp").substr(0, 56) + std::string(4, '\0') +
                       std::string(reinterpret_cast<const char*>(chunk.Data()), static_cast<size_t>(chunk.Size()));
  std::memcpy(&opaque[8], "FPCh", 4);
  PutBe(opaque, 4, static_cast<uint32_t>(opaque.size() - 8));
  PutBe(opaque, 56, static_cast<uint32_t>(chunk.Size()));
  Write(Dir() + "/opaque.fxp", opaque);
  ASSERT_EQ(toolrun::Run("render --dc --state " + Dir() + "/opaque.fxp -o " + Dir() + "/opaque.wav").status, 0);
  EXPECT_EQ(Read(Dir() + "/opaque.wav"), reference);
}

TEST(PresetFiles, DamagedAndForeignPresetsAreRefusedWithOneLine)
{
  ASSERT_EQ(toolrun::Run("state --set \"Osc1 Type=Saw\" -o " + Dir() + "/g.fxp").status, 0);
  ASSERT_EQ(toolrun::Run("state --set \"Osc1 Type=Saw\" -o " + Dir() + "/g.vstpreset").status, 0);
  const std::string fxp = Read(Dir() + "/g.fxp"), vst3 = Read(Dir() + "/g.vstpreset");
  auto patched = [](std::string s, size_t at, const std::string& bytes) { return s.replace(at, bytes.size(), bytes); };
  std::string bigList = vst3, farChunk = vst3, otherId = fxp;
  PutBe(bigList, 1028, 0x7FFFFFFFu);                          // entry count, read little-endian: huge
  farChunk.replace(1036, 8, std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 8));  // Comp offset
  PutBe(otherId, 16, 0x41424344u);
  const std::pair<std::string, std::string> cases[] = {
      {fxp.substr(0, 200), "cut short"},
      {fxp.substr(0, 40), "not a VST2 program"},
      {patched(fxp, 0, "RIFF"), "not a VST2 program"},
      {patched(fxp, 8, "FBCh"), "not a single program (FBCh)"},
      {otherId, "another plug-in (id 'ABCD')"},
      {patched(fxp, 68, std::string("\x7F\xC0\0\0", 4)), "outside 0 to 1"},
      {vst3.substr(0, 1060), "chunk list"},
      {vst3.substr(0, 30), "not a VST3 preset"},
      {patched(vst3, 8, "00000000"), "another plug-in"},
      {patched(vst3, 40, std::string(8, '\x70')), "no chunk list"},
      {bigList, "cut short"},
      {farChunk, "outside the file"},
      {patched(vst3, 1032, "Prog"), "no component state"},
  };
  const std::string out = Dir() + "/refused.wav";
  for (size_t k = 0; k < std::size(cases); ++k) {
    const std::string path = Dir() + "/bad" + std::to_string(k) + (k < 6 ? ".fxp" : ".vstpreset");
    Write(path, cases[k].first);
    const toolrun::Result r = toolrun::Run("render --state " + path + " -o " + out);
    EXPECT_EQ(r.status, 2) << k;
    EXPECT_NE(r.err.find(cases[k].second), std::string::npos) << k << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << k << ": " << r.err;
  }
  EXPECT_NE(access(out.c_str(), F_OK), 0);
}
