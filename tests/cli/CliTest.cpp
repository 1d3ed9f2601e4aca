#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/CliCommon.h"
#include "cli/ProgressBar.h"
#include "plugin/Vorblex.h"
#include "support/Render.h"

namespace {
std::string TempDir()
{
  static std::string dir = [] {
    char tmpl[] = "/tmp/vorblex-cli-XXXXXX";
    const char* d = mkdtemp(tmpl);
    return std::string(d ? d : "/tmp");
  }();
  return dir;
}

struct ToolRun {
  int status;
  std::string err;
};

// Runs the tool with a shell command line; captures standard error.
ToolRun RunTool(const std::string& args)
{
  const std::string errFile = TempDir() + "/stderr.txt";
  const std::string cmd = std::string(VORBLEX_CLI) + " " + args + " >/dev/null 2>" + errFile;
  const int raw = std::system(cmd.c_str());
  std::ifstream in(errFile);
  std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::vector<float> ReadMono(const std::string& path, int* rate)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<float> x(static_cast<size_t>(info.frames * info.channels));
  sf_readf_float(f, x.data(), info.frames);
  sf_close(f);
  *rate = info.samplerate;
  return x;
}
}  // namespace

TEST(Cli, BadInputGetsOneLineAndStatusTwo)
{
  const std::string out = TempDir() + "/bad.wav";
  const std::pair<std::string, std::string> cases[] = {
      {"render --set \"Osc1 Typ=Saw\" -o " + out, "unknown parameter"},
      {"render --set \"Osc1 Type=Sawtooth\" -o " + out, "invalid value"},
      {"render --set \"Output Gain=40\" -o " + out, "outside the range"},
      {"render --set \"Output Gain\" -o " + out, "NAME=VALUE"},
      {"render -o " + TempDir() + "/x.mp3", "unknown audio file extension"},
      {"render -o /nonexistent-dir/x.wav", "cannot write"},
      {"render --state /nonexistent-file -o " + out, "cannot read state file"},
      {"render --state /etc/hostname -o " + out, "state file"},
      {"render --note 300 -o " + out, "--note"},
      {"render --tail forever -o " + out, "--tail"},
      {"render --bits 12 -o " + out, "--bits"},
      {"render", "--output"},
      {"nonsense", ""},
  };
  for (const auto& [args, message] : cases) {
    ToolRun r = RunTool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
  }
  EXPECT_FALSE(Exists(out));
  EXPECT_FALSE(Exists(out + ".part"));
}

// Directories, devices, pipes and files far larger than a state are refused
// before the tool reads from them: a pipe nobody writes to would block, a
// sparse file of many gigabytes would not fit in memory.
TEST(Cli, StateInputsThatAreNoStateFilesAreRefusedUnread)
{
  const std::string out = TempDir() + "/refused.wav";
  const std::string fifo = TempDir() + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = TempDir() + "/huge.vorblex";
  ASSERT_EQ(std::system(("truncate -s 64G " + huge).c_str()), 0);
  const std::string big = TempDir() + "/big.vorblex";
  ASSERT_EQ(std::system(("truncate -s 485 " + big).c_str()), 0);
  const std::pair<std::string, std::string> cases[] = {
      {TempDir(), "is a directory"},
      {"/", "is a directory"},
      {"/dev/zero", "not a regular file"},
      {"/dev/null", "not a regular file"},
      {fifo, "not a regular file"},
      {huge, "not a Vorblex state"},
      {big, "not a Vorblex state"},
  };
  for (const auto& [path, message] : cases) {
    // A tool that blocks or reads for long is stopped (status 124) and fails.
    const std::string errFile = TempDir() + "/stderr-timed.txt";
    const int raw = std::system(("timeout 20 " + std::string(VORBLEX_CLI) + " render --state " + path + " -o " + out +
                                 " >/dev/null 2>" + errFile)
                                    .c_str());
    std::ifstream in(errFile);
    std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 2) << path;
    EXPECT_NE(err.find(message), std::string::npos) << path << ": " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << path << ": " << err;
  }
  EXPECT_FALSE(Exists(out));
  std::remove(huge.c_str());
  std::remove(big.c_str());
  std::remove(fifo.c_str());
}

TEST(Cli, RenderedFileHasTheNotesOnsetPitchAndLength)
{
  const std::string out = TempDir() + "/saw.wav";
  ToolRun r = RunTool("render --raw --set \"Osc1 Type=Saw\" --set \"Amp Env Release=0.1\" --note 81 --length 0.5 --rate 48000 -o " +
                   out);
  ASSERT_EQ(r.status, 0) << r.err;
  int rate = 0;
  std::vector<float> x = ReadMono(out, &rate);
  ASSERT_EQ(rate, 48000);
  std::vector<double> d(x.begin(), x.end());
  EXPECT_EQ(FirstNonZero(d), 0);
  // Note 81 at the instrument's tuning: 880 Hz times the 0-cent factor.
  EXPECT_NEAR(ZeroCrossingHz(d, 2400, 24000, 48000), 880.0 * 0.9710078239440918, 1.0);
  // Held 0.5 s, then the 0.1 s release runs out; the automatic tail stops
  // within a block of the voice going free.
  EXPECT_GE(d.size(), static_cast<size_t>(0.6 * 48000));
  EXPECT_LE(d.size(), static_cast<size_t>(0.6 * 48000 + 2 * 512));
}

TEST(Cli, StateFilesRoundTripThroughTheTool)
{
  const std::string state = TempDir() + "/s.vorblex";
  ASSERT_EQ(RunTool("state --set \"Osc2 Type=Whistle\" --set \"Pitch Curve=2.5\" -o " + state).status, 0);
  std::ifstream in(state, std::ios::binary | std::ios::ate);
  EXPECT_EQ(static_cast<int>(in.tellg()), 484);
  Vorblex plug;
  LoadStateFile(plug, state);
  EXPECT_EQ(plug.GetParameter(kOsc2Type)->Value(), 7.0);
  EXPECT_EQ(plug.GetParameter(kPitchCurve)->Value(), 2.5);
  // A short copy is refused and leaves the sound alone.
  std::ofstream(TempDir() + "/short.vorblex", std::ios::binary) << std::string(483, '\0');
  Vorblex fresh;
  EXPECT_THROW(LoadStateFile(fresh, TempDir() + "/short.vorblex"), CliError);
  EXPECT_EQ(fresh.GetParameter(kOsc2Type)->Value(), 0.0);
}

TEST(Cli, SettingsAcceptNumbersAndDisplayTextsInAnyCase)
{
  Vorblex plug;
  ApplySettings(plug, {"osc1 type=breaker", "BITCRUSH POSITION=after", "Pitch Jump Delay = 0.25"});
  EXPECT_EQ(plug.GetParameter(kOsc1Type)->Value(), 5.0);
  EXPECT_EQ(plug.GetParameter(kBitCrushPosition)->Value(), 2.0);
  EXPECT_EQ(plug.GetParameter(kPitchJumpDelay)->Value(), 0.25);
  EXPECT_THROW(ApplySettings(plug, {"Osc1 Level=nan"}), CliError);
  EXPECT_THROW(ApplySettings(plug, {"Osc1 Level=1e999"}), CliError);
}

namespace {
std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(Cli, GenerateWithASeedIsReproducible)
{
  const std::string a = TempDir() + "/gen-a", b = TempDir() + "/gen-b", c = TempDir() + "/gen-c";
  for (const std::string& d : {a, b, c}) ASSERT_EQ(std::system(("mkdir -p " + d).c_str()), 0);
  ASSERT_EQ(RunTool("generate shoot --count 2 --seed 17 -o " + a).status, 0);
  ASSERT_EQ(RunTool("generate shoot --count 2 --seed 17 -o " + b).status, 0);
  ASSERT_EQ(RunTool("generate shoot --count 2 --seed 18 -o " + c).status, 0);
  for (const char* f : {"/shoot-s17-001.wav", "/shoot-s18-002.wav", "/shoot-s17-001.vorblex", "/shoot-s18-002.vorblex"}) {
    ASSERT_TRUE(Exists(a + f)) << f;
    EXPECT_EQ(ReadFile(a + f), ReadFile(b + f)) << f;
  }
  // Sound 2 of seed 17 is seed 18's sound.
  EXPECT_EQ(ReadFile(a + "/shoot-s18-002.vorblex"), ReadFile(c + "/shoot-s18-001.vorblex"));
  EXPECT_NE(ReadFile(a + "/shoot-s17-001.vorblex"), ReadFile(c + "/shoot-s18-001.vorblex"));
  EXPECT_NE(ReadFile(a + "/shoot-s17-001.vorblex"), ReadFile(a + "/shoot-s18-002.vorblex"));
  // The state loads back, and mutating it gives a nearby sound.
  Vorblex plug;
  LoadStateFile(plug, a + "/shoot-s17-001.vorblex");
  EXPECT_GE(plug.GetParameter(kOsc1Type)->Value(), 2.0);
  ASSERT_EQ(RunTool("generate --mutate --state " + a + "/shoot-s17-001.vorblex --seed 5 -o " + c).status, 0);
  EXPECT_TRUE(Exists(c + "/mutate-s5-001.wav"));
}

TEST(Cli, GenerateAndSnapshotRejectBadArguments)
{
  const std::pair<std::string, std::string> cases[] = {
      {"generate lasers -o " + TempDir(), "unknown category"},
      {"generate pickup --count 0 -o " + TempDir(), "--count"},
      {"generate pickup --seed 99999999999 -o " + TempDir(), "--seed"},
      {"generate pickup --mutate -o " + TempDir(), "--mutate"},
      {"generate -o " + TempDir(), "unknown category"},
      {"generate pickup -o /etc/hostname/sounds", "cannot write"},
      {"snapshot -o /nonexistent-dir/e.png", "cannot write"},
  };
  for (const auto& [args, message] : cases) {
    ToolRun r = RunTool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
  }
}

TEST(Cli, SnapshotIsTheWholeEditor)
{
  const std::string png = TempDir() + "/editor.png";
  ASSERT_EQ(RunTool("snapshot --set \"Osc1 Type=Saw\" -o " + png).status, 0);
  const std::string bytes = ReadFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return (static_cast<uint8_t>(bytes[at]) << 24) | (static_cast<uint8_t>(bytes[at + 1]) << 16) |
           (static_cast<uint8_t>(bytes[at + 2]) << 8) | static_cast<uint8_t>(bytes[at + 3]);
  };
  EXPECT_EQ(be32(16), 846u);
  EXPECT_EQ(be32(20), 768u);
}

// The bar of a slow render: nothing before its delay; after it, the audio
// rendered against the longest the render can take, ended on its own line.
TEST(Cli, RenderProgressShowsTheAudioRenderedAfterTheDelay)
{
  for (double delay : {0.0, 1e9}) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ProgressBar bar(out, delay);
    Vorblex plug;
    RenderOptions options;
    options.lengthSeconds = options.tailSeconds = 2.0;
    options.progress = &bar;
    RenderNote(plug, options);
    bar.Done("done");
    std::string text(4096, '\0');
    std::rewind(out);
    text.resize(std::fread(&text[0], 1, text.size(), out));
    std::fclose(out);
    // The first draw comes after the first block, 512 samples of at most 4 s.
    EXPECT_EQ(text.substr(0, 42), delay > 0.0 ? "" : "\r[                              ] 0.0 s of");
    EXPECT_EQ(text.empty() || text.find("] done   \n") == text.size() - 10, true) << text;
  }
}
