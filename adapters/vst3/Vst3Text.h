#pragma once
// Conversions between our 8-bit texts and the interface's 16-bit strings.
// Our texts are plain ASCII: a byte widens to one character, and a character
// narrows to its low byte.
#include "pluginterfaces/vst/vsttypes.h"

namespace vst3text {

// Writes text into out (capacity characters including the terminator).
inline void Widen(const char* text, Steinberg::Vst::TChar* out, int capacity)
{
  if (!out || capacity <= 0) return;
  int i = 0;
  if (text) {
    for (; i < capacity - 1 && text[i]; ++i) {
      out[i] = static_cast<Steinberg::Vst::TChar>(static_cast<unsigned char>(text[i]));
    }
  }
  out[i] = 0;
}

// Writes at most capacity - 1 characters of text into out and terminates it;
// reads no further than maxRead characters of text.
inline void Narrow(const Steinberg::Vst::TChar* text, int maxRead, char* out, int capacity)
{
  if (!out || capacity <= 0) return;
  int i = 0;
  if (text) {
    for (; i < capacity - 1 && i < maxRead && text[i]; ++i) out[i] = static_cast<char>(text[i] & 0xFF);
  }
  out[i] = '\0';
}

}  // namespace vst3text
