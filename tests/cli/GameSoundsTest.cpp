// The command line for game sounds: one-shot files, reproducible and unrelated
// seeds, locks, levels, formats, and never losing a file.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/EditorTools.h"
#include "cli/Generate.h"
#include "cli/OneShot.h"
#include "platform/Random.h"
#include "plugin/Vorblex.h"

namespace {
std::string NewDir()
{
  char tmpl[] = "/tmp/vorblex-game-XXXXXX";
  const char* d = mkdtemp(tmpl);
  return d ? d : "/tmp";
}

struct ToolResult {
  int status;
  std::string out, err;
};

ToolResult Tool(const std::string& args)
{
  static const std::string dir = NewDir();
  const std::string cmd = std::string(VORBLEX_CLI) + " " + args + " >" + dir + "/out.txt 2>" + dir + "/err.txt";
  const int raw = std::system(cmd.c_str());
  auto read = [](const std::string& p) {
    std::ifstream in(p);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(dir + "/out.txt"), read(dir + "/err.txt")};
}

std::string Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<double> Samples(const std::string& path, int* rate = nullptr)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<double> x(static_cast<size_t>(info.frames));
  sf_readf_double(f, x.data(), info.frames);
  sf_close(f);
  if (rate) *rate = info.samplerate;
  return x;
}

std::vector<std::string> Files(const std::string& dir, const std::string& ext)
{
  std::vector<std::string> out;
  ToolResult r = Tool("");  // keeps the helper's folder alive
  (void)r;
  const std::string cmd = "ls " + dir + " > " + dir + "/.list";
  if (std::system(cmd.c_str()) != 0) return out;
  std::ifstream in(dir + "/.list");
  for (std::string line; std::getline(in, line);)
    if (line.size() > ext.size() && line.compare(line.size() - ext.size(), ext.size(), ext) == 0)
      out.push_back(dir + "/" + line);
  return out;
}

std::vector<double> Normalised(Vorblex& plug)
{
  std::vector<double> v;
  for (int i = 0; i < kParamCount; ++i) v.push_back(plug.GetParameter(i)->GetNormalized());
  return v;
}

constexpr double kThreshold = 3.1622776601683794e-4;  // -70 dBFS
}  // namespace

TEST(GameSounds, GeneratedFilesAreTheRenderOfTheirStateByteForByte)
{
  const std::string dir = NewDir();
  // Two batches with noise (random picks noise-only sounds), at 48 kHz 16-bit.
  ASSERT_EQ(Tool("generate random --count 6 --seed 40 --rate 48000 --bits 16 -o " + dir).status, 0);
  ASSERT_EQ(Tool("generate hit --count 3 --seed 7 --format flac -o " + dir).status, 0);
  const std::vector<std::string> states = Files(dir, ".vorblex");
  ASSERT_EQ(states.size(), 9u);
  for (const std::string& state : states) {
    const std::string stem = state.substr(0, state.size() - 8);
    const bool flac = stem.find("/hit-") != std::string::npos;
    const std::string audio = stem + (flac ? ".flac" : ".wav");
    const std::string again = dir + "/again" + (flac ? ".flac" : ".wav");
    ASSERT_EQ(Tool("render --dc --state " + state + (flac ? "" : " --rate 48000 --bits 16") + " -o " + again).status,
              0);
    EXPECT_EQ(Bytes(again), Bytes(audio)) << audio;
    std::remove(again.c_str());
  }
}

TEST(GameSounds, OneShotsStartAndEndAtTheThresholdWithoutDc)
{
  const std::string dir = NewDir();
  // Jump sounds use narrow square duties, the ones with the most DC.
  ASSERT_EQ(Tool("generate jump --count 12 --seed 300 -o " + dir).status, 0);
  ASSERT_EQ(Tool("generate blip --count 6 --seed 9 -o " + dir).status, 0);
  for (const std::string& f : Files(dir, ".wav")) {
    SCOPED_TRACE(f);
    int rate = 0;
    const std::vector<double> x = Samples(f, &rate);
    ASSERT_FALSE(x.empty());
    EXPECT_GE(std::fabs(x.front()), kThreshold * 0.999);
    EXPECT_GE(std::fabs(x.back()), kThreshold * 0.999);
    double sum = 0.0;
    for (double v : x) sum += v;
    EXPECT_LT(std::fabs(sum / x.size()), 0.001);
    // No hold of half a second: a blip lasts what its envelope lasts.
    EXPECT_LT(x.size(), static_cast<size_t>(30.0 * rate));
  }
  // Blips are short: the note ends at the sustain stage.
  for (const std::string& f : Files(dir, ".wav")) {
    if (f.find("/blip-") == std::string::npos) continue;
    int rate = 0;
    EXPECT_LT(Samples(f, &rate).size(), static_cast<size_t>(0.5 * 44100)) << f;
  }
}

TEST(GameSounds, TheNoteIsReleasedAtTheSustainStageAndTheTailRunsToSilence)
{
  const std::string out = NewDir() + "/s.wav";
  // Attack 0.01 + hold 0.05 + decay 0.1 = 0.16 s, sustain at full level, then
  // a 0.1 s release: the sound ends between 0.16 and 0.26 s.
  ASSERT_EQ(Tool("render --set \"Amp Env Hold=0.05\" --set \"Amp Env Decay=0.1\" --set \"Amp Env Release=0.1\" "
                 "--rate 48000 -o " + out).status,
            0);
  std::vector<double> x = Samples(out);
  EXPECT_GT(x.size(), static_cast<size_t>(0.16 * 48000));
  EXPECT_LT(x.size(), static_cast<size_t>(0.27 * 48000));
  // A sound cut while loud (a 10 s release cut after 0.1 s) fades out over 5 ms.
  ASSERT_EQ(Tool("render --set \"Amp Env Release=10\" --tail 0.1 --fade 5 --rate 48000 -o " + out).status, 0);
  x = Samples(out);
  ASSERT_GT(x.size(), 480u);
  double early = 0.0, late = 0.0;
  for (size_t i = x.size() - 240; i < x.size() - 200; ++i) early = std::max(early, std::fabs(x[i]));
  for (size_t i = x.size() - 24; i < x.size(); ++i) late = std::max(late, std::fabs(x[i]));
  EXPECT_LT(late, early * 0.2);
}

TEST(GameSounds, RawRendersAreTheInstrumentsOutputSampleForSample)
{
  const std::string out = NewDir() + "/raw.wav";
  const std::vector<std::string> settings = {"Osc1 Type=Square", "Osc1 Square Duty=0.2", "Pitch Jump Trigger=On NoteOff",
                                             "Amp Env Release=0.3"};
  std::string args = "render --raw --rate 48000 -o " + out;
  for (const std::string& s : settings) args += " --set \"" + s + "\"";
  ASSERT_EQ(Tool(args).status, 0);
  // The instrument with the settings set directly, the note held 0.5 s.
  Vorblex plug;
  ApplySettings(plug, settings);
  RenderOptions o;
  o.sampleRate = 48000;
  const RenderResult direct = RenderNote(plug, o);
  const std::vector<double> file = Samples(out);
  ASSERT_EQ(file.size(), direct.samples.size());
  for (size_t i = 0; i < file.size(); ++i) ASSERT_EQ(static_cast<float>(file[i]), direct.samples[i]) << i;
}

TEST(GameSounds, LoudnessAndPeakTargetsAreMetUnderTheCeiling)
{
  const std::string dir = NewDir();
  ASSERT_EQ(Tool("generate pickup --count 6 --seed 11 --loudness -16 --rate 48000 -o " + dir).status, 0);
  ASSERT_EQ(Tool("generate powerup --count 4 --seed 12 --loudness -20 --ceiling -3 -o " + dir).status, 0);
  for (const std::string& f : Files(dir, ".wav")) {
    SCOPED_TRACE(f);
    int rate = 0;
    const std::vector<double> x = Samples(f, &rate);
    const double ceiling = f.find("/powerup-") != std::string::npos ? -3.0 : -1.0;
    const double target = ceiling == -3.0 ? -20.0 : -16.0;
    const double tp = TruePeakDb(x, rate);
    EXPECT_LE(tp, ceiling + 0.01);
    // Either the target is met, or the ceiling held the level down.
    if (tp < ceiling - 0.05) {
      EXPECT_NEAR(Loudness(x, rate), target, 0.5);
    }
  }
  const std::string peak = dir + "/peak.wav";
  ASSERT_EQ(Tool("render --normalize -12 -o " + peak).status, 0);
  double m = 0.0;
  for (double v : Samples(peak)) m = std::max(m, std::fabs(v));
  EXPECT_NEAR(20.0 * std::log10(m), -12.0, 0.01);
}

TEST(GameSounds, NeighbouringSeedsAreUnrelated)
{
  // Each seed's random state differs from the next one's in about half its
  // bits, over a thousand neighbours.
  double bits = 0.0;
  for (uint32_t s = 0; s < 1000; ++s) bits += std::bitset<32>(RandomStateForSeed(s) ^ RandomStateForSeed(s + 1)).count();
  EXPECT_NEAR(bits / 1000.0, 16.0, 1.0);
  // The first draw the generator makes: neighbouring seeds are as far apart
  // as two independent draws, 32768 / 3 on average (a plain linear
  // congruential start gives draws a few steps apart).
  double distance = 0.0;
  for (uint32_t s = 0; s < 2000; ++s) {
    RandomSeed(RandomStateForSeed(s));
    const int a = RandomNext();
    RandomSeed(RandomStateForSeed(s + 1));
    distance += std::abs(RandomNext() - a);
  }
  EXPECT_NEAR(distance / 2000.0, 32768.0 / 3.0, 700.0);
}

TEST(GameSounds, ToolsStartFromTheRestoredStateAsTheEditorDoes)
{
  // Osc1 Level at -50 dB in the state: the pickup recipe sets 0 dB, and the
  // control that once showed 0 dB must not skip that step.
  Vorblex scratch;
  ApplySettings(scratch, {"Osc1 Level=-50"});
  IStateChunk base;
  scratch.SerializeState(base);
  for (uint32_t seed = 0; seed < 10; ++seed) {
    GenerateOptions gen;
    gen.category = "pickup";
    IStateChunk state;
    MakeSoundState(base, gen, seed, &state);
    Vorblex tool;
    RestoreState(tool, state);
    // The editor: the state restored as the VST2 chunk and VST3 state entries
    // do (parameters, then every control), then the button.
    Vorblex editor;
    ASSERT_GE(editor.UnserializeState(base, 0), 0);
    editor.RedrawParameterControls();
    RandomSeed(RandomStateForSeed(seed));
    RunGenerator(editor, "pickup");
    EXPECT_EQ(tool.GetParameter(kOsc1Level)->Value(), 0.0);
    EXPECT_EQ(Normalised(tool), Normalised(editor));
  }
}

TEST(GameSounds, LockedParametersKeepTheirValuesAndTheRestIsUnchanged)
{
  Vorblex scratch;
  ApplySettings(scratch, {"Osc1 Type=Whistle", "Amp Env Release=2", "Mutation %=8"});
  IStateChunk base;
  scratch.SerializeState(base);
  for (bool mutate : {false, true}) {
    GenerateOptions free, locked;
    free.mutate = locked.mutate = mutate;
    free.category = locked.category = mutate ? "" : "shoot";
    locked.locks = {kOsc1Type, kAmpEnvRelease};
    IStateChunk a, b;
    MakeSoundState(base, free, 77, &a);
    MakeSoundState(base, locked, 77, &b);
    Vorblex pa, pb;
    RestoreState(pa, a);
    RestoreState(pb, b);
    EXPECT_EQ(pb.GetParameter(kOsc1Type)->Value(), 7.0);
    EXPECT_DOUBLE_EQ(pb.GetParameter(kAmpEnvRelease)->Value(), 2.0);
    int moved = 0;
    for (int i = 0; i < kParamCount; ++i) {
      if (i == kOsc1Type || i == kAmpEnvRelease) {
        moved += pa.GetParameter(i)->Value() != pb.GetParameter(i)->Value();
        continue;
      }
      EXPECT_EQ(pa.GetParameter(i)->Value(), pb.GetParameter(i)->Value()) << i;
    }
    EXPECT_GT(moved, 0);
  }
  // --set after the generator wins over what it drew.
  const std::string dir = NewDir();
  ASSERT_EQ(Tool("generate pickup --seed 3 --set \"Osc1 Type=Saw\" -o " + dir).status, 0);
  Vorblex loaded;
  LoadStateFile(loaded, dir + "/pickup-s3-001.vorblex");
  EXPECT_EQ(loaded.GetParameter(kOsc1Type)->Value(), 4.0);
}

TEST(GameSounds, BatchesContinueNumberingAndNeverOverwrite)
{
  const std::string dir = NewDir() + "/new/sounds";
  ASSERT_EQ(Tool("generate coin --count 2 --seed 5 -o " + dir).status, 0);
  const std::string first = Bytes(dir + "/pickup-s5-001.wav");
  ToolResult r = Tool("generate pickup --count 2 --seed 5 -o " + dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Bytes(dir + "/pickup-s5-001.wav"), first);
  EXPECT_EQ(Bytes(dir + "/pickup-s5-003.wav"), first);
  for (const char* f : {"/pickup-s6-002.wav", "/pickup-s6-004.vorblex", "/pickup-s6-004.json"})
    EXPECT_FALSE(Bytes(dir + f).empty()) << f;
  EXPECT_TRUE(Files(dir, ".part").empty());
  // The summary names the seed and the state.
  const std::string summary = Bytes(dir + "/pickup-s6-002.json");
  EXPECT_NE(summary.find("\"seed\":6,"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\"state\":\"" + dir + "/pickup-s6-002.vorblex\""), std::string::npos);
}

TEST(GameSounds, BadInputIsOneLineWithStatusTwoAndLeavesNothing)
{
  const std::string dir = NewDir();
  const std::pair<std::string, std::string> cases[] = {
      {"generate pickup --seed -1 -o " + dir, "--seed"},
      {"generate pickup --seed 4294967296 -o " + dir, "--seed"},
      {"render --seed 1x -o " + dir + "/x.wav", "--seed"},
      {"generate pickup --rate 44100.5 -o " + dir, "--rate"},
      {"render --rate 44100.5 -o " + dir + "/x.wav", "--rate"},
      {"generate pickup --format mp3 -o " + dir, "--format"},
      {"generate pickup --format flac --bits 32 -o " + dir, "--bits"},
      {"generate pickup --lock Nothing -o " + dir, "unknown parameter"},
      {"generate pickup --normalize -1 --loudness -16 -o " + dir, "--normalize"},
      {"generate pickup --loudness 5 -o " + dir, "--loudness"},
      {"generate pickup --raw --dc -o " + dir, "--raw"},
      {"generate pickup --note 200 -o " + dir + "/not-made", "--note"},
      {"generate pickup --silence 3 -o " + dir + "/not-made", "--silence"},
      {"show /nonexistent.vorblex", "cannot read"},
  };
  for (const auto& [args, message] : cases) {
    ToolResult r = Tool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
  }
  EXPECT_TRUE(Files(dir, "").empty());  // not even the folders
  // The largest seed is accepted.
  EXPECT_EQ(Tool("generate blip --seed 4294967295 -o " + dir).status, 0);
  EXPECT_FALSE(Bytes(dir + "/blip-s4294967295-001.wav").empty());
}

TEST(GameSounds, ClippingIsReportedAndTheFileStillWritten)
{
  const std::string dir = NewDir();
  ToolResult r = Tool("render --raw --set \"Output Gain=12\" --set \"Osc1 Type=Square\" --bits 16 -o " + dir + "/loud.wav");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("clipped"), std::string::npos) << r.err;
  EXPECT_FALSE(Bytes(dir + "/loud.wav").empty());
  // Float WAV keeps the level: nothing is clipped, and the header has the
  // 18-byte format chunk and the fact chunk.
  r = Tool("render --raw --set \"Output Gain=12\" --set \"Osc1 Type=Square\" -o " + dir + "/loud-float.wav");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string b = Bytes(dir + "/loud-float.wav");
  ASSERT_GT(b.size(), 58u);
  EXPECT_EQ(b.substr(12, 8), std::string("fmt \x12\0\0\0", 8));
  EXPECT_EQ(b.substr(20, 2), std::string("\x03\0", 2));
  EXPECT_EQ(b.substr(38, 4), "fact");
  EXPECT_EQ(b.substr(50, 4), "data");
}

TEST(GameSounds, NamesFromTheEditorAreAccepted)
{
  EXPECT_EQ(CanonicalCategory("coin"), "pickup");
  EXPECT_EQ(CanonicalCategory("Hurt"), "hit");
  EXPECT_EQ(CanonicalCategory("select"), "blip");
  EXPECT_THROW(CanonicalCategory("laser"), CliError);
  Vorblex plug;
  EXPECT_EQ(FindParameter(plug, "White EnvDepth"), kWhiteEnvDepth);
  EXPECT_EQ(FindParameter(plug, "whiite envdepth"), kWhiteEnvDepth);
  ApplySettings(plug, {"White EnvDepth=0.25"});
  EXPECT_EQ(plug.GetParameter(kWhiteEnvDepth)->Value(), 0.25);
}

TEST(GameSounds, ShowDiffAndJsonDescribeStates)
{
  const std::string dir = NewDir();
  ASSERT_EQ(Tool("state --set \"Osc1 Type=Saw\" -o " + dir + "/a.vorblex").status, 0);
  ASSERT_EQ(Tool("state --set \"Osc1 Type=Saw\" --set \"Amp Env Release=1.5\" -o " + dir + "/b.vorblex").status, 0);
  ToolResult r = Tool("show " + dir + "/b.vorblex");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 60);
  EXPECT_NE(r.out.find("Osc1 Type"), std::string::npos);
  EXPECT_NE(r.out.find("Saw"), std::string::npos);
  EXPECT_NE(r.out.find("1.500 s"), std::string::npos) << r.out;
  r = Tool("diff " + dir + "/a.vorblex " + dir + "/b.vorblex");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  EXPECT_NE(r.out.find("Amp Env Release"), std::string::npos);
  r = Tool("diff --json " + dir + "/a.vorblex " + dir + "/b.vorblex");
  EXPECT_NE(r.out.find("\"differences\":[{\"index\":33,\"name\":\"Amp Env Release\",\"a\":0.2,\"b\":1.5"),
            std::string::npos)
      << r.out;
  r = Tool("render --json --seed 4 -o " + dir + "/j.wav");
  EXPECT_EQ(r.out.front(), '{');
  for (const char* key : {"\"audio\":", "\"seed\":4,", "\"duration\":", "\"peak_dbfs\":", "\"rms_dbfs\":",
                          "\"loudness_lufs\":", "\"clipped_samples\":0", "\"parameters\":["})
    EXPECT_NE(r.out.find(key), std::string::npos) << key;
  r = Tool("generate blip --count 2 --seed 1 --json -o " + dir);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
  EXPECT_NE(r.out.find("\"sounds\":[{"), std::string::npos);
}

TEST(GameSounds, ASineAtA4PlaysAtTheStatedTuning)
{
  const std::string out = NewDir() + "/a4.wav";
  ASSERT_EQ(Tool("render --raw --set \"Osc1 Type=Sin\" --note 69 --length 1 --rate 48000 -o " + out).status, 0);
  const std::vector<double> x = Samples(out);
  ASSERT_GT(x.size(), 43200u);
  // Rising zero crossings between 0.1 s and 0.9 s.
  std::vector<size_t> up;
  for (size_t i = 4801; i < 43200; ++i)
    if (x[i - 1] < 0.0 && x[i] >= 0.0) up.push_back(i);
  ASSERT_GT(up.size(), 100u);
  const double hz = (up.size() - 1) / ((up.back() - up.front()) / 48000.0);
  EXPECT_NEAR(hz, 414.86, 0.05);
}
