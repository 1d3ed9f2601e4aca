#pragma once
// One-shot rendering: a note released when its amplitude envelope reaches the
// sustain stage, rendered until it has died away, then trimmed, faded where it
// is cut while still audible, freed of DC and brought to a level on request.
#include <cmath>
#include <cstdint>
#include <vector>

#include "cli/CliCommon.h"

struct OneShotOptions {
  bool raw = false;            // the instrument's exact output (RenderNote)
  bool lengthGiven = false;    // --length overrides the release point
  double silenceDb = -70.0;    // --silence
  double fadeMs = 5.0;         // --fade
  bool dc = false;             // --dc
  uint32_t noiseSeed = 0;      // --seed of render: the noise's random state
  bool normalize = false;      // --normalize PEAK_DBFS
  double peakDb = 0.0;
  bool loudness = false;       // --loudness LUFS
  double lufs = -16.0;
  double ceilingDb = -1.0;     // --ceiling: true-peak limit of both
};

// Measurements of a finished sound.
struct SoundStats {
  double seconds = 0.0;
  double peakDb = -INFINITY;
  double rmsDb = -INFINITY;
  double loudnessLufs = -INFINITY;  // see Loudness()
  double truePeakDb = -INFINITY;
  double gainDb = 0.0;              // applied by --normalize or --loudness
  bool limited = false;             // the true-peak ceiling lowered that gain
};

class JsonWriter;
// The figures of a finished sound as JSON fields: duration, peak, RMS,
// loudness and, with `gain`, true peak and applied gain; then clipped samples.
void WriteSoundJson(JsonWriter& json, const SoundStats& stats, long long clipped, bool gain);

// Seconds from note-on to the amplitude envelope's sustain stage: attack +
// hold + decay, at least 10 ms.
double ReleasePoint(const Vorblex& plug);

// Renders one sound with `render` and `one` on a plug-in whose state is set.
// With one.raw it is RenderNote exactly, noise seed aside.
RenderResult RenderSound(Vorblex& plug, RenderOptions render, const OneShotOptions& one, SoundStats* stats);

// ---- The steps, on samples at a rate ----
// A one-pole high-pass at 20 Hz, run on past the end with silent input until
// its own response is below `threshold`, so the whole sound sums to almost 0.
void RemoveDc(std::vector<double>& x, double rate, double threshold);
// Drops leading and trailing samples below the threshold (absolute value).
void TrimSilence(std::vector<double>& x, double threshold);
// When the last `fade` seconds reach above threshold * 30 dB, a linear fade
// over them ends the sound; returns whether it faded.
bool FadeAudibleEnd(std::vector<double>& x, double rate, double fadeSeconds, double threshold);
// EBU R 128 integrated loudness in LUFS; sounds shorter than one 400 ms gating
// block are measured as the K-weighted loudness of their whole length.
double Loudness(const std::vector<double>& x, double rate);
// Maximum true peak (4x oversampled) in dBTP.
double TruePeakDb(const std::vector<double>& x, double rate);
