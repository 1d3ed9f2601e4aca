// vorblex: the instrument on the command line.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "cli/CliCommon.h"
#include "cli/EditorTools.h"
#include "cli/Generate.h"
#include "cli/StateListing.h"
#include "cli/Json.h"
#include "cli/OneShot.h"
#include "cli/ParamListing.h"
#include "cli/ProgressBar.h"
#include "cli/SoundSheet.h"
#include "plugin/Vorblex.h"

namespace {
struct Common {
  std::vector<std::string> settings;
  std::string stateFile;
};

void AddCommon(CLI::App* cmd, Common& common)
{
  cmd->add_option("--set", common.settings, "Set a parameter: NAME=VALUE (a number or a display text)")
      ->type_name("NAME=VALUE");
  cmd->add_option("--state", common.stateFile, "Load a saved state first (.vorblex, .vstpreset or .fxp)")
      ->type_name("FILE");
}

// The state file and the settings, in that order, as one state.
IStateChunk BaseState(const Common& common)
{
  Vorblex scratch;
  if (!common.stateFile.empty()) LoadStateFile(scratch, common.stateFile);
  ApplySettings(scratch, common.settings);
  IStateChunk chunk;
  scratch.SerializeState(chunk);
  return chunk;
}

// A plug-in that has had the state restored as a host restores one.
std::unique_ptr<Vorblex> MakePlug(const IStateChunk& base)
{
  auto plug = std::make_unique<Vorblex>();
  RestoreState(*plug, base);
  return plug;
}

std::unique_ptr<Vorblex> LoadPlug(const std::string& path)
{
  auto plug = std::make_unique<Vorblex>();
  LoadStateFile(*plug, path);
  return plug;
}

struct SoundArgs {
  RenderOptions render;
  OneShotOptions one;
  int rate = 44100;
  std::string seed;
  bool dc = false, noDc = false;
  CLI::Option* length = nullptr;
  CLI::Option* normalize = nullptr;
  CLI::Option* loudness = nullptr;
};

void AddSoundOptions(CLI::App* cmd, SoundArgs& a)
{
  cmd->add_option("--note", a.render.note, "MIDI note, 0 to 127")->capture_default_str();
  cmd->add_option("--velocity", a.render.velocity, "Velocity, 1 to 127")->capture_default_str();
  a.length = cmd->add_option("--length", a.render.lengthSeconds,
                             "Seconds the note is held (default: until the amplitude envelope's sustain stage; "
                             "0.5 with --raw)");
  cmd->add_option("--rate", a.rate, "Sample rate in Hz, a whole number")->capture_default_str();
  cmd->add_option("--bits", a.render.bits, "16 or 24 (integer), 32 (float, WAV only); WAV default is 32");
  cmd->add_flag("--raw", a.one.raw, "The instrument's exact output: no release point, trim, fade, DC filter or level");
  cmd->add_option("--silence", a.one.silenceDb, "Silence threshold in dBFS")->capture_default_str();
  cmd->add_option("--fade", a.one.fadeMs, "Fade in ms that ends a sound cut while still audible")
      ->capture_default_str();
  cmd->add_flag("--dc", a.dc, "Remove DC with a 20 Hz high-pass");
  cmd->add_flag("--no-dc", a.noDc, "Keep DC");
  a.normalize = cmd->add_option("--normalize", a.one.peakDb, "Bring the sample peak to this level in dBFS");
  a.loudness = cmd->add_option("--loudness", a.one.lufs, "Bring the loudness (EBU R 128) to this level in LUFS");
  cmd->add_option("--ceiling", a.one.ceilingDb, "True-peak ceiling of --normalize and --loudness in dBTP")
      ->capture_default_str();
}

void FinishSoundOptions(SoundArgs& a, bool dcByDefault)
{
  a.render.sampleRate = a.rate;
  if (a.rate < 8000 || a.rate > 384000) throw CliError("--rate must be 8000 to 384000 Hz");
  a.one.lengthGiven = a.length->count() > 0;
  if (a.one.raw && (a.dc || a.normalize->count() || a.loudness->count()))
    throw CliError("--raw takes no --dc, --normalize or --loudness");
  a.one.dc = a.one.raw ? false : a.dc ? true : a.noDc ? false : dcByDefault;
  if (a.dc && a.noDc) throw CliError("--dc and --no-dc cannot be used together");
  a.one.normalize = a.normalize->count() > 0;
  a.one.loudness = a.loudness->count() > 0;
}

uint32_t FreshSeed()
{
  std::random_device device;
  return static_cast<uint32_t>(device());
}

void PrintJson(JsonWriter& json) { std::printf("%s\n", json.Text().c_str()); }
}  // namespace

int main(int argc, char** argv)
{
  CLI::App app{"Vorblex: game-style sound effects"};
  app.require_subcommand(1);

  Common common;
  std::string output, tail = "auto";
  bool json = false;

  SoundArgs renderArgs;
  CLI::App* renderCmd = app.add_subcommand("render", "Play one note and write it to an audio file");
  renderCmd->add_option("-o,--output", output, "Output file (.wav, .flac, .aiff, .ogg)")->required();
  renderCmd->add_option("--tail", tail, "Seconds after the note-off, or auto: until every voice is free")
      ->capture_default_str();
  renderCmd->add_option("--seed", renderArgs.seed, "Seed of the noise sources, 0 to 4294967295 (default 0)");
  renderCmd->add_flag("--json", json, "Print one JSON document");
  AddSoundOptions(renderCmd, renderArgs);
  AddCommon(renderCmd, common);

  CLI::App* paramsCmd = app.add_subcommand("params", "List the 60 parameters with range, default, unit and value");
  paramsCmd->add_flag("--json", json, "Print one JSON document");
  AddCommon(paramsCmd, common);

  CLI::App* stateCmd =
      app.add_subcommand("state", "Write the plug-in state (484 bytes), a VST3 preset or a VST2 program file");
  stateCmd->add_option("-o,--output", output, "Output file: .vstpreset, .fxp, or anything else for the plain state")
      ->required();
  AddCommon(stateCmd, common);

  CLI::App* snapshotCmd = app.add_subcommand("snapshot", "Draw the editor and write it as a PNG");
  snapshotCmd->add_option("-o,--output", output, "Output PNG file")->required();
  AddCommon(snapshotCmd, common);

  std::string showFile, diffA, diffB;
  CLI::App* showCmd = app.add_subcommand("show", "Print every parameter of a state with its display text and unit");
  showCmd->add_option("state", showFile, "State file")->required();
  showCmd->add_flag("--json", json, "Print one JSON document");
  CLI::App* diffCmd = app.add_subcommand("diff", "Print the parameters in which two states differ");
  diffCmd->add_option("a", diffA, "First state file")->required();
  diffCmd->add_option("b", diffB, "Second state file")->required();
  diffCmd->add_flag("--json", json, "Print one JSON document");

  SoundArgs genArgs;
  GenerateOptions gen;
  std::string category, seedText;
  std::vector<std::string> locks;
  CLI::App* generateCmd =
      app.add_subcommand("generate", "Press a generator button and render the sounds it makes, with their states");
  generateCmd->add_option("category", category,
                          "pickup (coin), shoot, powerup, hit (hurt), jump, blip (select), blade or random");
  generateCmd->add_option("--count", gen.count, "How many sounds")->capture_default_str();
  generateCmd->add_option("--seed", seedText, "Seed of the first sound, 0 to 4294967295 (default: a fresh one)");
  generateCmd->add_flag("--mutate", gen.mutate, "Press Mutate instead, starting from --state");
  generateCmd->add_option("--lock", locks, "Keep this parameter at its --state/--set value (repeatable)")
      ->type_name("NAME");
  generateCmd->add_option("--format", gen.format, "wav, flac, aiff or ogg")->capture_default_str();
  generateCmd->add_option("-o,--output", gen.dir, "Output folder (created when missing)")->capture_default_str();
  generateCmd->add_option("--sheet", gen.sheet, "Also draw one row per sound (name, seed, waveform, spectrogram)")
      ->type_name("FILE.png");
  generateCmd->add_flag("--json", json, "Print one JSON document");
  AddSoundOptions(generateCmd, genArgs);
  AddCommon(generateCmd, common);

  SoundArgs plotArgs;
  std::string plotAudio;
  CLI::App* plotCmd =
      app.add_subcommand("plot", "Draw a sound's waveform and spectrogram: an audio file or the sound of --state");
  plotCmd->add_option("audio", plotAudio, "Audio file (.wav, .flac, .aiff, .ogg)");
  plotCmd->add_option("-o,--output", output, "Output PNG file")->required();
  AddSoundOptions(plotCmd, plotArgs);
  AddCommon(plotCmd, common);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::string what = e.what();
    for (char& c : what)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "vorblex: %s\n", what.c_str());
    return 2;
  }

  try {
    if (app.got_subcommand(showCmd)) {
      auto plug = LoadPlug(showFile);
      if (json) {
        JsonWriter j;
        j.BeginObject().String("command", "show").String("state", showFile);
        WriteParametersJson(*plug, j);
        PrintJson(j.EndObject());
      } else {
        PrintShow(*plug, stdout);
      }
      return 0;
    }
    if (app.got_subcommand(diffCmd)) {
      auto a = LoadPlug(diffA);
      auto b = LoadPlug(diffB);
      if (json) {
        JsonWriter j;
        j.BeginObject().String("command", "diff").String("a", diffA).String("b", diffB);
        WriteDiffJson(*a, *b, j);
        PrintJson(j.EndObject());
      } else if (PrintDiff(*a, *b, stdout) == 0) {
        std::printf("the states are the same\n");
      }
      return 0;
    }

    if (app.got_subcommand(plotCmd)) {
      FinishSoundOptions(plotArgs, true);
      std::vector<float> samples;
      double rate = 0.0;
      std::string name;
      if (!plotAudio.empty()) {
        if (!common.stateFile.empty() || !common.settings.empty())
          throw CliError("plot takes an audio file or --state/--set, not both");
        samples = ReadAudioFile(plotAudio, &rate);
        name = plotAudio;
      } else {
        // The sound as `generate` writes it, from a plug-in restored from the state.
        auto plug = MakePlug(BaseState(common));
        samples = RenderSound(*plug, plotArgs.render, plotArgs.one, nullptr).samples;
        rate = plotArgs.render.sampleRate;
        name = common.stateFile.empty() ? "vorblex" : common.stateFile;
      }
      name = name.substr(name.find_last_of('/') + 1);
      name = name.substr(0, name.rfind('.'));
      float peak = 0.0f;
      for (float v : samples) peak = std::max(peak, std::fabs(v));
      char detail[48];
      std::snprintf(detail, sizeof detail, "peak %.1f dBFS", peak > 0.0f ? 20.0 * std::log10(peak) : -INFINITY);
      SoundSheet sheet(output, 1);
      sheet.Add({name, detail, samples.data(), samples.size(), rate});
      sheet.Finish();
      std::printf("%s  %d x %d\n", output.c_str(), kSheetWidth, kSheetRowHeight);
      return 0;
    }

    const IStateChunk base = BaseState(common);
    if (app.got_subcommand(paramsCmd)) {
      auto plug = MakePlug(base);
      if (json) {
        JsonWriter j;
        j.BeginObject().String("command", "params");
        j.BeginArray("parameters");
        for (int i = 0; i < plug->NParams(); ++i) {
          const IParameter* p = plug->GetParameter(i);
          char text[kParamTextSize] = {};
          p->FormatDisplay(text);
          j.BeginObject()
              .Int("index", i)
              .String("name", p->Name())
              .Number("minimum", p->Min())
              .Number("maximum", p->Max())
              .Number("default", p->Default())
              .String("unit", p->Label())
              .Number("value", p->Value())
              .String("text", text)
              .EndObject();
        }
        PrintJson(j.EndArray().EndObject());
      } else {
        PrintParameters(*plug, stdout);
      }
    } else if (app.got_subcommand(stateCmd)) {
      auto plug = MakePlug(base);
      const long size = SaveStateFile(*plug, output);
      std::printf("%s  %ld bytes\n", output.c_str(), size);
    } else if (app.got_subcommand(snapshotCmd)) {
      auto plug = MakePlug(base);
      WriteSnapshot(*plug, output);
      std::printf("%s  846 x 768\n", output.c_str());
    } else if (app.got_subcommand(generateCmd)) {
      FinishSoundOptions(genArgs, true);
      if (gen.mutate && !category.empty()) throw CliError("--mutate takes no category");
      if (!gen.mutate) gen.category = CanonicalCategory(category);
      if (gen.format != "wav" && gen.format != "flac" && gen.format != "aiff" && gen.format != "ogg")
        throw CliError("--format must be wav, flac, aiff or ogg");
      if (genArgs.one.raw && genArgs.render.tailSeconds >= 0.0) throw CliError("unexpected --tail");
      gen.firstSeed = seedText.empty() ? FreshSeed() : ParseSeed(seedText, "--seed");
      Vorblex names;
      for (const std::string& name : locks) {
        const int idx = FindParameter(names, name);
        if (idx < 0) throw CliError("unknown parameter " + Quote(name) + " in --lock (see `vorblex params`)");
        gen.locks.push_back(idx);
      }
      gen.settings = common.settings;
      gen.json = json;
      gen.progress = isatty(2) != 0;
      GenerateBatch(base, gen, genArgs.render, genArgs.one);
    } else if (app.got_subcommand(renderCmd)) {
      FinishSoundOptions(renderArgs, false);
      RenderOptions& render = renderArgs.render;
      if (tail != "auto") {
        char* end = nullptr;
        render.tailSeconds = std::strtod(tail.c_str(), &end);
        if (end == tail.c_str() || *end != '\0' || !(render.tailSeconds >= 0.0))
          throw CliError("--tail must be a number of seconds or auto");
      }
      renderArgs.one.noiseSeed = renderArgs.seed.empty() ? 0u : ParseSeed(renderArgs.seed, "--seed");
      AudioFormatFor(output, render.bits);  // bad extensions fail before the render
      auto plug = MakePlug(base);
      SoundStats stats;
      // Only a terminal gets a bar, and only for a render longer than a second.
      ProgressBar bar;
      if (isatty(2)) render.progress = &bar;
      RenderResult audio = RenderSound(*plug, render, renderArgs.one, &stats);
      bar.Done("done");
      WriteAudioFile(output, audio, render.sampleRate, render.bits);
      if (audio.clipped > 0)
        std::fprintf(stderr, "vorblex: warning: %lld samples of %s were clipped\n",
                     static_cast<long long>(audio.clipped), output.c_str());
      if (json) {
        JsonWriter j;
        j.BeginObject()
            .String("command", "render")
            .String("audio", output)
            .Int("seed", renderArgs.one.noiseSeed);
        WriteSoundJson(j, stats, audio.clipped, true);
        WriteParametersJson(*plug, j);
        PrintJson(j.EndObject());
      } else {
        std::printf("%s  %.3f s  peak %.1f dBFS  %.1f LUFS\n", output.c_str(), stats.seconds, stats.peakDb,
                    stats.loudnessLufs);
      }
    }
  } catch (const CliError& e) {
    std::fprintf(stderr, "vorblex: %s\n", e.what());
    return 2;
  }
  return 0;
}
