// vorblex: the instrument on the command line.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/CliCommon.h"
#include "cli/ParamListing.h"
#include "engine/Vorblex.h"

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
