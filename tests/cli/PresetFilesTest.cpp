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
  EXPECT_EQ(Read(Dir() + "/b.fxp").size(), 552u);
  EXPECT_EQ(Read(Dir() + "/b.VSTPRESET").size(), 1072u);
  EXPECT_EQ(Vst3ClassIdText(), "F2AEE70D00DE4F4E5071787273706770");
  for (const char* file : {"b.vorblex", "b.fxp", "b.VSTPRESET"}) {
    const std::string from = std::string(file) == "b.vorblex" ? state : Dir() + "/" + file;
    ASSERT_EQ(toolrun::Run("render --dc --state " + from + " -o " + Dir() + "/" + file + ".wav").status, 0) << file;
  }
  const std::string reference = Read(Dir() + "/b.vorblex.wav");
  EXPECT_GT(reference.size(), 10000u);
  EXPECT_EQ(Read(Dir() + "/b.fxp.wav"), reference);
  EXPECT_EQ(Read(Dir() + "/b.VSTPRESET.wav"), reference);

  // The parameter-list form hosts save for plug-ins without program chunks.
  Vorblex source;
  LoadStateFile(source, state);
  std::string list = Read(Dir() + "/b.fxp").substr(0, 56 + 4 * kParamCount);
  std::memcpy(&list[8], "FxCk", 4);
  PutBe(list, 4, static_cast<uint32_t>(list.size() - 8));
  for (int i = 0; i < kParamCount; ++i) {
    const float x = static_cast<float>(source.GetParameter(i)->GetNormalized());
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    PutBe(list, 56 + 4 * static_cast<size_t>(i), bits);
  }
  Write(Dir() + "/list.fxp", list);
  Vorblex fromList;
  LoadStateFile(fromList, Dir() + "/list.fxp");
  for (int i = 0; i < kParamCount; ++i)
    EXPECT_NEAR(fromList.GetParameter(i)->GetNormalized(), source.GetParameter(i)->GetNormalized(), 1e-7) << i;
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
      {fxp.substr(0, 300), "cut short"},
      {fxp.substr(0, 40), "not a VST2 program"},
      {patched(fxp, 0, "RIFF"), "not a VST2 program"},
      {patched(fxp, 8, "FBCh"), "not a single program (FBCh)"},
      {otherId, "another plug-in (id 'ABCD')"},
      {patched(fxp, 68, std::string(4, '\x07')), "holds no Vorblex state"},
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
