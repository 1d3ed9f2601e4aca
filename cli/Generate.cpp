#include "cli/Generate.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>

#include "cli/EditorTools.h"
#include "cli/StateListing.h"
#include "cli/Json.h"
#include "cli/ProgressBar.h"
#include "cli/SoundSheet.h"
#include "editor/IGraphics.h"
#include "platform/Random.h"
#include "plugin/Vorblex.h"

namespace {
std::string Lower(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Temporary files of the sound being written, removed when a signal ends the
// program before they are renamed. Plain arrays: the handler may only call
// async-signal-safe functions.
constexpr int kMaxParts = 4;
char gParts[kMaxParts][4096];

void RemovePartsAndExit(int sig)
{
  for (auto& part : gParts)
    if (part[0]) unlink(part);
  _exit(128 + sig);
}

void SetParts(const std::vector<std::string>& parts)
{
  sigset_t all, old;
  sigfillset(&all);
  sigprocmask(SIG_BLOCK, &all, &old);
  for (int i = 0; i < kMaxParts; ++i) {
    const std::string p = i < static_cast<int>(parts.size()) ? parts[i] : std::string();
    std::snprintf(gParts[i], sizeof gParts[i], "%s", p.c_str());
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

void InstallSignalCleanup()
{
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(sig, RemovePartsAndExit);
}

// Gives a finished temporary file its final name, refusing to replace a file
// that is already there.
void CommitNew(const std::string& tmp, const std::string& path)
{
  if (link(tmp.c_str(), path.c_str()) != 0) {
    const std::string why = errno == EEXIST ? "the file exists" : std::strerror(errno);
    throw CliError("cannot write " + Quote(path) + ": " + why);
  }
  unlink(tmp.c_str());
}

void MakeFolder(const std::string& dir)
{
  std::string path;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    path = dir.substr(0, pos);
    if (path.empty()) continue;
    struct stat st{};
    if (stat(path.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) throw CliError("cannot write " + Quote(dir) + ": " + Quote(path) + " is not a folder");
      continue;
    }
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
      throw CliError("cannot write " + Quote(dir) + ": " + std::strerror(errno));
  }
}

}  // namespace

std::string CanonicalCategory(const std::string& name)
{
  const std::string c = Lower(name);
  if (c == "coin") return "pickup";
  if (c == "hurt") return "hit";
  if (c == "select") return "blip";
  for (const char* known : kGenerateCategories)
    if (c == known) return c;
  throw CliError("unknown category \"" + name +
                 "\" (pickup or coin, shoot, powerup, hit or hurt, jump, blip or select, blade, random)");
}

std::string SoundStem(const std::string& prefix, uint32_t seed, int number)
{
  char num[16];
  std::snprintf(num, sizeof num, "%03d", number);
  return prefix + "-s" + std::to_string(seed) + "-" + num;
}

int NextSoundNumber(const std::string& dir, const std::string& prefix)
{
  int highest = 0;
  DIR* d = opendir(dir.c_str());
  if (!d) return 1;
  const std::string head = prefix + "-s";
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.compare(0, head.size(), head) != 0) continue;
    size_t i = head.size();
    const size_t seedStart = i;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    if (i == seedStart || i >= name.size() || name[i] != '-') continue;
    const size_t numStart = ++i;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    if (i == numStart || i - numStart > 9 || i >= name.size() || name[i] != '.') continue;
    highest = std::max(highest, std::stoi(name.substr(numStart, i - numStart)));
  }
  closedir(d);
  return highest + 1;
}

void MakeSoundState(const IStateChunk& base, const GenerateOptions& gen, uint32_t seed, IStateChunk* out)
{
  auto plug = std::make_unique<Vorblex>();
  RestoreState(*plug, base);
  std::vector<double> kept;
  for (int idx : gen.locks) kept.push_back(plug->GetParameter(idx)->GetNormalized());
  RandomSeed(RandomStateForSeed(seed));
  if (gen.mutate) {
    RunMutate(*plug);
  } else {
    RunGenerator(*plug, gen.category);
  }
  // Locked parameters go back through the controls, after the tool has made
  // all its draws: the other parameters are what they would be without locks.
  auto* g = dynamic_cast<IGraphics*>(plug->GetEditor());
  for (size_t k = 0; k < gen.locks.size(); ++k) g->SetControlsFromUserValue(gen.locks[k], kept[k]);
  if (!gen.settings.empty()) {
    ApplySettings(*plug, gen.settings);
    plug->RedrawParameterControls();
  }
  out->Clear();
  plug->SerializeState(*out);
}

void GenerateBatch(const IStateChunk& base, const GenerateOptions& gen, const RenderOptions& render,
                   const OneShotOptions& one)
{
  if (gen.count < 1 || gen.count > 1000) throw CliError("--count must be 1 to 1000");
  const std::string ext = "." + gen.format;
  AudioFormatFor("x" + ext, render.bits);
  InstallSignalCleanup();
  const std::string prefix = gen.mutate ? "mutate" : gen.category;
  int firstNumber = 0;
  // A batch shows sounds done; a single sound, its audio rendered so far.
  ProgressBar bar;
  RenderOptions renderOne = render;
  if (gen.progress && gen.count == 1) renderOne.progress = &bar;

  std::unique_ptr<SoundSheet> sheet;
  // The sheet's temporary file goes with the sound's when a signal stops us.
  auto setParts = [&](std::vector<std::string> parts) {
    if (sheet) parts.push_back(sheet->PartPath());
    SetParts(parts);
  };

  JsonWriter json;
  if (gen.json) json.BeginObject().String("command", "generate").String("folder", gen.dir).BeginArray("sounds");
  for (int n = 0; n < gen.count; ++n) {
    const uint32_t seed = gen.firstSeed + static_cast<uint32_t>(n);
    IStateChunk state;
    MakeSoundState(base, gen, seed, &state);

    // Rendered on a fresh plug-in restored from the saved state, exactly as
    // `vorblex render --state` renders it.
    auto plug = std::make_unique<Vorblex>();
    RestoreState(*plug, state);
    SoundStats stats;
    RenderResult audio = RenderSound(*plug, renderOne, one, &stats);
    // The folder is made once the first sound has passed every check, so bad
    // options leave nothing behind.
    if (n == 0) {
      MakeFolder(gen.dir);
      firstNumber = NextSoundNumber(gen.dir, prefix);
      if (!gen.sheet.empty()) sheet = std::make_unique<SoundSheet>(gen.sheet, gen.count);
    }

    const std::string stem = gen.dir + "/" + SoundStem(prefix, seed, firstNumber + n);
    const std::string audioPath = stem + ext, statePath = stem + ".vorblex", summaryPath = stem + ".json";
    const std::vector<std::string> parts = {audioPath + ".part", summaryPath + ".part", statePath + ".part"};
    setParts(parts);
    try {
      WriteAudioFileTo(parts[0], audioPath, audio, render.sampleRate, render.bits);
      JsonWriter summary;
      summary.BeginObject()
          .String("category", prefix)
          .Int("seed", seed)
          .Int("generator_state", RandomStateForSeed(seed))
          .String("audio", audioPath)
          .String("state", statePath);
      WriteSoundJson(summary, stats, audio.clipped, true);
      WriteParametersJson(*plug, summary);
      summary.EndObject();
      {
        std::ofstream f(parts[1], std::ios::binary | std::ios::trunc);
        f << summary.Text() << '\n';
        f.close();
        if (!f) throw CliError("cannot write " + Quote(summaryPath));
      }
      WriteStateFileTo(*plug, parts[2], statePath);
      // The sound first and the state last: a stop in between never leaves a
      // state without its sound.
      sigset_t all, old;
      sigfillset(&all);
      sigprocmask(SIG_BLOCK, &all, &old);
      try {
        CommitNew(parts[0], audioPath);
        CommitNew(parts[1], summaryPath);
        CommitNew(parts[2], statePath);
      } catch (...) {
        for (const std::string& p : parts) unlink(p.c_str());
        sigprocmask(SIG_SETMASK, &old, nullptr);
        throw;
      }
      sigprocmask(SIG_SETMASK, &old, nullptr);
    } catch (...) {
      for (const std::string& p : parts) unlink(p.c_str());
      setParts({});
      throw;
    }
    setParts({});
    if (sheet) {
      const std::string name = stem.substr(stem.find_last_of('/') + 1);
      sheet->Add({name, "seed " + std::to_string(seed), audio.samples.data(), audio.samples.size(), render.sampleRate});
    }

    if (audio.clipped > 0)
      std::fprintf(stderr, "vorblex: warning: %lld samples of %s were clipped\n",
                   static_cast<long long>(audio.clipped), audioPath.c_str());
    if (gen.json) {
      json.BeginObject()
          .String("audio", audioPath)
          .String("state", statePath)
          .String("summary", summaryPath)
          .Int("seed", seed);
      WriteSoundJson(json, stats, audio.clipped, false);
      WriteParametersJson(*plug, json);
      json.EndObject();
    } else {
      std::printf("%s  seed %u  %.3f s  peak %.1f dBFS  %.1f LUFS\n", audioPath.c_str(), seed, stats.seconds,
                  stats.peakDb, stats.loudnessLufs);
    }
    if (gen.progress && gen.count > 1)
      bar.Show(static_cast<double>(n + 1) / gen.count, std::to_string(n + 1) + "/" + std::to_string(gen.count));
  }
  bar.Done(gen.count > 1 ? std::to_string(gen.count) + "/" + std::to_string(gen.count) : "done");
  if (sheet) {
    sheet->Finish();
    SetParts({});
    if (!gen.json) std::printf("%s  %d x %d\n", gen.sheet.c_str(), kSheetWidth, gen.count * kSheetRowHeight);
  }
  if (gen.json) {
    json.EndArray();
    if (sheet) json.String("sheet", gen.sheet);
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
  }
}
