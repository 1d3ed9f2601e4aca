#pragma once
// The instrument's 60 parameters: one static description per index, read by the
// plug-in class (which initialises its parameters from it) and by the editor
// layout (which places one control per parameter from it).
#include <cstdint>

class IPlugBase;

enum EParamIndex : int32_t {
  kOutputGain = 0,
  kOsc1Type = 1,
  kOsc2Type = 2,
  kOsc3Type = 3,
  kOsc1Level = 4,
  kOsc2Level = 5,
  kOsc3Level = 6,
  kWhiteLevel = 7,
  kPinkLevel = 8,
  kOsc1Octave = 9,
  kOsc2Octave = 10,
  kOsc3Octave = 11,
  kOsc1Transpose = 12,
  kOsc2Transpose = 13,
  kOsc3Transpose = 14,
  kOsc1Cents = 15,
  kOsc2Cents = 16,
  kOsc3Cents = 17,
  kOsc1SquareDuty = 18,
  kOsc2SquareDuty = 19,
  kOsc3SquareDuty = 20,
  kOsc1Phase = 21,
  kOsc2Phase = 22,
  kOsc3Phase = 23,
  kOsc1EnvDepth = 24,
  kOsc2EnvDepth = 25,
  kOsc3EnvDepth = 26,
  kWhiteEnvDepth = 27,
  kPinkEnvDepth = 28,
  kAmpEnvAttack = 29,
  kAmpEnvHold = 30,
  kAmpEnvDecay = 31,
  kAmpEnvSustain = 32,
  kAmpEnvRelease = 33,
  kPitchHighNote = 34,
  kPitchLowNote = 35,
  kPitchDuration = 36,
  kPitchStart = 37,
  kPitchEnd = 38,
  kPitchCurve = 39,
  kFilterLPCutoff = 40,
  kFilterLPResonance = 41,
  kFilterLPEnvDepth = 42,
  kFilterHPCutoff = 43,
  kFilterHPResonance = 44,
  kFilterHPEnvDepth = 45,
  kCompressionFactor = 46,
  kPitchJumpTranspose = 47,
  kPitchJumpDelay = 48,
  kPitchJumpTime = 49,
  kPitchJumpTrigger = 50,
  kFilterEnvAttack = 51,
  kFilterEnvHold = 52,
  kFilterEnvDecay = 53,
  kFilterEnvSustain = 54,
  kFilterEnvRelease = 55,
  kBitCrushPosition = 56,
  kBitCrushSampleRate = 57,
  kBitCrushBitDepth = 58,
  kMutationPercent = 59,
  kParamCount = 60,
};

enum EParamDescKind : int32_t { kParamContinuous, kParamInteger, kParamEnumeration };

struct ParamDesc {
  const char* name;
  EParamDescKind kind;
  int32_t x, y, width, height;  // the control's rectangle in the editor
  double defaultValue, minimum, maximum, step;
  const char* label;
  double shape;  // 1 for linear; see InitParameters for indices 39 and 48
  const char* tooltip;
};

// Description of parameter idx (0..59), or nullptr.
const ParamDesc* GetParamDesc(int idx);

// Display texts of the enumeration parameters.
extern const char* const kWaveformTexts[8];
extern const char* const kPitchJumpTriggerTexts[3];
extern const char* const kBitCrushPositionTexts[3];

// Initialises the plug-in's 60 parameters from the descriptions, in index order.
void InitParameters(IPlugBase& plug);

// Exponent that puts the real value 1 at the middle of a range: the shape of
// "Pitch Curve" and "Pitch Jump Delay".
double ShapeForUnitMidpoint(double minimum, double maximum);
