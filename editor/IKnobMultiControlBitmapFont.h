#pragma once
// Knob strip with its value printed underneath in the bitmap font: the
// parameter's display text followed by its unit label. A press on the text
// opens the value prompt (a menu for parameters with display texts, else a
// text field); a press elsewhere grabs the knob.
#include "editor/BitmapFont.h"
#include "editor/IKnobControl.h"

// Where a knob-with-text control puts its parts inside its rectangle.
struct IKnobTextLayout {
  IRect mTextEntryRECT;  // bottom 16 pixels
  IRect mKnobRECT;       // one knob frame, centred at the top
  IRect mControlRECT;
  IRect mTextRECT;       // one glyph cell high, from the top of the bottom strip
  int mTextCenter;

  IKnobTextLayout(const IRect& rect, const IBitmap& knob, const IBitmap& glyphs);
};

class IKnobMultiControlBitmapFont : public IKnobControl {
public:
  // The blend is ignored: knob and text are always copied honouring alpha at
  // full weight. The text style is the style of the value text field.
  IKnobMultiControlBitmapFont(IPlugBase* plug, int paramIdx, const IBitmap& knob, const IText& text,
                              const IBitmap& glyphs, const IBlend& blend, const IRect& rect);

  void OnMouseDown(int x, int y, const IMouseMod& mod) override;
  bool Draw(IGraphics* graphics) override;

  const IKnobTextLayout& Layout() const { return mLayout; }
  // Display text plus label, as drawn; empty when there is no parameter.
  void FormatText(char* out, int size) const;

private:
  IKnobTextLayout mLayout;
  IBitmap mKnob;
  IBitmap mGlyphs;
  const IBitmapFontAdvances& mAdvances = kAdvances14;
};
