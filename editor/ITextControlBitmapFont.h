#pragma once
// A line of bitmap-font text set by the plug-in (the stored-sound number),
// centred in the bottom 20 pixels of its rectangle.
#include <string>

#include "editor/BitmapFont.h"
#include "editor/IControl.h"

class ITextControlBitmapFont : public IControl {
public:
  // The blend is ignored: glyphs are copied honouring alpha at full weight.
  ITextControlBitmapFont(IPlugBase* plug, const IText& text, const IBitmap& glyphs, const IBlend& blend,
                         const IRect& rect);

  bool Draw(IGraphics* graphics) override;
  // Editor thread only. Marks the control dirty when the text changes.
  void SetTextFromPlugin(const char* text);
  const std::string& GetDisplayText() const { return mString; }

private:
  IRect mTextArea;
  IRect mTextRECT;
  IBitmap mGlyphs;
  int mTextCenter;
  std::string mString = "0";
};
