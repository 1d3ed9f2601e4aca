#include "cli/OneShot.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "cli/Json.h"
#include "platform/Random.h"
#include "plugin/Vorblex.h"

namespace {
double FromDb(double db) { return std::pow(10.0, db / 20.0); }
double ToDb(double v) { return v > 0.0 ? 20.0 * std::log10(v) : -INFINITY; }

constexpr double kDcCutoffHz = 20.0;
constexpr double kMinReleasePoint = 0.010;
constexpr double kFadeAboveThresholdDb = 30.0;

struct EburDeleter {
  void operator()(ebur128_state* st) const { ebur128_destroy(&st); }
};
using Ebur = std::unique_ptr<ebur128_state, EburDeleter>;

Ebur Measure(const std::vector<double>& x, double rate, int mode, unsigned long maxWindowMs)
{
  Ebur st(ebur128_init(1, static_cast<unsigned long>(std::lround(rate)), mode));
  if (!st) throw CliError("cannot measure loudness at this rate");
  const int set = maxWindowMs > 0 ? ebur128_set_max_window(st.get(), maxWindowMs) : EBUR128_SUCCESS;
  if (set != EBUR128_SUCCESS && set != EBUR128_ERROR_NO_CHANGE)
    throw CliError("cannot measure loudness of a sound this long");
  if (!x.empty() && ebur128_add_frames_double(st.get(), x.data(), x.size()) != EBUR128_SUCCESS)
    throw CliError("cannot measure loudness");
  return st;
}
}  // namespace

double ReleasePoint(const Vorblex& plug)
{
  const double t = plug.GetParameter(kAmpEnvAttack)->Value() + plug.GetParameter(kAmpEnvHold)->Value() +
                   plug.GetParameter(kAmpEnvDecay)->Value();
  return std::max(kMinReleasePoint, t);
}

void RemoveDc(std::vector<double>& x, double rate, double threshold)
{
  const double a = 1.0 / (1.0 + 2.0 * M_PI * kDcCutoffHz / rate);
  double prevIn = 0.0, y = 0.0;
  for (double& s : x) {
    y = a * (y + s - prevIn);
    prevIn = s;
    s = y;
  }
  // The filter's own decay after the input has stopped: without it the sound
  // would keep the DC that the decay takes back. At most one second.
  const size_t cap = x.size() + static_cast<size_t>(rate);
  while (x.size() < cap) {
    y = a * (y - prevIn);
    prevIn = 0.0;
    if (std::fabs(y) < threshold) break;
    x.push_back(y);
  }
}

void TrimSilence(std::vector<double>& x, double threshold)
{
  auto loud = [&](double s) { return std::fabs(s) >= threshold; };
  const auto first = std::find_if(x.begin(), x.end(), loud);
  if (first == x.end()) {
    x.clear();
    return;
  }
  const auto last = std::find_if(x.rbegin(), x.rend(), loud).base();
  x = std::vector<double>(first, last);
}

bool FadeAudibleEnd(std::vector<double>& x, double rate, double fadeSeconds, double threshold)
{
  const size_t n = std::min(x.size(), static_cast<size_t>(std::lround(fadeSeconds * rate)));
  if (n == 0) return false;
  double peak = 0.0;
  for (size_t i = x.size() - n; i < x.size(); ++i) peak = std::max(peak, std::fabs(x[i]));
  if (peak < threshold * FromDb(kFadeAboveThresholdDb)) return false;
  // Gains n/(n+1) down to 1/(n+1): the last sample is never exactly zero.
  for (size_t k = 0; k < n; ++k) x[x.size() - n + k] *= static_cast<double>(n - k) / static_cast<double>(n + 1);
  return true;
}

double Loudness(const std::vector<double>& x, double rate)
{
  if (x.empty()) return -INFINITY;
  const double seconds = x.size() / rate;
  double lufs = -INFINITY;
  if (seconds >= 0.4) {
    Ebur st = Measure(x, rate, EBUR128_MODE_I, 0);
    if (ebur128_loudness_global(st.get(), &lufs) != EBUR128_SUCCESS) throw CliError("cannot measure loudness");
  } else {
    const unsigned long ms = static_cast<unsigned long>(std::ceil(seconds * 1000.0));
    Ebur st = Measure(x, rate, EBUR128_MODE_M, std::max(ms, 400ul));
    // The window is the sound's whole length, in whole milliseconds.
    const unsigned long window = static_cast<unsigned long>(std::floor(seconds * 1000.0));
    if (window == 0 || ebur128_loudness_window(st.get(), window, &lufs) != EBUR128_SUCCESS)
      return -INFINITY;
  }
  return std::isfinite(lufs) ? lufs : -INFINITY;
}

double TruePeakDb(const std::vector<double>& x, double rate)
{
  if (x.empty()) return -INFINITY;
  Ebur st = Measure(x, rate, EBUR128_MODE_TRUE_PEAK, 0);
  double tp = 0.0;
  if (ebur128_true_peak(st.get(), 0, &tp) != EBUR128_SUCCESS) throw CliError("cannot measure the true peak");
  return ToDb(tp);
}

RenderResult RenderSound(Vorblex& plug, RenderOptions render, const OneShotOptions& one, SoundStats* stats)
{
  const double rate = render.sampleRate;
  const double threshold = FromDb(one.silenceDb);
  if (!(one.silenceDb >= -200.0 && one.silenceDb <= -20.0)) throw CliError("--silence must be -200 to -20 dBFS");
  if (!(one.fadeMs >= 0.0 && one.fadeMs <= 1000.0)) throw CliError("--fade must be 0 to 1000 ms");
  if (one.normalize && !(one.peakDb >= -60.0 && one.peakDb <= 0.0)) throw CliError("--normalize must be -60 to 0 dBFS");
  if (one.loudness && !(one.lufs >= -70.0 && one.lufs <= 0.0)) throw CliError("--loudness must be -70 to 0 LUFS");
  if (!(one.ceilingDb >= -60.0 && one.ceilingDb <= 0.0)) throw CliError("--ceiling must be -60 to 0 dBTP");
  if (one.normalize && one.loudness) throw CliError("--normalize and --loudness cannot be used together");

  RandomSeed(RandomStateForSeed(one.noiseSeed));
  RenderResult raw;
  if (one.raw) {
    raw = RenderNote(plug, render);
  } else {
    if (!one.lengthGiven) render.lengthSeconds = ReleasePoint(plug);
    // RenderNote's automatic tail stops when every voice is free; the sound
    // goes on while the output is still above the threshold.
    const double tail = render.tailSeconds;
    raw = RenderNote(plug, render);
    if (tail < 0.0) {
      constexpr int kBlock = 512;
      std::vector<double> block(kBlock);
      double* outs[1] = {block.data()};
      const size_t cap = raw.samples.size() + static_cast<size_t>(kMaxAutoTailSeconds * rate);
      auto lastBlockLoud = [&] {
        const size_t from = raw.samples.size() > kBlock ? raw.samples.size() - kBlock : 0;
        for (size_t i = from; i < raw.samples.size(); ++i)
          if (std::fabs(raw.samples[i]) >= threshold) return true;
        return false;
      };
      while (lastBlockLoud() && raw.samples.size() < cap) {
        plug.ProcessBlock(outs, 1, kBlock);
        raw.samples.insert(raw.samples.end(), block.begin(), block.end());
        ShowRenderProgress(render, raw.samples.size(), static_cast<double>(cap) / rate);
      }
    }
  }

  std::vector<double> x(raw.samples.begin(), raw.samples.end());
  if (!one.raw) {
    if (one.dc) RemoveDc(x, rate, threshold);
    TrimSilence(x, threshold);
    if (FadeAudibleEnd(x, rate, one.fadeMs / 1000.0, threshold)) TrimSilence(x, threshold);
  }

  SoundStats s;
  if (one.normalize || one.loudness) {
    double peak = 0.0;
    for (double v : x) peak = std::max(peak, std::fabs(v));
    double gainDb = 0.0;
    if (one.normalize && peak > 0.0) gainDb = one.peakDb - ToDb(peak);
    if (one.loudness) {
      const double lufs = Loudness(x, rate);
      if (std::isfinite(lufs)) gainDb = one.lufs - lufs;
    }
    const double tp = TruePeakDb(x, rate);
    if (std::isfinite(tp) && tp + gainDb > one.ceilingDb) {
      gainDb = one.ceilingDb - tp;
      s.limited = true;
    }
    const double g = FromDb(gainDb);
    for (double& v : x) v *= g;
    s.gainDb = gainDb;
  }

  RenderResult out;
  out.samples.reserve(x.size());
  double sumSq = 0.0;
  for (double v : x) {
    out.samples.push_back(static_cast<float>(v));
    out.peak = std::max(out.peak, std::fabs(v));
    sumSq += v * v;
  }
  if (stats) {
    s.seconds = x.size() / rate;
    s.peakDb = ToDb(out.peak);
    s.rmsDb = x.empty() ? -INFINITY : 10.0 * std::log10(std::max(sumSq / x.size(), 1e-300));
    s.loudnessLufs = Loudness(x, rate);
    s.truePeakDb = TruePeakDb(x, rate);
    *stats = s;
  }
  return out;
}

void WriteSoundJson(JsonWriter& json, const SoundStats& stats, long long clipped, bool gain)
{
  json.Number("duration", stats.seconds)
      .Number("peak_dbfs", stats.peakDb)
      .Number("rms_dbfs", stats.rmsDb)
      .Number("loudness_lufs", stats.loudnessLufs);
  if (gain) json.Number("true_peak_dbtp", stats.truePeakDb).Number("gain_db", stats.gainDb);
  json.Int("clipped_samples", clipped);
}
