// vorblex: the instrument on the command line.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <cstdio>
#include <memory>

#include "cli/CliCommon.h"
#include "cli/EditorTools.h"
#include "cli/ParamListing.h"
#include "plugin/Vorblex.h"
#include "platform/Random.h"

namespace {
struct Common {
  std::vector<std::string> settings;
  std::string stateFile;
};

void AddCommon(CLI::App* cmd, Common& common)
{
  cmd->add_option("--set", common.settings, "Set a parameter: NAME=VALUE (a number or a display text)")
      ->type_name("NAME=VALUE");
  cmd->add_option("--state", common.stateFile, "Load a saved 484-byte state first")->type_name("FILE");
}

std::unique_ptr<Vorblex> MakePlug(const Common& common)
{
  auto plug = std::make_unique<Vorblex>();
  if (!common.stateFile.empty()) LoadStateFile(*plug, common.stateFile);
  ApplySettings(*plug, common.settings);
  return plug;
}

void PrintFileLine(const std::string& path, size_t frames, double rate, double peak)
{
  const double peakDb = peak > 0.0 ? 20.0 * std::log10(peak) : -INFINITY;
  std::printf("%s  %.3f s  peak %.1f dBFS\n", path.c_str(), frames / rate, peakDb);
}
// Runs a generator (or Mutate) `count` times; each sound is rendered and
// written with its state as <prefix>-<n>.wav and <prefix>-<n>.vorblex.
void Generate(Vorblex& plug, std::string category, bool mutate, int count, int64_t seed, const std::string& dir,
              const RenderOptions& render)
{
  if (count < 1 || count > 1000) throw CliError("--count must be 1 to 1000");
  if (seed > 0xFFFFFFFFLL) throw CliError("--seed must be 0 to 4294967295");
  for (char& c : category) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (mutate && !category.empty()) throw CliError("--mutate takes no category");
  if (!mutate && std::find(std::begin(kGenerateCategories), std::end(kGenerateCategories), category) ==
                     std::end(kGenerateCategories))
    throw CliError("unknown category \"" + category + "\" (pickup, shoot, powerup, hit, jump, blip, blade or random)");
  // Without a seed the state stays as constructing the plug-in left it: the
  // time in seconds, as in a host.
  if (seed >= 0) RandomSeed(static_cast<uint32_t>(seed));
  const std::string prefix = mutate ? "mutate" : category;
  for (int n = 1; n <= count; ++n) {
    if (mutate) {
      RunMutate(plug);
    } else {
      RunGenerator(plug, category);
    }
    const std::string base = dir + "/" + prefix + "-" + std::to_string(n);
    SaveStateFile(plug, base + ".vorblex");
    RenderResult audio = RenderNote(plug, render);
    WriteAudioFile(base + ".wav", audio, render.sampleRate, 0);
    PrintFileLine(base + ".wav", audio.samples.size(), render.sampleRate, audio.peak);
  }
}
}  // namespace

int main(int argc, char** argv)
{
  CLI::App app{"Vorblex: game-style sound effects"};
  app.require_subcommand(1);

  Common common;
  RenderOptions render;
  std::string output, tail = "auto";

  CLI::App* renderCmd = app.add_subcommand("render", "Play one note and write it to an audio file");
  renderCmd->add_option("-o,--output", output, "Output file (.wav, .flac, .aiff, .ogg)")->required();
  renderCmd->add_option("--note", render.note, "MIDI note, 0 to 127")->capture_default_str();
  renderCmd->add_option("--velocity", render.velocity, "Velocity, 1 to 127")->capture_default_str();
  renderCmd->add_option("--length", render.lengthSeconds, "Seconds the note is held")->capture_default_str();
  renderCmd->add_option("--tail", tail, "Seconds after the note-off, or auto: until every voice is free")
      ->capture_default_str();
  renderCmd->add_option("--rate", render.sampleRate, "Sample rate in Hz")->capture_default_str();
  renderCmd->add_option("--bits", render.bits, "16 or 24 for integer WAV (default 32-bit float)");
  AddCommon(renderCmd, common);

  CLI::App* paramsCmd = app.add_subcommand("params", "List the 60 parameters with range, default, unit and value");
  AddCommon(paramsCmd, common);

  CLI::App* stateCmd = app.add_subcommand("state", "Write the 484-byte plug-in state");
  stateCmd->add_option("-o,--output", output, "Output file")->required();
  AddCommon(stateCmd, common);

  CLI::App* snapshotCmd = app.add_subcommand("snapshot", "Draw the editor and write it as a PNG");
  snapshotCmd->add_option("-o,--output", output, "Output PNG file")->required();
  AddCommon(snapshotCmd, common);

  std::string category, outDir = ".";
  int count = 1;
  int64_t seed = -1;
  bool mutate = false;
  CLI::App* generateCmd =
      app.add_subcommand("generate", "Press a generator button and render the sounds it makes, with their states");
  generateCmd->add_option("category", category, "pickup, shoot, powerup, hit, jump, blip, blade or random");
  generateCmd->add_option("--count", count, "How many sounds")->capture_default_str();
  generateCmd->add_option("--seed", seed, "Random state of the generating thread (0 to 4294967295)");
  generateCmd->add_flag("--mutate", mutate, "Press Mutate instead, starting from --state");
  generateCmd->add_option("--note", render.note, "MIDI note, 0 to 127")->capture_default_str();
  generateCmd->add_option("--length", render.lengthSeconds, "Seconds the note is held")->capture_default_str();
  generateCmd->add_option("-o,--output", outDir, "Output folder")->capture_default_str();
  AddCommon(generateCmd, common);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "vorblex: %s\n", e.what());
    return 2;
  }

  try {
    auto plug = MakePlug(common);
    if (app.got_subcommand(paramsCmd)) {
      PrintParameters(*plug, stdout);
    } else if (app.got_subcommand(stateCmd)) {
      SaveStateFile(*plug, output);
      std::printf("%s  %d bytes\n", output.c_str(), 4 + 8 * kParamCount);
    } else if (app.got_subcommand(snapshotCmd)) {
      WriteSnapshot(*plug, output);
      std::printf("%s  846 x 768\n", output.c_str());
    } else if (app.got_subcommand(generateCmd)) {
      Generate(*plug, category, mutate, count, seed, outDir, render);
    } else if (app.got_subcommand(renderCmd)) {
      if (tail != "auto") {
        char* end = nullptr;
        render.tailSeconds = std::strtod(tail.c_str(), &end);
        if (end == tail.c_str() || *end != '\0' || !(render.tailSeconds >= 0.0))
          throw CliError("--tail must be a number of seconds or auto");
      }
      AudioFormatFor(output, render.bits);  // bad extensions fail before the render
      RenderResult audio = RenderNote(*plug, render);
      WriteAudioFile(output, audio, render.sampleRate, render.bits);
      PrintFileLine(output, audio.samples.size(), render.sampleRate, audio.peak);
    }
  } catch (const CliError& e) {
    std::fprintf(stderr, "vorblex: %s\n", e.what());
    return 2;
  }
  return 0;
}
