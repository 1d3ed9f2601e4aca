#pragma once
// The small field for typing a parameter's value, drawn into the editor's
// picture: it starts with its text all selected, takes only the characters
// the parameter's kind allows and at most the control's text-entry length.
// Whether it commits or cancels is the graphics object's business.
#include <string>

#include "editor/IGraphicsStructs.h"

class IControl;
class IParameter;

class DrawnTextField {
public:
  DrawnTextField(IControl* control, IParameter* param, const IText& text, const IRect& rect, const char* initial,
                 int maxLength);

  // Backspace is always allowed; a field without a parameter takes any
  // printable character; kinds 1 to 3 digits and signs; kind 4 also the
  // full stop.
  static bool CharAllowed(const IParameter* param, int c);

  // A typed character; false when refused. Typing replaces a selection.
  bool Type(int c);
  void Backspace();
  // Pasted text, character by character under the same rules.
  void Paste(const std::string& text);

  const std::string& Text() const { return mText; }
  bool AllSelected() const { return mAllSelected; }
  IControl* Control() const { return mControl; }
  IParameter* Param() const { return mParam; }
  // Where it is drawn: one pixel wider and taller than the rectangle asked
  // for, as the Windows field is.
  const IRect& Rect() const { return mRect; }

  void Draw(LICE_IBitmap* dest, const IBitmap& glyphs, const IRect& clip) const;

private:
  IControl* mControl;
  IParameter* mParam;
  IText mStyle;
  IRect mRect;
  std::string mText;
  int mMaxLength;
  bool mAllSelected = true;
};
