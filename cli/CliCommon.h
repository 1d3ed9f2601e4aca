#pragma once
// Shared pieces of the vorblex command line: errors, parameter settings, state
// files and rendering a note to an audio file.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class IStateChunk;
class ProgressBar;
class Vorblex;

// A problem with the user's input: printed as one line, exit status 2.
struct CliError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Index of a parameter by its name or its tooltip name, in any case; -1 when
// there is none.
int FindParameter(const Vorblex& plug, const std::string& name);

// Applies "NAME=VALUE" settings: NAME is a parameter name (any case), VALUE a
// real value inside the range or one of the parameter's display texts.
void ApplySettings(Vorblex& plug, const std::vector<std::string>& settings);

// Loads a state file: the 484-byte plug-in state that `vorblex state` and
// `generate` write, a VST3 preset (.vstpreset) or a VST2 program (.fxp).
void LoadStateFile(Vorblex& plug, const std::string& path);

// Restores a state as a host does (the VST2 chunk and VST3 state entries):
// the parameters take the chunk's values and the editor's controls follow, so
// the sound tools start from what the editor shows.
void RestoreState(Vorblex& plug, const IStateChunk& chunk);

// Seeds: 0 to 4294967295, decimal digits only; anything else is refused.
uint32_t ParseSeed(const std::string& text, const char* option);
// The random state a seed gives the generator or the noise: the seed plus the
// golden-ratio constant 0x9E3779B9, then the 32-bit finaliser of MurmurHash3
// (x ^= x >> 16; x *= 0x85EBCA6B; x ^= x >> 13; x *= 0xC2B2AE35; x ^= x >> 16),
// all modulo 2^32. Neighbouring seeds give unrelated states.
uint32_t RandomStateForSeed(uint32_t seed);
// Writes the plug-in state, all or nothing, as a VST3 preset for .vstpreset,
// a VST2 program for .fxp and the plain state otherwise; returns its size.
long SaveStateFile(Vorblex& plug, const std::string& path);

struct RenderOptions {
  int note = 60;
  int velocity = 127;
  double lengthSeconds = 0.5;
  double tailSeconds = -1.0;  // negative: until every voice is free
  double sampleRate = 44100.0;
  int bits = 0;  // 0: the format's default
  ProgressBar* progress = nullptr;  // shown the audio rendered so far
};

// Tells the options' bar how far a render of at most `boundSeconds` has got.
void ShowRenderProgress(const RenderOptions& options, size_t samples, double boundSeconds);

struct RenderResult {
  std::vector<float> samples;
  double peak = 0.0;
  int64_t clipped = 0;  // samples the output format saturated
};

// Plays one note for the given length, then the tail, on the offline adapter.
RenderResult RenderNote(Vorblex& plug, const RenderOptions& options);

// libsndfile format for a path's extension and a bit depth (0, 16, 24 or 32;
// 32 is float and only for .wav).
int AudioFormatFor(const std::string& path, int bits);

// Writes mono samples; the format follows the extension (.wav .flac .aiff
// .aif .ogg). Writes to a temporary file first so nothing partial is left.
// Float WAV files carry the 18-byte format chunk and the fact chunk that
// readers expect of non-PCM data. Counts the samples an integer format clipped into
// audio.clipped.
void WriteAudioFile(const std::string& path, RenderResult& audio, double sampleRate, int bits);
// The same into an explicit temporary path, left for the caller to commit.
void WriteAudioFileTo(const std::string& tmp, const std::string& path, RenderResult& audio, double sampleRate,
                      int bits);
// Reads an audio file libsndfile knows as mono (channels averaged), at most
// 600 seconds of it.
std::vector<float> ReadAudioFile(const std::string& path, double* sampleRate);
// Renames a finished temporary file over its final name.
void CommitFile(const std::string& tmp, const std::string& path);
// Serialises the state into a file, left for the caller to commit.
void WriteStateFileTo(Vorblex& plug, const std::string& tmp, const std::string& path);
std::string Quote(const std::string& s);

// Longest tail that automatic tail detection renders.
constexpr double kMaxAutoTailSeconds = 30.0;
