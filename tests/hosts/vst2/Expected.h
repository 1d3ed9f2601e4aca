#pragma once
// What the module must publish, written down independently of its sources:
// identity, parameter table, display rules and state layout. The parameter
// model here (normalised mapping, step rounding, display formatting) is what
// the tests compare the module's answers with.
#include <cstdint>
#include <string>

namespace vst2host {

constexpr int kParamCount = 60;
constexpr std::int32_t kUniqueId = 0x73706770;  // 'spgp'
constexpr std::int32_t kVersionDecimal = 10001;
constexpr std::int32_t kPluginVersion = 0x00010001;
// Built with VST2_HOST_EXPECT_EDITOR=1 for modules that offer their host an
// editor window (Windows modules carrying the editor); others publish no
// editor flag and answer the editor opcodes with 0.
#ifndef VST2_HOST_EXPECT_EDITOR
#ifdef _WIN32
#define VST2_HOST_EXPECT_EDITOR 1
#else
#define VST2_HOST_EXPECT_EDITOR 0
#endif
#endif
constexpr bool kModuleHasEditor = VST2_HOST_EXPECT_EDITOR != 0;
constexpr std::int32_t kPublishedFlags = kModuleHasEditor ? 0x1111 : 0x1110;
constexpr int kEditorWidth = 846;
constexpr int kEditorHeight = 768;

// Saved state: 32-bit version, then one double per parameter.
constexpr int kStateSize = 4 + 8 * kParamCount;  // 484
// Chunk header in front of a state or a preset list.
constexpr std::uint32_t kChunkMagic = 0x70666674;
constexpr std::uint32_t kChunkHeaderVersion = 0x00010000;
constexpr int kChunkHeaderSize = 8;
constexpr int kProgramChunkSize = kChunkHeaderSize + kStateSize;  // 492
// Preset list of the one preset "-": name string, initialised flag, state.
constexpr int kBankChunkSize = kChunkHeaderSize + 4 + 1 + 1 + kStateSize;  // 498

enum class Kind { kContinuous, kInteger, kEnumeration };

struct ParamModel {
  const char* name;
  Kind kind;
  double minimum;
  double maximum;
  double defaultValue;
  double step;
  const char* label;
  double shape;  // 0: the mid-point shape computed from the range
};

extern const ParamModel kParams[kParamCount];

// Display texts of enumeration parameters; null past the last one.
const char* DisplayText(int index, int value);

// The shape the module must hold for a parameter.
double Shape(int index);
// Real value after SetNormalized (x): power law, step rounding for integer and
// enumeration parameters, upper clamp only.
double RealFromNormalized(int index, double x);
// Normalised form of a real value (clamped to the range first).
double NormalizedFromReal(int index, double v);
// Display of a real value: display text for enumerations, else "%d" or "%.*f".
std::string DisplayOf(int index, double v);
// Label shown for a real value: empty when a display text shows the value.
std::string LabelOf(int index, double v);
// Digits after the decimal point for a step.
int Precision(double step);

}  // namespace vst2host
