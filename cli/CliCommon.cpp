#include "cli/CliCommon.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cli/PresetFiles.h"
#include "cli/ProgressBar.h"
#include "plugin/Vorblex.h"

namespace {
std::string Lower(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s)
{
  size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool ParseReal(const std::string& text, double* out)
{
  const std::string t = Trim(text);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

std::string Extension(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(path.substr(dot));
}
}  // namespace

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

int FindParameter(const Vorblex& plug, const std::string& name)
{
  const std::string wanted = Lower(Trim(name));
  for (int i = 0; i < plug.NParams(); ++i) {
    if (Lower(plug.GetParameter(i)->Name()) == wanted) return i;
  }
  // The editor's tooltips name some parameters differently ("White EnvDepth").
  for (int i = 0; i < plug.NParams(); ++i) {
    const ParamDesc* d = GetParamDesc(i);
    if (d && d->tooltip && Lower(d->tooltip) == wanted) return i;
  }
  return -1;
}

uint32_t ParseSeed(const std::string& text, const char* option)
{
  const std::string t = Trim(text);
  uint64_t v = 0;
  bool ok = !t.empty() && t.size() <= 10;
  for (char c : t) {
    if (c < '0' || c > '9') ok = false;
    if (ok) v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (!ok || v > 0xFFFFFFFFull) throw CliError(std::string(option) + " must be 0 to 4294967295, got " + Quote(t));
  return static_cast<uint32_t>(v);
}

uint32_t RandomStateForSeed(uint32_t seed)
{
  uint32_t x = seed + 0x9E3779B9u;
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return x;
}

void RestoreState(Vorblex& plug, const IStateChunk& chunk)
{
  if (plug.UnserializeState(chunk, 0) < 0) throw CliError("the state could not be restored");
  plug.RedrawParameterControls();
}

void ApplySettings(Vorblex& plug, const std::vector<std::string>& settings)
{
  for (const std::string& setting : settings) {
    const size_t eq = setting.find('=');
    if (eq == std::string::npos) throw CliError("--set expects NAME=VALUE, got " + Quote(setting));
    const std::string name = setting.substr(0, eq), valueText = Trim(setting.substr(eq + 1));
    const int idx = FindParameter(plug, name);
    if (idx < 0) throw CliError("unknown parameter " + Quote(Trim(name)) + " (see `vorblex params`)");
    IParameter* p = plug.GetParameter(idx);
    double v = 0.0;
    bool found = false;
    for (int k = 0; k < p->NDisplayTexts(); ++k) {
      int value = 0;
      const char* text = p->GetDisplayTextAtIndex(k, &value);
      if (Lower(text) == Lower(valueText)) {
        v = value;
        found = true;
        break;
      }
    }
    if (!found) {
      if (!ParseReal(valueText, &v)) {
        std::string choices;
        for (int k = 0; k < p->NDisplayTexts(); ++k) choices += (k ? ", " : "") + std::string(p->GetDisplayTextAtIndex(k));
        throw CliError("invalid value " + Quote(valueText) + " for " + Quote(p->Name()) +
                       (choices.empty() ? ": expected a number" : ": expected a number or one of " + choices));
      }
      if (v < p->Min() || v > p->Max()) {
        char range[96];
        std::snprintf(range, sizeof range, "%g to %g", p->Min(), p->Max());
        throw CliError("value " + Quote(valueText) + " is outside the range of " + Quote(p->Name()) + " (" +
                       range + ")");
      }
    }
    p->Set(v);
    plug.OnParameterChange(idx);
  }
}

void LoadStateFile(Vorblex& plug, const std::string& path)
{
  constexpr int kStateSize = 4 + 8 * kParamCount;
  const StateFileKind kind = StateFileKindFor(path);
  const long limit = kind == StateFileKind::kState ? kStateSize : kMaxPresetFileSize;
  // Only a regular file of at most a state's (or a preset's) size is opened:
  // a directory, a device or a huge file is refused before a byte of it is read.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    throw CliError("cannot read state file " + Quote(path) + ": " + std::strerror(errno));
  if (S_ISDIR(info.st_mode)) throw CliError("state file " + Quote(path) + " is a directory");
  if (!S_ISREG(info.st_mode)) throw CliError("state file " + Quote(path) + " is not a regular file");
  if (info.st_size > limit)
    throw CliError("state file " + Quote(path) + " is not a Vorblex state (" + std::to_string(info.st_size) +
                   " bytes, expected " + (kind == StateFileKind::kState ? "" : "at most ") + std::to_string(limit) +
                   ")");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CliError("cannot read state file " + Quote(path) + ": " + std::strerror(errno));
  // Read at most one byte past the limit, whatever the file has grown to since.
  FileBytes bytes(static_cast<size_t>(limit) + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) throw CliError("cannot read state file " + Quote(path));
  bytes.resize(static_cast<size_t>(in.gcount()));
  if (static_cast<long>(bytes.size()) > limit) throw CliError("state file " + Quote(path) + " is not a Vorblex state");

  IStateChunk chunk;
  if (kind == StateFileKind::kVst3Preset) {
    chunk = StateFromVst3Preset(plug, bytes, path);
  } else if (kind == StateFileKind::kVst2Program) {
    chunk = StateFromVst2Program(plug, bytes, path);
  } else {
    if (static_cast<int>(bytes.size()) < kStateSize)
      throw CliError("state file " + Quote(path) + " is too short (" + std::to_string(bytes.size()) +
                     " bytes, expected " + std::to_string(kStateSize) + ")");
    int32_t version = 0;
    std::memcpy(&version, bytes.data(), sizeof version);
    if (version != plug.GetEffectVersion()) throw CliError("state file " + Quote(path) + " is not a Vorblex state");
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  }
  if (plug.UnserializeState(chunk, 0) < 0) throw CliError("state file " + Quote(path) + " could not be read");
  plug.RedrawParameterControls();
}

std::vector<float> ReadAudioFile(const std::string& path, double* sampleRate)
{
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    throw CliError("cannot read audio file " + Quote(path) + ": not a regular file");
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) throw CliError("cannot read audio file " + Quote(path) + ": " + sf_strerror(nullptr));
  const bool fits = info.channels > 0 && info.channels <= 64 && info.samplerate > 0 && info.frames >= 0 &&
                    info.frames <= static_cast<sf_count_t>(info.samplerate) * 600;
  std::vector<float> frames(fits ? static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels) : 0);
  const sf_count_t read = fits ? sf_readf_float(file, frames.data(), info.frames) : 0;
  sf_close(file);
  if (!fits) throw CliError("audio file " + Quote(path) + " is longer than 600 seconds or has no channels");
  std::vector<float> mono(static_cast<size_t>(std::max<sf_count_t>(read, 0)));
  for (size_t i = 0; i < mono.size(); ++i) {
    double sum = 0.0;
    const float* frame = frames.data() + i * static_cast<size_t>(info.channels);
    for (int c = 0; c < info.channels; ++c) sum += frame[c];
    mono[i] = static_cast<float>(sum / info.channels);
  }
  *sampleRate = info.samplerate;
  return mono;
}

void CommitFile(const std::string& tmp, const std::string& path)
{
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(tmp.c_str());
    throw CliError("cannot write " + Quote(path) + ": " + why);
  }
}

long SaveStateFile(Vorblex& plug, const std::string& path)
{
  const std::string tmp = path + ".part";
  const StateFileKind kind = StateFileKindFor(path);
  long size = 4 + 8 * kParamCount;
  if (kind == StateFileKind::kState) {
    WriteStateFileTo(plug, tmp, path);
  } else {
    // A host shows the program file's name; the folder and extension are ours.
    const size_t slash = path.find_last_of('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const FileBytes bytes = kind == StateFileKind::kVst3Preset
                                ? MakeVst3Preset(plug)
                                : MakeVst2Program(plug, name.substr(0, name.rfind('.')));
    size = static_cast<long>(bytes.size());
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw CliError("cannot write " + Quote(path) + ": " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(tmp.c_str());
      throw CliError("cannot write " + Quote(path));
    }
  }
  CommitFile(tmp, path);
  return size;
}

void WriteStateFileTo(Vorblex& plug, const std::string& tmp, const std::string& path)
{
  IStateChunk chunk;
  if (!plug.SerializeState(chunk)) throw CliError("cannot write " + Quote(path) + ": the state could not be made");
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw CliError("cannot write " + Quote(path) + ": " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(chunk.Data()), chunk.Size());
    out.close();
    if (!out) {
      std::remove(tmp.c_str());
      throw CliError("cannot write " + Quote(path));
    }
  }
}

void ShowRenderProgress(const RenderOptions& o, size_t samples, double boundSeconds)
{
  if (!o.progress || !o.progress->Due()) return;
  const double seconds = static_cast<double>(samples) / o.sampleRate;
  char label[48];
  std::snprintf(label, sizeof label, "%.1f s of audio", seconds);
  o.progress->Show(boundSeconds > 0.0 ? seconds / boundSeconds : 0.0, label);
}

RenderResult RenderNote(Vorblex& plug, const RenderOptions& o)
{
  if (o.note < 0 || o.note > 127) throw CliError("--note must be 0 to 127");
  if (o.velocity < 1 || o.velocity > 127) throw CliError("--velocity must be 1 to 127");
  if (!(o.lengthSeconds > 0.0) || o.lengthSeconds > 600.0) throw CliError("--length must be above 0 and at most 600 seconds");
  if (o.tailSeconds > 600.0) throw CliError("--tail must be at most 600 seconds");
  if (!(o.sampleRate >= 8000.0 && o.sampleRate <= 384000.0)) throw CliError("--rate must be 8000 to 384000 Hz");

  constexpr int kBlock = 512;
  plug.SetHostSampleRate(o.sampleRate);
  plug.SetHostBlockSize(kBlock);
  plug.ConnectOutputs(1);

  // The longest the render can take: the note, then the tail or its cap.
  const double bound = o.lengthSeconds + (o.tailSeconds >= 0.0 ? o.tailSeconds : kMaxAutoTailSeconds);
  RenderResult result;
  std::vector<double> block(kBlock);
  double* outs[1] = {block.data()};
  auto render = [&](int frames) {
    for (int done = 0; done < frames;) {
      const int n = std::min(kBlock, frames - done);
      plug.ProcessBlock(outs, 1, n);
      for (int i = 0; i < n; ++i) {
        result.samples.push_back(static_cast<float>(block[i]));
        result.peak = std::max(result.peak, std::fabs(block[i]));
      }
      done += n;
      ShowRenderProgress(o, result.samples.size(), bound);
    }
  };

  plug.AddMidi(IMidiMessage(0, 0x90, static_cast<uint8_t>(o.note), static_cast<uint8_t>(o.velocity)));
  render(static_cast<int>(std::lround(o.lengthSeconds * o.sampleRate)));
  plug.AddMidi(IMidiMessage(0, 0x80, static_cast<uint8_t>(o.note), 0));
  if (o.tailSeconds >= 0.0) {
    render(static_cast<int>(std::lround(o.tailSeconds * o.sampleRate)));
  } else {
    // Until every voice is free and no scheduled note is pending, capped.
    const int cap = static_cast<int>(kMaxAutoTailSeconds * o.sampleRate);
    int rendered = 0;
    do {
      render(kBlock);
      rendered += kBlock;
    } while ((plug.Voices().ActiveVoiceCount() > 0 || plug.Receiver().Queue().Pending() > 0) && rendered < cap);
  }
  return result;
}

int AudioFormatFor(const std::string& path, int bits)
{
  if (bits != 0 && bits != 16 && bits != 24 && bits != 32) throw CliError("--bits must be 16, 24 or 32");
  const std::string ext = Extension(path);
  if (bits == 32 && ext != ".wav") throw CliError("--bits 32 (float) is for .wav files only");
  if (ext == ".wav")
    return bits == 16 ? SF_FORMAT_WAV | SF_FORMAT_PCM_16
           : bits == 24 ? SF_FORMAT_WAV | SF_FORMAT_PCM_24
                        : SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (ext == ".flac") return SF_FORMAT_FLAC | (bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
  if (ext == ".aiff" || ext == ".aif") return SF_FORMAT_AIFF | (bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
  if (ext == ".ogg") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  throw CliError("unknown audio file extension " + Quote(ext.empty() ? path : ext) +
                 " (use .wav, .flac, .aiff or .ogg)");
}

namespace {
void PutLe(std::string& out, uint32_t v, int bytes)
{
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// 32-bit float WAV with the 18-byte format chunk (size field 0) and the
// fact chunk that non-PCM data calls for: what readers expect of float WAV.
bool WriteFloatWav(const std::string& tmp, const std::vector<float>& x, int rate)
{
  const uint32_t n = static_cast<uint32_t>(x.size());
  std::string h;
  h += "RIFF";
  PutLe(h, 4 + (8 + 18) + (8 + 4) + 8 + 4 * n, 4);
  h += "WAVEfmt ";
  PutLe(h, 18, 4);
  PutLe(h, 3, 2);  // IEEE float
  PutLe(h, 1, 2);  // mono
  PutLe(h, static_cast<uint32_t>(rate), 4);
  PutLe(h, static_cast<uint32_t>(rate) * 4, 4);
  PutLe(h, 4, 2);
  PutLe(h, 32, 2);
  PutLe(h, 0, 2);
  h += "fact";
  PutLe(h, 4, 4);
  PutLe(h, n, 4);
  h += "data";
  PutLe(h, 4 * n, 4);
  std::string body;
  body.reserve(4 * x.size());
  for (float v : x) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutLe(body, bits, 4);
  }
  std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(h.data(), static_cast<std::streamsize>(h.size()));
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.close();
  return static_cast<bool>(out);
}
}  // namespace

void WriteAudioFile(const std::string& path, RenderResult& audio, double sampleRate, int bits)
{
  const std::string tmp = path + ".part";
  WriteAudioFileTo(tmp, path, audio, sampleRate, bits);
  CommitFile(tmp, path);
}

void WriteAudioFileTo(const std::string& tmp, const std::string& path, RenderResult& audio, double sampleRate,
                      int bits)
{
  const int format = AudioFormatFor(path, bits);
  const std::string ext = Extension(path);
  SF_INFO info{};
  info.samplerate = static_cast<int>(std::lround(sampleRate));
  info.channels = 1;
  info.format = format;
  if (!sf_format_check(&info)) throw CliError("this build cannot write " + Quote(ext) + " files");
  const bool isFloat = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT;
  audio.clipped = 0;
  if (!isFloat) {
    for (float x : audio.samples)
      if (!(std::fabs(x) <= 1.0f)) ++audio.clipped;
  }

  if (format == (SF_FORMAT_WAV | SF_FORMAT_FLOAT)) {
    if (audio.samples.size() > 0x3FFFFFF0u || !WriteFloatWav(tmp, audio.samples, info.samplerate)) {
      std::remove(tmp.c_str());
      throw CliError("cannot write " + Quote(path));
    }
    return;
  }
  SNDFILE* file = sf_open(tmp.c_str(), SFM_WRITE, &info);
  if (!file) throw CliError("cannot write " + Quote(path) + ": " + sf_strerror(nullptr));
  // Float WAV keeps levels above full scale; the integer formats clip.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The peak chunk carries a time stamp; without it the same sound always
  // gives the same file.
  sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  const sf_count_t n = static_cast<sf_count_t>(audio.samples.size());
  const sf_count_t written = sf_writef_float(file, audio.samples.data(), n);
  const int closed = sf_close(file);
  if (written != n || closed != 0) {
    std::remove(tmp.c_str());
    throw CliError("cannot write " + Quote(path));
  }
}
