#include "cli/PresetFiles.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "cli/CliCommon.h"
#include "plugin/Vorblex.h"

namespace {
// The class id's first eight bytes; the maker id and the unique id follow.
constexpr uint8_t kClassIdPrefix[8] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F};
constexpr int kVst3HeaderSize = 4 + 4 + 32 + 8;
constexpr int kVst3ListEntrySize = 4 + 8 + 8;
constexpr int kBypassSize = 4;
constexpr int kFxpNameSize = 28;
constexpr int kFxpHeaderSize = 56;  // up to the chunk size or the first value

std::string Lower(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void PutTag(FileBytes& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }
void PutLe(FileBytes& out, uint64_t v, int bytes)
{
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutBe(FileBytes& out, uint32_t v)
{
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint64_t GetLe(const FileBytes& in, size_t at, int bytes)
{
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | in[at + static_cast<size_t>(i)];
  return v;
}
uint32_t GetBe(const FileBytes& in, size_t at)
{
  return static_cast<uint32_t>(in[at]) << 24 | static_cast<uint32_t>(in[at + 1]) << 16 |
         static_cast<uint32_t>(in[at + 2]) << 8 | in[at + 3];
}
bool HasTag(const FileBytes& in, size_t at, const char* tag)
{
  return at + 4 <= in.size() && std::memcmp(in.data() + at, tag, 4) == 0;
}

std::array<uint8_t, 16> ClassId()
{
  std::array<uint8_t, 16> id{};
  std::memcpy(id.data(), kClassIdPrefix, 8);
  const IPlugConfig c = Vorblex::Config();
  for (int i = 0; i < 4; ++i) {
    id[8 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(c.makerID) >> (24 - 8 * i));
    id[12 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(c.uniqueID) >> (24 - 8 * i));
  }
  return id;
}

std::string Hex(const uint8_t* bytes, int n)
{
  std::string s;
  char two[3];
  for (int i = 0; i < n; ++i) {
    std::snprintf(two, sizeof two, "%02X", bytes[i]);
    s += two;
  }
  return s;
}

std::string FourCC(uint32_t v)
{
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>(v >> shift);
    s += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
  }
  return s;
}

IStateChunk State(Vorblex& plug)
{
  IStateChunk state;
  if (!plug.SerializeState(state)) throw CliError("the state could not be made");
  return state;
}

// A plug-in state at `at` of `size` bytes: exactly one, with our version word.
IStateChunk CheckedState(const Vorblex& plug, const FileBytes& file, size_t at, size_t size, const std::string& what)
{
  constexpr size_t kStateSize = 4 + 8 * kParamCount;
  if (size != kStateSize || GetLe(file, at, 4) != static_cast<uint32_t>(plug.GetEffectVersion()))
    throw CliError(what + " holds no Vorblex state");
  IStateChunk state;
  state.PutBytes(file.data() + at, static_cast<int>(size));
  return state;
}
}  // namespace

StateFileKind StateFileKindFor(const std::string& path)
{
  const std::string p = Lower(path);
  auto endsWith = [&](const char* ext) {
    const size_t n = std::strlen(ext);
    return p.size() > n && p.compare(p.size() - n, n, ext) == 0 && p[p.size() - n - 1] != '/';
  };
  if (endsWith(".vstpreset")) return StateFileKind::kVst3Preset;
  if (endsWith(".fxp")) return StateFileKind::kVst2Program;
  return StateFileKind::kState;
}

std::string Vst3ClassIdText()
{
  const std::array<uint8_t, 16> id = ClassId();
  const uint8_t swapped[8] = {id[3], id[2], id[1], id[0], id[5], id[4], id[7], id[6]};
  return Hex(swapped, 8) + Hex(id.data() + 8, 8);
}

FileBytes MakeVst3Preset(Vorblex& plug)
{
  // What the module's getState writes: the state, then the bypass word (off).
  IStateChunk state = State(plug);
  FileBytes component(state.Data(), state.Data() + state.Size());
  PutLe(component, 0, kBypassSize);

  FileBytes out;
  PutTag(out, "VST3");
  PutLe(out, 1, 4);
  const std::string id = Vst3ClassIdText();
  out.insert(out.end(), id.begin(), id.end());
  const uint64_t compAt = kVst3HeaderSize, contAt = compAt + component.size();
  const uint64_t listAt = contAt + component.size();
  PutLe(out, listAt, 8);
  out.insert(out.end(), component.begin(), component.end());
  out.insert(out.end(), component.begin(), component.end());
  PutTag(out, "List");
  PutLe(out, 2, 4);
  for (auto [tag, at] : {std::pair<const char*, uint64_t>{"Comp", compAt}, {"Cont", contAt}}) {
    PutTag(out, tag);
    PutLe(out, at, 8);
    PutLe(out, component.size(), 8);
  }
  return out;
}

FileBytes MakeVst2Program(Vorblex& plug, const std::string& programName)
{
  // The plug-in does not announce program chunks, so hosts save and load its
  // programs as parameter lists: one big-endian float per normalised value.
  FileBytes out;
  PutTag(out, "CcnK");
  PutBe(out, static_cast<uint32_t>(kFxpHeaderSize + 4 * plug.NParams() - 8));
  PutTag(out, "FxCk");
  PutBe(out, 1);
  PutBe(out, static_cast<uint32_t>(plug.GetUniqueID()));
  PutBe(out, static_cast<uint32_t>(plug.VersionDecimal()));
  PutBe(out, static_cast<uint32_t>(plug.NParams()));
  char name[kFxpNameSize] = {};
  std::snprintf(name, sizeof name, "%s", programName.c_str());
  out.insert(out.end(), name, name + kFxpNameSize);
  for (int i = 0; i < plug.NParams(); ++i) {
    const float x = static_cast<float>(plug.GetParameter(i)->GetNormalized());
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    PutBe(out, bits);
  }
  return out;
}

IStateChunk StateFromVst3Preset(const Vorblex& plug, const FileBytes& file, const std::string& path)
{
  const std::string what = "preset " + Quote(path);
  if (file.size() < kVst3HeaderSize || !HasTag(file, 0, "VST3")) throw CliError(what + " is not a VST3 preset");
  const std::string id = Lower(std::string(file.begin() + 8, file.begin() + 40));
  // Presets saved by a host on another platform spell the id byte for byte.
  const std::array<uint8_t, 16> ours = ClassId();
  if (id != Lower(Vst3ClassIdText()) && id != Lower(Hex(ours.data(), 16)))
    throw CliError(what + " is for another plug-in (class id " + std::string(file.begin() + 8, file.begin() + 40) +
                   ")");
  const uint64_t size = file.size(), listAt = GetLe(file, 40, 8);
  if (listAt < kVst3HeaderSize || listAt > size - 8 || !HasTag(file, listAt, "List"))
    throw CliError(what + " has no chunk list");
  const uint64_t count = GetLe(file, listAt + 4, 4);
  if (count > (size - listAt - 8) / kVst3ListEntrySize) throw CliError(what + " is cut short in its chunk list");
  for (uint64_t e = 0; e < count; ++e) {
    const size_t at = static_cast<size_t>(listAt + 8 + e * kVst3ListEntrySize);
    const uint64_t offset = GetLe(file, at + 4, 8), length = GetLe(file, at + 12, 8);
    if (offset > size || length > size - offset) throw CliError(what + " has a chunk outside the file");
    if (!HasTag(file, at, "Comp")) continue;
    // The component state: the plug-in state, then the bypass word.
    if (length != 4 + 8 * kParamCount + kBypassSize) throw CliError(what + " holds no Vorblex state");
    return CheckedState(plug, file, static_cast<size_t>(offset), static_cast<size_t>(length - kBypassSize), what);
  }
  throw CliError(what + " has no component state");
}

IStateChunk StateFromVst2Program(const Vorblex& plug, const FileBytes& file, const std::string& path)
{
  const std::string what = "program file " + Quote(path);
  if (file.size() < kFxpHeaderSize || !HasTag(file, 0, "CcnK")) throw CliError(what + " is not a VST2 program");
  if (GetBe(file, 4) != file.size() - 8) throw CliError(what + " is cut short or too long");
  const bool chunked = HasTag(file, 8, "FPCh");
  if (!chunked && !HasTag(file, 8, "FxCk"))
    throw CliError(what + " is not a single program (" + FourCC(GetBe(file, 8)) + ")");
  const uint32_t id = GetBe(file, 16);
  if (id != static_cast<uint32_t>(plug.GetUniqueID()))
    throw CliError(what + " is for another plug-in (id '" + FourCC(id) + "')");

  if (chunked) {
    if (file.size() < kFxpHeaderSize + 4 || GetBe(file, kFxpHeaderSize) != file.size() - kFxpHeaderSize - 4)
      throw CliError(what + " is cut short or too long");
    // The chunk as the module gives it, or a bare state (the module reads both).
    size_t at = kFxpHeaderSize + 4;
    if (GetLe(file, at, 4) == static_cast<uint32_t>(kChunkMagic) && file.size() >= at + kChunkHeaderSize)
      at += kChunkHeaderSize;
    return CheckedState(plug, file, at, file.size() - at, what);
  }
  // One big-endian float per parameter, normalised.
  const uint32_t n = GetBe(file, 24);
  if (n != static_cast<uint32_t>(kParamCount) || file.size() != kFxpHeaderSize + 4 * static_cast<size_t>(n))
    throw CliError(what + " does not hold " + std::to_string(kParamCount) + " parameters");
  IStateChunk state;
  state.PutInt(plug.GetEffectVersion());
  for (int i = 0; i < kParamCount; ++i) {
    const uint32_t bits = GetBe(file, kFxpHeaderSize + 4 * static_cast<size_t>(i));
    float x;
    std::memcpy(&x, &bits, sizeof x);
    if (!(x >= 0.0f && x <= 1.0f)) throw CliError(what + " has a parameter value outside 0 to 1");
    state.PutDouble(plug.GetParameter(i)->FromNormalized(x));
  }
  return state;
}
