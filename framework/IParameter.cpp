#include "framework/IParameter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

void CopyText(char* dst, const char* src, int size)
{
  if (size <= 0) return;
  int i = 0;
  if (src) {
    for (; i < size - 1 && src[i]; ++i) dst[i] = src[i];
  }
  dst[i] = '\0';
}

void IParameter::InitContinuous(const char* name, const char* label, double defaultValue, double minimum,
                                double maximum, double step, double shape)
{
  if (mKind == kTypeNone) mKind = kTypeDouble;
  CopyText(mName, name, kParamTextSize);
  CopyText(mLabel, label, kParamTextSize);
  mGroup[0] = '\0';
  mMin = minimum;
  mValue = mDefault = defaultValue;
  mStep = step;
  mMax = std::max(maximum, minimum + step);

  mDisplayPrecision = 0;
  for (double s = step; s != std::floor(s) && mDisplayPrecision < 6; s *= 10.0) ++mDisplayPrecision;

  if (shape != 0.0) mShape = shape;
}

void IParameter::InitInteger(const char* name, int defaultValue, int minimum, int maximum, const char* label)
{
  if (mKind == kTypeNone) mKind = kTypeInt;
  InitContinuous(name, label, defaultValue, minimum, maximum, 1.0, 1.0);
}

void IParameter::InitEnumeration(const char* name, int defaultValue, int count, const char* label)
{
  if (mKind == kTypeNone) mKind = kTypeEnum;
  InitContinuous(name, label, defaultValue, 0.0, count - 1, 1.0, 1.0);
}

void IParameter::AddDisplayText(int value, const char* text)
{
  IDisplayText entry{};
  entry.value = value;
  CopyText(entry.text, text, kParamTextSize);
  mDisplayTexts.push_back(entry);
}

void IParameter::SetGroup(const char* group) { CopyText(mGroup, group, kParamTextSize); }

void IParameter::Set(double v)
{
  if (!std::isfinite(v)) return;
  mValue = std::min(std::max(v, mMin), mMax);
}

double IParameter::FromNormalized(double x) const
{
  return mMin + (mMax - mMin) * std::pow(x, mShape);
}

void IParameter::SetNormalized(double x)
{
  if (!std::isfinite(x)) return;
  double v = FromNormalized(x);
  if (mKind != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  if (!std::isfinite(v)) return;
  mValue = std::min(v, mMax);
}

double IParameter::ToNormalized(double v) const
{
  v = std::min(std::max(v, mMin), mMax);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

const char* IParameter::DisplayTextForValue(double v) const
{
  // Display texts are keyed by the value truncated toward zero; a value far
  // outside the int range has no text.
  if (!(std::fabs(v) < 2147483647.0)) return nullptr;
  int k = static_cast<int>(v);
  for (const IDisplayText& entry : mDisplayTexts) {
    if (entry.value == k) return entry.text[0] ? entry.text : nullptr;
  }
  return nullptr;
}

void IParameter::FormatDisplay(bool isNormalized, char* out, bool useTexts, double v) const
{
  if (isNormalized) v = FromNormalized(v);
  if (useTexts && !mDisplayTexts.empty()) {
    if (const char* text = DisplayTextForValue(v)) {
      CopyText(out, text, kParamTextSize);
      return;
    }
  }
  if (mNegateDisplay) v = -v;
  if (mDisplayPrecision == 0) {
    // Truncation toward zero; clamped so a value outside the int range cannot
    // make the conversion undefined.
    double t = std::isfinite(v) ? std::max(-2147483648.0, std::min(2147483647.0, v)) : 0.0;
    std::snprintf(out, kParamTextSize, "%d", static_cast<int>(t));
  } else {
    std::snprintf(out, kParamTextSize, "%.*f", mDisplayPrecision, v);
  }
}

const char* IParameter::LabelForHost() const
{
  if (!mDisplayTexts.empty() && DisplayTextForValue(mValue)) return "";
  return mLabel;
}

bool IParameter::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  for (const IDisplayText& entry : mDisplayTexts) {
    if (std::strcmp(entry.text, text) == 0) {
      if (value) *value = entry.value;
      return true;
    }
  }
  return false;
}

const char* IParameter::GetDisplayTextAtIndex(int i, int* value) const
{
  if (i < 0 || i >= NDisplayTexts()) return nullptr;
  if (value) *value = mDisplayTexts[i].value;
  return mDisplayTexts[i].text;
}
