#pragma once
// Plain painting for what the editor draws over its own picture when the
// window system has no native text field, menu or tooltip to offer: filled
// and framed rectangles and text from the editor's 14-pixel glyph strip, all
// clipped to a rectangle of the target bitmap.
#include "editor/IGraphicsStructs.h"

class IGraphics;

namespace overlay {

// The glyph strip of the knob values (resources/vorblex.rc), loaded through
// the editor's bitmap cache.
constexpr int kGlyphStripId = 116;
constexpr const char* kGlyphStripFile = "resources/img/Eyetype_3_14.png";
constexpr int kGlyphHeight = 14;
IBitmap LoadGlyphs(IGraphics* graphics);

void FillRect(LICE_IBitmap* dest, const IRect& rect, LICE_pixel color, const IRect& clip);
// A one-pixel outline just inside rect.
void FrameRect(LICE_IBitmap* dest, const IRect& rect, LICE_pixel color, const IRect& clip);
int TextWidth(const char* text);
// Text with its top-left corner at (x, y); opacity below 1 greys it out.
void DrawText(LICE_IBitmap* dest, const IBitmap& glyphs, const char* text, int x, int y, const IRect& clip,
              float opacity = 1.0f);

}  // namespace overlay
