// Dispatcher requests with a little logic of their own: typed parameter
// values, pin and speaker set-up, vendor extensions and capability queries.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "adapters/vst2/IPlugVST.h"

namespace {

// Vendor-specific request indices.
constexpr std::int32_t kVendorDisplayOfValue = 7;
constexpr std::int32_t kVendorIsStepped = 8;

}  // namespace

std::intptr_t IPlugVST::StringToParameter(int paramIdx, const char* text)
{
  IParameter* param = GetParameter(paramIdx);
  if (!param) return 0;
  if (!text) return 1;
  double v = 0.0;
  if (param->NDisplayTexts() > 0) {
    int mapped = 0;
    if (!param->MapDisplayText(text, &mapped)) return 0;
    v = mapped;
  } else {
    v = std::strtod(text, nullptr);
    // "nan" parses as a number that is none; read it like any unparsable text.
    if (std::isnan(v)) v = 0.0;
    if (param->NegateDisplay()) v = -v;
  }
  // Clamped before the editor sees it, so controls and value agree.
  v = std::min(std::max(v, param->Min()), param->Max());
  if (IEditorLink* editor = GetEditor()) editor->SetParameterFromHost(paramIdx, v, false);
  param->Set(v);
  OnParameterChange(paramIdx);
  return 1;
}

std::intptr_t IPlugVST::PinProperties(bool input, std::int32_t index, vst2::PinProperties* pin)
{
  const int count = input ? NInChannels() : NOutChannels();
  if (!pin || index < 0 || index >= count) return 0;
  pin->flags = vst2::kPinIsActive;
  if (index % 2 == 0 && index < count - 1) pin->flags |= vst2::kPinIsStereo;
  // Our channels carry no labels of their own.
  std::snprintf(pin->label, sizeof pin->label, input ? "Input %d" : "Output %d", index + 1);
  return 1;
}

void IPlugVST::SetSpeakerArrangement(bool input, const vst2::SpeakerArrangement* arrangement)
{
  if (!arrangement) return;
  const int count = input ? NInChannels() : NOutChannels();
  // A count outside 0..channels connects as many channels as we have.
  const int n = std::min(std::max(arrangement->channelCount, 0), count);
  if (input) {
    ConnectInputChannels(0, n, true);
    ConnectInputChannels(n, count - n, false);
  } else {
    ConnectOutputChannels(0, n, true);
    ConnectOutputChannels(n, count - n, false);
  }
}

std::intptr_t IPlugVST::VendorSpecific(std::int32_t index, std::intptr_t value, void* ptr, float opt)
{
  const IParameter* param = value >= 0 && value < NParams() ? GetParameter(static_cast<int>(value)) : nullptr;
  switch (index) {
    case kVendorDisplayOfValue:
      if (!ptr) return 0;
      if (param) {
        // Only normalised values have a display; others are held at the ends.
        const double x = std::isnan(opt) ? 0.0 : std::min(std::max(static_cast<double>(opt), 0.0), 1.0);
        char display[kParamTextSize];
        param->FormatDisplay(true, display, true, x);
        CopyText(static_cast<char*>(ptr), display, kParamTextSize);
      }
      return vst2::kVendorSpecificAnswer;
    case kVendorIsStepped:
      return param && param->Kind() != kTypeDouble ? vst2::kVendorSpecificAnswer : 0;
    default: return 0;
  }
}

std::intptr_t IPlugVST::CanDo(const char* text)
{
  if (!text) return 0;
  if (std::strcmp(text, vst2::kCanDoReceiveTimeInfo) == 0) return 1;
  if (DoesMIDI()) {
    for (const char* midi : {vst2::kCanDoSendEvents, vst2::kCanDoSendMidiEvent, vst2::kCanDoReceiveEvents,
                             vst2::kCanDoReceiveMidiEvent}) {
      if (std::strcmp(text, midi) == 0) return 1;
    }
  }
  if (std::strcmp(text, vst2::kCanDoVendorExtensions) == 0) {
    mExtensionFlags |= kHostExtensions;
    return vst2::kCanDoVendorAnswer;
  }
  if (std::strcmp(text, vst2::kCanDoVendorViewAsConfig) == 0) {
    mExtensionFlags |= kHostViewAsConfig;
    return vst2::kCanDoVendorAnswer;
  }
  return 0;
}

std::intptr_t IPlugVST::MidiKeyName(vst2::MidiKeyName* key)
{
  if (!key) return 0;
  key->keyName[0] = '\0';
  return GetMidiNoteName(key->keyNumber, key->keyName) ? 1 : 0;
}
