#pragma once
// Knob for a MIDI note parameter, printing the note name ("C# 4") under
// itself. Ten times slower to drag than the value knobs, and no text field.
#include "editor/IKnobMultiControlBitmapFont.h"

class IKnobMultiControlBitmapFontMidiNote : public IKnobControl {
public:
  IKnobMultiControlBitmapFontMidiNote(IPlugBase* plug, int paramIdx, const IBitmap& knob, const IText& text,
                                      const IBitmap& glyphs, const IBlend& blend, const IRect& rect);

  void OnMouseDown(int x, int y, const IMouseMod& mod) override { OnMouseDrag(x, y, 0, 0, mod); }
  bool Draw(IGraphics* graphics) override;

  const IKnobTextLayout& Layout() const { return mLayout; }

private:
  IKnobTextLayout mLayout;
  IBitmap mKnob;
  IBitmap mGlyphs;
};

// "%s %d": the note's name and its octave, note 60 being "C 4". Writes at
// most size bytes.
void FormatNoteName(int note, char* out, int size);
