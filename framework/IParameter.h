#pragma once
// One automatable value: real units, range, step, shape, name, unit label and
// optional per-value texts, with the conversions between the real value, the
// normalised 0..1 value hosts and controls exchange, and the display text.
// No locking of its own: callers that may race with processing hold the plug-in
// mutex.
#include <cstdint>
#include <vector>

enum EParameterKind : int32_t {
  kTypeNone = 0,
  kTypeBool = 1,  // list-like; treated as an enumeration by the VST3 adapter
  kTypeInt = 2,
  kTypeEnum = 3,
  kTypeDouble = 4,
};

constexpr int kParamTextSize = 32;  // 31 characters plus the terminator

struct IDisplayText {
  int32_t value;
  char text[kParamTextSize];
};
static_assert(sizeof(IDisplayText) == 36, "display text entries are 36 bytes");

class IParameter {
public:
  IParameter() = default;

  void InitContinuous(const char* name, const char* label, double defaultValue, double minimum,
                      double maximum, double step, double shape);
  void InitInteger(const char* name, int defaultValue, int minimum, int maximum, const char* label);
  void InitEnumeration(const char* name, int defaultValue, int count, const char* label);
  void AddDisplayText(int value, const char* text);

  // Clamped to [minimum, maximum]; a value that is not finite is ignored.
  void Set(double v);
  // Shape law, step rounding for non-continuous kinds, upper clamp only. A value
  // that is not finite is ignored.
  void SetNormalized(double x);
  double GetNormalized() const { return ToNormalized(mValue); }
  double ToNormalized(double v) const;
  // Real value of a normalised one, without rounding or clamping.
  double FromNormalized(double x) const;

  // Writes the display text of v (real, or normalised when isNormalized) into
  // out, which holds at least kParamTextSize bytes.
  void FormatDisplay(bool isNormalized, char* out, bool useTexts, double v) const;
  void FormatDisplay(char* out, bool useTexts = true) const { FormatDisplay(false, out, useTexts, mValue); }
  const char* LabelForHost() const;
  bool MapDisplayText(const char* text, int* value) const;

  EParameterKind Kind() const { return mKind; }
  double Value() const { return mValue; }
  int IntValue() const { return static_cast<int>(mValue); }
  double Min() const { return mMin; }
  double Max() const { return mMax; }
  double Step() const { return mStep; }
  double Shape() const { return mShape; }
  double Default() const { return mDefault; }
  int DisplayPrecision() const { return mDisplayPrecision; }
  const char* Name() const { return mName; }
  const char* Label() const { return mLabel; }
  const char* Group() const { return mGroup; }
  bool NegateDisplay() const { return mNegateDisplay; }
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  bool IsAutomatable() const { return mAutomatable; }
  void SetAutomatable(bool automatable) { mAutomatable = automatable; }
  void SetGroup(const char* group);
  int NDisplayTexts() const { return static_cast<int>(mDisplayTexts.size()); }
  // Text of entry i (or nullptr), with its value in *value when given.
  const char* GetDisplayTextAtIndex(int i, int* value = nullptr) const;
  // The text shown for value v, or nullptr when v has no non-empty text.
  const char* DisplayTextForValue(double v) const;

private:
  EParameterKind mKind = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int32_t mDisplayPrecision = 0;
  char mName[kParamTextSize] = {};
  char mLabel[kParamTextSize] = {};
  char mGroup[kParamTextSize] = {};
  bool mNegateDisplay = false;
  bool mAutomatable = true;
  std::vector<IDisplayText> mDisplayTexts;
};

// Copies at most size - 1 characters and terminates; a null source gives "".
void CopyText(char* dst, const char* src, int size);
