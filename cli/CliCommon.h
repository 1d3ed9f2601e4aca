#pragma once
// Shared pieces of the vorblex command line: errors, parameter settings, state
// files and rendering a note to an audio file.
#include <stdexcept>
#include <string>
#include <vector>

class Vorblex;

// A problem with the user's input: printed as one line, exit status 2.
struct CliError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Applies "NAME=VALUE" settings: NAME is a parameter name (any case), VALUE a
// real value inside the range or one of the parameter's display texts.
void ApplySettings(Vorblex& plug, const std::vector<std::string>& settings);

// Loads a 484-byte plug-in state written by `vorblex state` or `generate`.
void LoadStateFile(Vorblex& plug, const std::string& path);
// Writes the plug-in state, all or nothing.
void SaveStateFile(Vorblex& plug, const std::string& path);

struct RenderOptions {
  int note = 60;
  int velocity = 127;
  double lengthSeconds = 0.5;
  double tailSeconds = -1.0;  // negative: until every voice is free
  double sampleRate = 44100.0;
  int bits = 0;  // 0: the format's default
};

struct RenderResult {
  std::vector<float> samples;
  double peak = 0.0;
};

// Plays one note for the given length, then the tail, on the offline adapter.
RenderResult RenderNote(Vorblex& plug, const RenderOptions& options);

// libsndfile format for a path's extension and a bit depth (0, 16 or 24).
int AudioFormatFor(const std::string& path, int bits);

// Writes mono samples; the format follows the extension (.wav .flac .aiff
// .aif .ogg). Writes to a temporary file first so nothing partial is left.
void WriteAudioFile(const std::string& path, const RenderResult& audio, double sampleRate, int bits);

// Longest tail that automatic tail detection renders.
constexpr double kMaxAutoTailSeconds = 30.0;
