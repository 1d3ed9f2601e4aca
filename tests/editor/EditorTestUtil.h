#pragma once
// Shared pieces of the editor tests: solid-colour strips, a headless editor on
// the test plug-in, and a control that logs what it is sent.
#include <memory>
#include <string>
#include <vector>

#include "editor/IGraphics.h"
#include "editor/headless/IGraphicsHeadless.h"
#include "editor/raster/LICE_Bitmap.h"
#include "tests/support/TestPlug.h"

// Colour of frame i (1-based) of a test strip: every frame differs, and strips
// with different tags differ too.
inline LICE_pixel FrameColor(int frame, int tag = 0)
{
  return LICE_RGBA(static_cast<unsigned>(frame) & 0xFF, 0x40 + tag, 0x80 + (frame >> 8), 255);
}

// A strip of solid frames stacked vertically (or side by side), owned here.
class TestStrip {
public:
  TestStrip(int frameW, int frameH, int nFrames, int tag = 0, bool horizontal = false)
      : mBitmap(std::make_unique<LICE_MemBitmap>(horizontal ? frameW * nFrames : frameW,
                                                 horizontal ? frameH : frameH * nFrames)),
        mN(nFrames),
        mHorizontal(horizontal)
  {
    for (int f = 0; f < nFrames; ++f) {
      for (int y = 0; y < frameH; ++y) {
        for (int x = 0; x < frameW; ++x) {
          const int px = horizontal ? f * frameW + x : x;
          const int py = horizontal ? y : f * frameH + y;
          LICE_Row(mBitmap.get(), py)[px] = FrameColor(f + 1, tag);
        }
      }
    }
  }
  IBitmap Get() const { return IBitmap(mBitmap.get(), mBitmap->GetWidth(), mBitmap->GetHeight(), mN, mHorizontal); }
  LICE_MemBitmap* Raster() const { return mBitmap.get(); }

private:
  std::unique_ptr<LICE_MemBitmap> mBitmap;
  int mN;
  bool mHorizontal;
};

inline LICE_pixel PixelAt(IGraphics& g, int x, int y) { return LICE_Row(g.GetDrawBitmap(), y)[x]; }

inline void FillDrawBitmap(IGraphics& g, LICE_pixel color)
{
  LICE_IBitmap* bm = g.GetDrawBitmap();
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x) LICE_Row(bm, y)[x] = color;
}

// A headless editor on a TestPlug. The graphics object belongs to the fixture
// until Attach hands it to the plug-in (which pushes the parameter values into
// the controls and makes the draw bitmaps).
class EditorHarness {
public:
  explicit EditorHarness(int width = 200, int height = 100) : gfx(new IGraphicsHeadless(&plug, width, height, 25))
  {
  }
  ~EditorHarness()
  {
    if (!mAttached) delete gfx;
  }
  void Attach()
  {
    plug.AttachEditor(gfx);
    mAttached = true;
  }
  // Draw bitmaps without attaching, for tests that need no parameter values.
  void MakeBitmaps() { gfx->CreateDrawBitmaps(); }

  TestPlug plug;
  IGraphicsHeadless* gfx;

private:
  bool mAttached = false;
};

// Logs every event it receives; draws nothing.
class ProbeControl : public IControl {
public:
  ProbeControl(IPlugBase* plug, const IRect& rect, int paramIdx = -1) : IControl(plug, rect, paramIdx) {}

  void OnMouseDown(int x, int y, const IMouseMod& mod) override { Log("down", x, y, mod.R ? "R" : ""); }
  void OnMouseUp(int x, int y, const IMouseMod&) override { Log("up", x, y); }
  void OnMouseDrag(int x, int y, int dX, int dY, const IMouseMod&) override
  {
    Log("drag", x, y, std::to_string(dX) + "," + std::to_string(dY));
  }
  void OnMouseDblClick(int x, int y, const IMouseMod&) override { Log("dbl", x, y); }
  void OnMouseOver(int x, int y, const IMouseMod&) override { Log("over", x, y); }
  void OnMouseOut() override { events.push_back("out"); }
  bool OnKeyDown(int, int, int key) override
  {
    events.push_back("key" + std::to_string(key));
    return handlesKeys;
  }
  bool Draw(IGraphics*) override { return true; }

  std::vector<std::string> events;
  bool handlesKeys = true;

private:
  void Log(const char* what, int x, int y, const std::string& extra = "")
  {
    events.push_back(std::string(what) + "@" + std::to_string(x) + "," + std::to_string(y) +
                     (extra.empty() ? "" : " " + extra));
  }
};
